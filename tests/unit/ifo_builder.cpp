#include "tests/unit/ifo_builder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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

void Put32(BuiltImage& img, std::size_t offset, uint32_t v) { WriteBe32(Room(img, offset, 4), int32_t(v)); }
void Put16(BuiltImage& img, std::size_t offset, int v) { WriteBe16(Room(img, offset, 2), v); }

// Starts a table at the next sector boundary and names it.
std::size_t StartTable(BuiltImage& img, const std::string& name) {
  std::size_t start = RoundUp(img.bytes.size());
  Room(img, start, 8);
  img.at[name] = start;
  return start;
}

std::size_t PgcSize(const Pgc& p) {
  if (p.noCommandTable) return kPgcHeaderSize;
  return kPgcHeaderSize + 8 + kCommandSize * (p.pre.size() + p.post.size() + p.cell.size());
}

void WritePgc(BuiltImage& img, std::size_t at, const Pgc& p, const std::string& name) {
  uint8_t* d = Room(img, at, PgcSize(p));
  std::memset(d, 0, PgcSize(p));
  d[7] = 0xC0;  // frame-rate bits of a zero playback time
  img.at[name] = at;
  if (p.noCommandTable) return;
  WriteBe16(d + kPgcCommandTableOffset, kPgcHeaderSize);
  uint8_t* t = d + kPgcHeaderSize;
  std::size_t total = p.pre.size() + p.post.size() + p.cell.size();
  WriteBe16(t, int(p.pre.size()));
  WriteBe16(t + 2, int(p.post.size()));
  WriteBe16(t + 4, int(p.cell.size()));
  WriteBe16(t + 6, int(8 + kCommandSize * total - 1));
  img.at[name + " cmd"] = at + kPgcHeaderSize;
  if (!p.post.empty()) img.at[name + " post"] = at + kPgcHeaderSize + 8 + kCommandSize * p.pre.size();
  uint8_t* c = t + 8;
  for (const auto* list : {&p.pre, &p.post, &p.cell}) {
    for (const Cmd& cmd : *list) {
      std::memcpy(c, cmd.data(), kCommandSize);
      c += kCommandSize;
    }
  }
}

// A program chain table whose search pointers start at byte 8: VTS_PGCIT or
// one language unit. `prefix` names the chains ("" -> "pgc K").
std::size_t WritePgcTable(BuiltImage& img, std::size_t at, const std::vector<Pgc>& pgcs,
                          const std::string& prefix, bool menuCategories) {
  std::size_t n = pgcs.size();
  std::size_t size = 8 + 8 * n;
  for (const Pgc& p : pgcs) size += PgcSize(p);
  Room(img, at, size);
  Put16(img, at, int(n));
  Put32(img, at + 4, uint32_t(size - 1));
  std::size_t offset = 8 + 8 * n;
  for (std::size_t k = 0; k < n; ++k) {
    // A title chain's category byte carries its title number; a menu chain's its menu type.
    img.bytes[at + 8 + 8 * k] = menuCategories ? pgcs[k].category : uint8_t(0x80 | (k + 1));
    Put32(img, at + 12 + 8 * k, uint32_t(offset));
    WritePgc(img, at + offset, pgcs[k], prefix + "pgc " + std::to_string(k + 1));
    offset += PgcSize(pgcs[k]);
  }
  return size;
}

// VMGM_PGCI_UT or VTSM_PGCI_UT at a new sector; returns its sector.
uint32_t WriteMenuTable(BuiltImage& img, const std::vector<LanguageUnit>& units, const std::string& name) {
  std::size_t start = StartTable(img, name);
  std::size_t u = units.size();
  Put16(img, start, int(u));
  std::size_t offset = 8 + 8 * u;
  for (std::size_t i = 0; i < u; ++i) {
    const LanguageUnit& lu = units[i];
    uint8_t* sp = Room(img, start + 8 + 8 * i, 8);
    sp[0] = lu.lang.size() > 0 ? uint8_t(lu.lang[0]) : 0;
    sp[1] = lu.lang.size() > 1 ? uint8_t(lu.lang[1]) : 0;
    sp[3] = lu.existence;
    Put32(img, start + 12 + 8 * i, uint32_t(offset));
    std::string luName = "lu " + std::to_string(i + 1);
    img.at[luName] = start + offset;
    offset += WritePgcTable(img, start + offset, lu.pgcs, luName + " ", true);
  }
  Room(img, start, offset);
  Put32(img, start + 4, uint32_t(offset - 1));
  return uint32_t(start / kSector);
}

void Finish(BuiltImage& img) {
  img.bytes.resize(std::max<std::size_t>(RoundUp(img.bytes.size()), 2 * kSector));
}

uint32_t Sectors(const BuiltImage& img) { return uint32_t(img.bytes.size() / kSector); }

}  // namespace

Cmd C(const char* hex) {
  Cmd cmd{};
  std::size_t n = 0;
  for (const char* p = hex; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(p[0])) ||
        !std::isxdigit(static_cast<unsigned char>(p[1])) || n == 8)
      throw std::invalid_argument(std::string("bad command text: ") + hex);
    cmd[n++] = uint8_t(std::stoi(std::string(p, 2), nullptr, 16));
    p += 2;
  }
  if (n != 8) throw std::invalid_argument(std::string("bad command text: ") + hex);
  return cmd;
}

std::size_t BuiltImage::At(const std::string& name) const {
  auto it = at.find(name);
  if (it == at.end()) throw std::out_of_range("no place named \"" + name + "\" in the built image");
  return it->second;
}

uint8_t* BuiltImage::Ptr(const std::string& name, std::size_t plus) { return bytes.data() + At(name) + plus; }

namespace {

BuiltImage BuildVmg(const VmgSpec& layout) {
  BuiltImage img;
  Room(img, 0, kSector);
  img.at["VMGI_MAT"] = 0;
  std::memcpy(img.bytes.data(), "DVDVIDEO-VMG", 12);
  img.bytes[0x21] = 0x11;  // DVD-Video version 1.1
  Put16(img, 0x26, 1);     // volumes
  Put16(img, 0x28, 1);     // this volume
  img.bytes[0x2A] = 1;     // disc side
  int titleSets = layout.titleSetCount;
  if (titleSets == 0) {
    for (const Title& t : layout.titles) titleSets = std::max(titleSets, t.titleSet);
  }
  titleSets = std::max(titleSets, 1);
  Put16(img, 0x3E, titleSets);
  std::memcpy(img.bytes.data() + 0x40, "REELWRITE TEST DISC", 19);

  uint32_t matEnd = 0x3FF;
  if (layout.firstPlay) {
    WritePgc(img, 0x400, *layout.firstPlay, "first play");
    Put32(img, kVmgFirstPlayPgc, 0x400);
    matEnd = uint32_t(0x400 + PgcSize(*layout.firstPlay) - 1);
  }
  Put32(img, kVmgMatEnd, matEnd);

  std::size_t tt = StartTable(img, "TT_SRPT");
  Put32(img, kVmgTtSrptSector, uint32_t(tt / kSector));
  Put16(img, tt, int(layout.titles.size()));
  Put32(img, tt + 4, uint32_t(8 + 12 * layout.titles.size() - 1));
  for (std::size_t i = 0; i < layout.titles.size(); ++i) {
    const Title& t = layout.titles[i];
    uint8_t* e = Room(img, tt + 8 + 12 * i, 12);
    e[1] = uint8_t(t.angles);
    WriteBe16(e + 2, t.chapters);
    e[6] = uint8_t(t.titleSet);
    e[7] = uint8_t(t.titleInSet);
    img.at["title " + std::to_string(i + 1)] = tt + 8 + 12 * i;
  }

  if (layout.menuTable || !layout.menus.empty())
    Put32(img, kVmgMenuPgciUtSector, WriteMenuTable(img, layout.menus, "VMGM_PGCI_UT"));

  for (int i = 0; i < 5; ++i) {
    int32_t sector = layout.following[i];
    if (sector == 0) continue;
    std::size_t start;
    if (sector == kAutoPlaced) {
      start = StartTable(img, kFollowingNames[i]);
    } else {
      start = std::size_t(sector) * kSector;
      if (sector < 0 || start < img.bytes.size())
        throw std::invalid_argument(std::string(kFollowingNames[i]) + " at a sector already in use");
      img.at[kFollowingNames[i]] = start;
    }
    Put32(img, kVmgFollowingTables[i], uint32_t(start / kSector));
    if (i == 1) {  // VTS_ATRT: one attribute record per title set
      std::size_t recordsAt = 8 + 4 * std::size_t(titleSets);
      std::size_t size = recordsAt + kVtsAttributesSize * titleSets;
      Room(img, start, size);
      Put16(img, start, titleSets);
      Put32(img, start + 4, uint32_t(size - 1));
      for (int n = 0; n < titleSets; ++n) {
        std::size_t rec = recordsAt + kVtsAttributesSize * n;
        Put32(img, start + 8 + 4 * n, uint32_t(rec));
        Put32(img, start + rec, uint32_t(kVtsAttributesSize - 1));
      }
    } else {
      std::memset(Room(img, start, kSector), 0xA0 + i, kSector);
    }
  }

  Finish(img);
  uint32_t ifoSectors = Sectors(img);
  uint32_t vobSectors = uint32_t(layout.menuVobBytes / kSector);
  Put32(img, kVmgIfoLastSector, ifoSectors - 1);
  Put32(img, kVmgLastSector, vobSectors + 2 * ifoSectors - 1);
  Put32(img, kVmgMenuVobsSector, vobSectors ? ifoSectors : 0);
  return img;
}

BuiltImage BuildVts(const VtsSpec& layout) {
  BuiltImage img;
  Room(img, 0, kSector);
  img.at["VTSI_MAT"] = 0;
  std::memcpy(img.bytes.data(), "DVDVIDEO-VTS", 12);
  img.bytes[0x21] = 0x11;
  Put32(img, 0x80, 0x3FF);  // end of VTSI_MAT

  // Chapter table: each chapter is program 1 of its chain.
  std::vector<std::vector<int>> chapters = layout.chapters;
  if (chapters.empty())
    for (std::size_t k = 1; k <= layout.titlePgcs.size(); ++k) chapters.push_back({int(k)});
  std::size_t titles = chapters.size();
  std::size_t ptt = StartTable(img, "VTS_PTT_SRPT");
  Put32(img, 0xC8, uint32_t(ptt / kSector));
  Put16(img, ptt, int(titles));
  std::size_t listAt = 8 + 4 * titles;
  for (std::size_t k = 0; k < titles; ++k) {
    Put32(img, ptt + 8 + 4 * k, uint32_t(listAt));
    for (int pgc : chapters[k]) {
      Put16(img, ptt + listAt, pgc);
      Put16(img, ptt + listAt + 2, 1);
      listAt += 4;
    }
  }
  Room(img, ptt, listAt);
  Put32(img, ptt + 4, uint32_t(listAt - 1));

  std::size_t pgcit = StartTable(img, "VTS_PGCIT");
  Put32(img, kVtsPgcitSector, uint32_t(pgcit / kSector));
  WritePgcTable(img, pgcit, layout.titlePgcs, "", false);

  if (layout.menuTable || !layout.menus.empty())
    Put32(img, kVtsMenuPgciUtSector, WriteMenuTable(img, layout.menus, "VTSM_PGCI_UT"));

  // One cell address and one VOBU address, so the title domain tables exist.
  std::size_t cadt = StartTable(img, "VTS_C_ADT");
  Put32(img, 0xE0, uint32_t(cadt / kSector));
  uint8_t* cell = Room(img, cadt, 20);
  WriteBe16(cell, 1);  // VOBs
  WriteBe32(cell + 4, 8 + 12 - 1);
  WriteBe16(cell + 8, 1);   // VOB 1
  cell[10] = 1;             // cell 1
  WriteBe32(cell + 16, 1);  // last sector
  std::size_t admap = StartTable(img, "VTS_VOBU_ADMAP");
  Put32(img, 0xE4, uint32_t(admap / kSector));
  Put32(img, admap, 4 + 4 - 1);

  Finish(img);
  uint32_t ifoSectors = Sectors(img);
  uint32_t menuSectors = uint32_t(layout.menuVobBytes / kSector);
  uint64_t titleSectors = 0;
  for (uint64_t b : layout.titleVobBytes) titleSectors += b / kSector;
  Put32(img, kVtsIfoLastSector, ifoSectors - 1);
  Put32(img, kVtsLastSector, uint32_t(titleSectors + 2 * ifoSectors + menuSectors - 1));
  Put32(img, kVtsMenuVobsSector, menuSectors ? ifoSectors : 0);
  Put32(img, kVtsTitleVobsSector, ifoSectors + menuSectors);
  return img;
}

}  // namespace

BuiltDisc BuildDisc(const DiscSpec& layout) {
  BuiltDisc disc;
  VmgSpec vmg = layout.vmg;
  if (vmg.titleSetCount == 0) vmg.titleSetCount = std::max<int>(1, int(layout.titleSets.size()));
  disc.vmg = BuildVmg(vmg);
  disc.vmgMenuVobBytes = vmg.menuVobBytes;
  for (const VtsSpec& v : layout.titleSets) {
    disc.vts.push_back(BuildVts(v));
    disc.vtsMenuVobBytes.push_back(v.menuVobBytes);
    disc.titleVobBytes.push_back(v.titleVobBytes);
  }

  // Start sector of each title set, files laid out as on a disc:
  // VIDEO_TS.IFO, .VOB, .BUP, then per set its IFO, menu VOB, title VOBs, BUP.
  std::vector<uint32_t> start(layout.titleSets.size() + 2, 0);
  start[1] = uint32_t(2 * disc.vmg.bytes.size() / kSector + disc.vmgMenuVobBytes / kSector);
  for (std::size_t n = 1; n <= layout.titleSets.size(); ++n) {
    uint64_t sectors = (2 * disc.vts[n - 1].bytes.size() + disc.vtsMenuVobBytes[n - 1]) / kSector;
    for (uint64_t b : disc.titleVobBytes[n - 1]) sectors += b / kSector;
    start[n + 1] = uint32_t(start[n] + sectors);
  }
  for (std::size_t i = 0; i < vmg.titles.size(); ++i) {
    std::size_t set = std::size_t(vmg.titles[i].titleSet);
    if (set >= 1 && set <= layout.titleSets.size())
      WriteBe32(disc.vmg.Ptr("title " + std::to_string(i + 1), 8), int32_t(start[set]));
  }
  return disc;
}

DiscSpec SimpleDisc(int titleSets, int titlesPerSet, Cmd post) {
  DiscSpec d;
  for (int v = 1; v <= titleSets; ++v) {
    VtsSpec vts;
    for (int t = 1; t <= titlesPerSet; ++t) {
      Pgc p;
      p.post.push_back(post);
      vts.titlePgcs.push_back(p);
      d.vmg.titles.push_back(Title{v, t, 1, 1});
    }
    d.titleSets.push_back(vts);
  }
  return d;
}

void WriteBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + hostPath);
}

namespace {

void WriteSparse(const std::string& hostPath, uint64_t size) {
  WriteBytes(hostPath, {});
  if (truncate(hostPath.c_str(), off_t(size)) != 0) throw std::runtime_error("cannot size " + hostPath);
}

}  // namespace

void WriteDisc(const std::string& hostFolder, const BuiltDisc& disc) {
  std::string dir = hostFolder.empty() || hostFolder.back() == '/' ? hostFolder : hostFolder + "/";
  WriteBytes(dir + "VIDEO_TS.IFO", disc.vmg.bytes);
  WriteBytes(dir + "VIDEO_TS.BUP", disc.vmg.bytes);
  if (disc.vmgMenuVobBytes) WriteSparse(dir + "VIDEO_TS.VOB", disc.vmgMenuVobBytes);
  char name[32];
  for (std::size_t n = 1; n <= disc.vts.size(); ++n) {
    std::snprintf(name, sizeof name, "VTS_%02zu_0.IFO", n);
    WriteBytes(dir + name, disc.vts[n - 1].bytes);
    std::snprintf(name, sizeof name, "VTS_%02zu_0.BUP", n);
    WriteBytes(dir + name, disc.vts[n - 1].bytes);
    if (disc.vtsMenuVobBytes[n - 1]) {
      std::snprintf(name, sizeof name, "VTS_%02zu_0.VOB", n);
      WriteSparse(dir + name, disc.vtsMenuVobBytes[n - 1]);
    }
    for (std::size_t k = 1; k <= disc.titleVobBytes[n - 1].size(); ++k) {
      std::snprintf(name, sizeof name, "VTS_%02zu_%zu.VOB", n, k);
      WriteSparse(dir + name, disc.titleVobBytes[n - 1][k - 1]);
    }
  }
}

void WriteDisc(const std::string& hostFolder, const DiscSpec& layout) {
  WriteDisc(hostFolder, BuildDisc(layout));
}

void LoadDisc(const BuiltDisc& disc) {
  if (disc.vts.size() > std::size_t(kMaxTitleSets)) throw std::invalid_argument("more than 99 title sets");
  Disc.TitleCount = 0;
  Disc.TitleSetCount = 0;
  std::memset(Disc.IfoOffset, 0, sizeof Disc.IfoOffset);
  std::memset(Disc.IfoSize, 0, sizeof Disc.IfoSize);
  std::memset(Disc.TitleVobBase, 0, sizeof Disc.TitleVobBase);
  std::memset(Disc.TitleVobSectors, 0, sizeof Disc.TitleVobSectors);
  std::memset(Disc.MenuVobSize, 0, sizeof Disc.MenuVobSize);

  std::size_t offset = 0;
  auto store = [&](int n, const std::vector<uint8_t>& bytes) {
    if (bytes.size() > std::size_t(kIfoStoreCapacity) - offset)
      throw std::invalid_argument("the images do not fit IfoStore");
    std::memcpy(Disc.IfoStore + offset, bytes.data(), bytes.size());
    Disc.IfoOffset[n] = int32_t(offset);
    Disc.IfoSize[n] = int32_t(bytes.size());
    offset += bytes.size();
  };
  store(0, disc.vmg.bytes);
  uint64_t menuVobs = disc.vmgMenuVobBytes;
  Disc.MenuVobSize[0] = int32_t(uint32_t(disc.vmgMenuVobBytes));
  for (std::size_t n = 1; n <= disc.vts.size(); ++n) {
    store(int(n), disc.vts[n - 1].bytes);
    Disc.TitleVobCount[n - 1] = 0;
    for (std::size_t k = 1; k <= disc.titleVobBytes[n - 1].size() && k <= 9; ++k) {
      int32_t sectors = int32_t(disc.titleVobBytes[n - 1][k - 1] / kSector);
      Disc.VobSectors[10 * n + k] = sectors;
      Disc.TitleVobSectors[n] += sectors;
      Disc.TitleVobCount[n - 1] += 1;
    }
    if (n + 1 <= 99) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + Disc.TitleVobSectors[n];
    Disc.MenuVobSize[n] = int32_t(uint32_t(disc.vtsMenuVobBytes[n - 1]));
    menuVobs += uint32_t(disc.vtsMenuVobBytes[n - 1]);
  }
  Disc.TitleSetCount = int32_t(disc.vts.size());
  int64_t infoSectors = int64_t((menuVobs + 2 * uint64_t(Disc.IfoSize[0])) / kSector);
  for (std::size_t n = 1; n <= disc.vts.size(); ++n) infoSectors += 2 * int64_t(Disc.IfoSize[n]) / kSector;
  Disc.TitleVobSectors[0] = int32_t(infoSectors);
  // Through the checked lookup, so that a test may load a damaged image.
  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
}

void LoadDisc(const DiscSpec& layout) { LoadDisc(BuildDisc(layout)); }

std::vector<uint8_t> Hex(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  std::vector<uint8_t> b;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2)
    b.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
  return b;
}

}  // namespace testdisc
