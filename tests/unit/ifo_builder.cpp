#include "tests/unit/ifo_builder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

namespace testdisc {
namespace {

constexpr std::size_t kSector = kSectorSize;
constexpr std::size_t kVtsAttributesSize = 0x30C;  // one VTS_ATRT record, as authoring tools write it
const char* const kFollowingNames[5] = {"PTL_MAIT", "VTS_ATRT", "TXTDT_MGI", "VMGM_C_ADT", "VMGM_VOBU_ADMAP"};

std::size_t RoundUp(std::size_t n) { return (n + kSector - 1) / kSector * kSector; }

// Grows the image so that [offset, offset + length) exists.
uint8_t* Room(BuiltImage& img, std::size_t offset, std::size_t length) {
  if (img.bytes.size() < offset + length) img.bytes.resize(offset + length);
  return img.bytes.data() + offset;
}
void Put32(BuiltImage& img, std::size_t offset, std::size_t v) {
  WriteBe32(Room(img, offset, 4), int32_t(v));
}
void Put16(BuiltImage& img, std::size_t offset, std::size_t v) { WriteBe16(Room(img, offset, 2), int(v)); }

// Starts a table at the next sector boundary, names it and points `field` at its sector.
std::size_t StartTable(BuiltImage& img, const std::string& name, int field) {
  std::size_t start = RoundUp(img.bytes.size());
  Room(img, start, 8);
  img.at[name] = start;
  Put32(img, std::size_t(field), start / kSector);
  return start;
}

std::size_t PgcSize(const Pgc& p) {
  return kPgcHeaderSize +
         (p.noCommandTable ? 0 : 8 + kCommandSize * (p.pre.size() + p.post.size() + p.cell.size()));
}

void WritePgc(BuiltImage& img, std::size_t at, const Pgc& p, const std::string& name) {
  uint8_t* d = Room(img, at, PgcSize(p));
  d[7] = 0xC0;  // frame-rate bits of a zero playback time
  img.at[name] = at;
  if (p.noCommandTable) return;
  WriteBe16(d + kPgcCommandTableOffset, kPgcHeaderSize);
  std::size_t t = at + kPgcHeaderSize, c = t + 8;
  Put16(img, t, p.pre.size());
  Put16(img, t + 2, p.post.size());
  Put16(img, t + 4, p.cell.size());
  Put16(img, t + 6, PgcSize(p) - kPgcHeaderSize - 1);
  img.at[name + " cmd"] = t;
  if (!p.post.empty()) img.at[name + " post"] = c + kCommandSize * p.pre.size();
  for (const auto* list : {&p.pre, &p.post, &p.cell}) {
    for (const Cmd& cmd : *list)
      std::memcpy(Room(img, c, kCommandSize), cmd.data(), kCommandSize), c += kCommandSize;
  }
}

// A program chain table whose search pointers start at byte 8: VTS_PGCIT or
// one language unit. `prefix` names the chains ("" -> "pgc K").
std::size_t WritePgcTable(BuiltImage& img, std::size_t at, const std::vector<Pgc>& pgcs,
                          const std::string& prefix, bool menuCategories) {
  std::size_t n = pgcs.size(), size = 8 + 8 * n;
  for (const Pgc& p : pgcs) size += PgcSize(p);
  Room(img, at, size);
  Put16(img, at, n);
  Put32(img, at + 4, size - 1);
  for (std::size_t k = 0, offset = 8 + 8 * n; k < n; offset += PgcSize(pgcs[k]), ++k) {
    // A title chain's category byte carries its title number; a menu chain's its menu type.
    img.bytes[at + 8 + 8 * k] = menuCategories ? pgcs[k].category : uint8_t(0x80 | (k + 1));
    Put32(img, at + 12 + 8 * k, offset);
    WritePgc(img, at + offset, pgcs[k], prefix + "pgc " + std::to_string(k + 1));
  }
  return size;
}

// VMGM_PGCI_UT or VTSM_PGCI_UT at a new sector, unless there is none.
void WriteMenuTable(BuiltImage& img, bool present, const std::vector<LanguageUnit>& units,
                    const std::string& name, int field) {
  if (!present && units.empty()) return;
  std::size_t start = StartTable(img, name, field), u = units.size(), offset = 8 + 8 * u;
  Put16(img, start, u);
  for (std::size_t i = 0; i < u; ++i) {
    uint8_t* sp = Room(img, start + 8 + 8 * i, 8);
    std::memcpy(sp, (units[i].lang + std::string(2, '\0')).data(), 2);
    sp[3] = units[i].existence;
    Put32(img, start + 12 + 8 * i, offset);
    std::string lu = "lu " + std::to_string(i + 1);
    img.at[lu] = start + offset;
    offset += WritePgcTable(img, start + offset, units[i].pgcs, lu + " ", true);
  }
  Room(img, start, offset);
  Put32(img, start + 4, offset - 1);
}

// Pads to whole sectors (at least two) and returns the image's sectors.
uint32_t Finish(BuiltImage& img) {
  img.bytes.resize(std::max<std::size_t>(RoundUp(img.bytes.size()), 2 * kSector));
  return uint32_t(img.bytes.size() / kSector);
}

BuiltImage Start(const char* id) {
  BuiltImage img;
  Room(img, 0, kSector);
  img.at[id[10] == 'M' ? "VMGI_MAT" : "VTSI_MAT"] = 0;
  std::memcpy(img.bytes.data(), id, 12);
  img.bytes[0x21] = 0x11;  // DVD-Video version 1.1
  return img;
}

BuiltImage BuildVmg(const VmgSpec& layout, int titleSets) {
  BuiltImage img = Start("DVDVIDEO-VMG");
  Put16(img, 0x26, 1);  // volumes
  Put16(img, 0x28, 1);  // this volume
  img.bytes[0x2A] = 1;  // disc side
  Put16(img, 0x3E, std::size_t(titleSets));
  std::memcpy(img.bytes.data() + 0x40, "REELWRITE TEST DISC", 19);
  Put32(img, kVmgMatEnd, layout.firstPlay ? 0x400 + PgcSize(*layout.firstPlay) - 1 : 0x3FF);
  if (layout.firstPlay) {
    WritePgc(img, 0x400, *layout.firstPlay, "first play");
    Put32(img, kVmgFirstPlayPgc, 0x400);
  }

  std::size_t tt = StartTable(img, "TT_SRPT", kVmgTtSrptSector), titles = layout.titles.size();
  Put16(img, tt, titles);
  Put32(img, tt + 4, 8 + 12 * titles - 1);
  for (std::size_t i = 0; i < titles; ++i) {
    const Title& t = layout.titles[i];
    uint8_t* e = Room(img, tt + 8 + 12 * i, 12);
    e[1] = uint8_t(t.angles);
    WriteBe16(e + 2, t.chapters);
    e[6] = uint8_t(t.titleSet);
    e[7] = uint8_t(t.titleInSet);
    img.at["title " + std::to_string(i + 1)] = tt + 8 + 12 * i;
  }
  WriteMenuTable(img, layout.menuTable, layout.menus, "VMGM_PGCI_UT", kVmgMenuPgciUtSector);

  for (int i = 0; i < 5; ++i) {
    int32_t sector = layout.following[i];
    if (sector == 0) continue;
    std::size_t start = std::size_t(sector) * kSector;
    if (sector == kAutoPlaced) {
      start = StartTable(img, kFollowingNames[i], kVmgFollowingTables[i]);
    } else if (sector < 0 || start < img.bytes.size()) {
      throw std::invalid_argument(std::string(kFollowingNames[i]) + " at a sector already in use");
    } else {
      img.at[kFollowingNames[i]] = start;
      Put32(img, std::size_t(kVmgFollowingTables[i]), std::size_t(sector));
    }
    if (i != 1) {
      std::memset(Room(img, start, kSector), 0xA0 + i, kSector);
      continue;
    }
    // VTS_ATRT: one attribute record per title set.
    std::size_t recordsAt = 8 + 4 * std::size_t(titleSets), size = recordsAt + kVtsAttributesSize * titleSets;
    Room(img, start, size);
    Put16(img, start, std::size_t(titleSets));
    Put32(img, start + 4, size - 1);
    for (std::size_t n = 0, rec = recordsAt; n < std::size_t(titleSets); ++n, rec += kVtsAttributesSize) {
      Put32(img, start + 8 + 4 * n, rec);
      Put32(img, start + rec, kVtsAttributesSize - 1);
    }
  }

  uint32_t ifoSectors = Finish(img), vobSectors = uint32_t(layout.menuVobBytes / kSector);
  Put32(img, kVmgIfoLastSector, ifoSectors - 1);
  Put32(img, kVmgLastSector, vobSectors + 2 * ifoSectors - 1);
  Put32(img, kVmgMenuVobsSector, vobSectors ? ifoSectors : 0);
  return img;
}

BuiltImage BuildVts(const VtsSpec& layout) {
  BuiltImage img = Start("DVDVIDEO-VTS");
  Put32(img, 0x80, 0x3FF);  // end of VTSI_MAT

  // Chapter table: each chapter is program 1 of its chain.
  std::vector<std::vector<int>> chapters = layout.chapters;
  for (std::size_t k = 1; layout.chapters.empty() && k <= layout.titlePgcs.size(); ++k)
    chapters.push_back({int(k)});
  std::size_t ptt = StartTable(img, "VTS_PTT_SRPT", 0xC8), listAt = 8 + 4 * chapters.size();
  Put16(img, ptt, chapters.size());
  for (std::size_t k = 0; k < chapters.size(); ++k) {
    Put32(img, ptt + 8 + 4 * k, listAt);
    for (int pgc : chapters[k]) {
      Put16(img, ptt + listAt, std::size_t(pgc));
      Put16(img, ptt + listAt + 2, 1);
      listAt += 4;
    }
  }
  Put32(img, ptt + 4, listAt - 1);

  WritePgcTable(img, StartTable(img, "VTS_PGCIT", kVtsPgcitSector), layout.titlePgcs, "", false);
  WriteMenuTable(img, layout.menuTable, layout.menus, "VTSM_PGCI_UT", kVtsMenuPgciUtSector);

  // The title VOBs as one cell of one VOBU, so that the title domain's
  // address tables reach exactly to the end of the files (nothing without them).
  uint64_t titleSectors = 0;
  for (uint64_t b : layout.titleVobBytes) titleSectors += b / kSector;
  std::size_t cells = titleSectors ? 1 : 0;
  std::size_t cadt = StartTable(img, "VTS_C_ADT", 0xE0);
  Room(img, cadt, 8 + 12 * cells);
  Put16(img, cadt, cells);  // VOBs
  Put32(img, cadt + 4, 8 + 12 * cells - 1);
  if (cells) {
    Put16(img, cadt + 8, 1);   // VOB 1
    img.bytes[cadt + 10] = 1;  // cell 1
    Put32(img, cadt + 16, titleSectors - 1);
  }
  std::size_t admap = StartTable(img, "VTS_VOBU_ADMAP", 0xE4);
  Put32(img, admap, 4 + 4 * cells - 1);
  Room(img, admap, 4 + 4 * cells);

  uint32_t ifoSectors = Finish(img), menuSectors = uint32_t(layout.menuVobBytes / kSector);
  Put32(img, kVtsIfoLastSector, ifoSectors - 1);
  Put32(img, kVtsLastSector, titleSectors + 2 * ifoSectors + menuSectors - 1);
  Put32(img, kVtsMenuVobsSector, menuSectors ? ifoSectors : 0);
  Put32(img, kVtsTitleVobsSector, ifoSectors + menuSectors);
  return img;
}

}  // namespace

std::vector<uint8_t> Hex(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  std::vector<uint8_t> b;
  for (std::size_t i = 0, used = 0; i < text.size(); i += 2) {
    b.push_back(uint8_t(std::stoi(text.substr(i, 2), &used, 16)));
    if (used != 2) throw std::invalid_argument("bad hex text: " + text);
  }
  return b;
}

Cmd C(const char* hex) {
  std::vector<uint8_t> b = Hex(hex);
  if (b.size() != 8) throw std::invalid_argument(std::string("bad command text: ") + hex);
  Cmd cmd;
  std::copy(b.begin(), b.end(), cmd.begin());
  return cmd;
}

std::size_t BuiltImage::At(const std::string& name) const {
  auto it = at.find(name);
  if (it == at.end()) throw std::out_of_range("no place named \"" + name + "\" in the built image");
  return it->second;
}

uint8_t* BuiltImage::Ptr(const std::string& name, std::size_t plus) { return bytes.data() + At(name) + plus; }

BuiltDisc BuildDisc(const DiscSpec& layout) {
  BuiltDisc disc;
  disc.vmg = BuildVmg(layout.vmg, std::max<int>(1, int(layout.titleSets.size())));
  disc.menuVobBytes = {layout.vmg.menuVobBytes};
  for (const VtsSpec& v : layout.titleSets) {
    disc.vts.push_back(BuildVts(v));
    disc.menuVobBytes.push_back(v.menuVobBytes);
    disc.titleVobBytes.push_back(v.titleVobBytes);
  }
  // Start sector of each title set, files laid out as on a disc: VIDEO_TS.IFO,
  // .VOB, .BUP, then per set its IFO, menu VOB, title VOBs, BUP.
  std::vector<uint32_t> start(layout.titleSets.size() + 2, 0);
  start[1] = uint32_t((2 * disc.vmg.bytes.size() + disc.menuVobBytes[0]) / kSector);
  for (std::size_t n = 1; n <= layout.titleSets.size(); ++n) {
    uint64_t sectors = (2 * disc.vts[n - 1].bytes.size() + disc.menuVobBytes[n]) / kSector;
    for (uint64_t b : disc.titleVobBytes[n - 1]) sectors += b / kSector;
    start[n + 1] = uint32_t(start[n] + sectors);
  }
  for (std::size_t i = 0; i < layout.vmg.titles.size(); ++i) {
    std::size_t set = std::size_t(layout.vmg.titles[i].titleSet);
    if (set >= 1 && set <= layout.titleSets.size())
      WriteBe32(disc.vmg.Ptr("title " + std::to_string(i + 1), 8), int32_t(start[set]));
  }
  return disc;
}

DiscSpec SimpleDisc(int titleSets, int titlesPerSet, Cmd post) {
  DiscSpec d;
  d.titleSets.resize(std::size_t(titleSets));
  for (int v = 1; v <= titleSets; ++v) {
    for (int t = 1; t <= titlesPerSet; ++t) {
      d.titleSets[std::size_t(v - 1)].titlePgcs.push_back(Pgc{{}, {post}});
      d.vmg.titles.push_back(Title{v, t, 1, 1});
    }
  }
  return d;
}

void WriteBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f.flush()) throw std::runtime_error("cannot write " + hostPath);
}

void WriteDisc(const std::string& hostFolder, const BuiltDisc& disc) {
  std::string dir = hostFolder.empty() || hostFolder.back() == '/' ? hostFolder : hostFolder + "/";
  auto name = [&](const char* format, std::size_t n, std::size_t k = 0) {
    char text[32];
    std::snprintf(text, sizeof text, format, n, k);
    return dir + text;
  };
  // VOBs as sparse files of their sizes.
  auto vob = [](const std::string& path, uint64_t size) {
    WriteBytes(path, {});
    if (truncate(path.c_str(), off_t(size)) != 0) throw std::runtime_error("cannot size " + path);
  };
  for (std::size_t n = 0; n <= disc.vts.size(); ++n) {
    const char* base = n == 0 ? "VIDEO_TS" : "VTS_%02zu_0";
    for (const char* extension : {".IFO", ".BUP"})
      WriteBytes(name((base + std::string(extension)).c_str(), n),
                 n == 0 ? disc.vmg.bytes : disc.vts[n - 1].bytes);
    if (disc.menuVobBytes[n]) vob(name((base + std::string(".VOB")).c_str(), n), disc.menuVobBytes[n]);
    for (std::size_t k = 1; n > 0 && k <= disc.titleVobBytes[n - 1].size(); ++k)
      vob(name("VTS_%02zu_%zu.VOB", n, k), disc.titleVobBytes[n - 1][k - 1]);
  }
}

void WriteDisc(const std::string& hostFolder, const DiscSpec& layout) {
  WriteDisc(hostFolder, BuildDisc(layout));
}

void LoadDisc(const BuiltDisc& disc) {
  if (disc.vts.size() > std::size_t(kMaxTitleSets)) throw std::invalid_argument("more than 99 title sets");
  Disc.TitleCount = 0;
  std::memset(Disc.IfoOffset, 0, sizeof Disc.IfoOffset);
  std::memset(Disc.IfoSize, 0, sizeof Disc.IfoSize);
  std::memset(Disc.TitleVobBase, 0, sizeof Disc.TitleVobBase);
  std::memset(Disc.TitleVobSectors, 0, sizeof Disc.TitleVobSectors);
  std::memset(Disc.MenuVobSize, 0, sizeof Disc.MenuVobSize);
  std::size_t offset = 0;
  uint64_t menuVobs = 0, infoBytes = 0;
  for (std::size_t n = 0; n <= disc.vts.size(); ++n) {
    const std::vector<uint8_t>& bytes = n == 0 ? disc.vmg.bytes : disc.vts[n - 1].bytes;
    if (bytes.size() > std::size_t(kIfoStoreCapacity) - offset)
      throw std::invalid_argument("the images do not fit IfoStore");
    std::memcpy(Disc.IfoStore + offset, bytes.data(), bytes.size());
    Disc.IfoOffset[n] = int32_t(offset);
    Disc.IfoSize[n] = int32_t(bytes.size());
    offset += bytes.size();
    infoBytes += 2 * bytes.size();
    Disc.MenuVobSize[n] = int32_t(uint32_t(disc.menuVobBytes[n]));
    menuVobs += uint32_t(disc.menuVobBytes[n]);
    if (n == 0) continue;
    Disc.TitleVobCount[n - 1] = 0;
    for (std::size_t k = 1; k <= disc.titleVobBytes[n - 1].size() && k <= 9; ++k) {
      int32_t sectors = int32_t(disc.titleVobBytes[n - 1][k - 1] / kSector);
      Disc.VobSectors[10 * n + k] = sectors;
      Disc.TitleVobSectors[n] += sectors;
      Disc.TitleVobCount[n - 1] += 1;
    }
    if (n + 1 <= 99) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + Disc.TitleVobSectors[n];
  }
  Disc.TitleSetCount = int32_t(disc.vts.size());
  Disc.TitleVobSectors[0] = int32_t((menuVobs + infoBytes) / kSector);
  // Through the checked lookup, so that a test may load a damaged image.
  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
}

void LoadDisc(const DiscSpec& layout) { LoadDisc(BuildDisc(layout)); }

}  // namespace testdisc
