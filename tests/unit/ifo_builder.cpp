#include "tests/unit/ifo_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

namespace testdisc {
namespace {

constexpr std::size_t kSector = kSectorSize;
const char* const kFollowingNames[5] = {"PTL_MAIT", "VTS_ATRT", "TXTDT_MGI", "VMGM_C_ADT", "VMGM_VOBU_ADMAP"};

std::size_t RoundUp(std::size_t n) { return (n + kSector - 1) / kSector * kSector; }

// Grows the image so that [offset, offset + length) exists.
uint8_t* Room(BuiltImage& img, std::size_t offset, std::size_t length) {
  if (img.bytes.size() < offset + length) img.bytes.resize(offset + length);
  return img.bytes.data() + offset;
}
void Put32(BuiltImage& img, std::size_t at, std::size_t v) { WriteBe32(Room(img, at, 4), int32_t(v)); }
// Consecutive 16-bit fields from `at` on.
void Put16(BuiltImage& img, std::size_t at, std::initializer_list<std::size_t> values) {
  for (std::size_t v : values) WriteBe16(Room(img, at, 2), int(v)), at += 2;
}

// Starts a table at the next sector boundary, names it and points `field` at it.
std::size_t StartTable(BuiltImage& img, const std::string& name, int field) {
  std::size_t start = RoundUp(img.bytes.size());
  img.at[name] = start;
  Put32(img, std::size_t(field), start / kSector);
  return start;
}

std::size_t Commands(const Pgc& p) { return p.pre.size() + p.post.size() + p.cell.size(); }
std::size_t PgcSize(const Pgc& p) { return kPgcHeaderSize + (p.noCommandTable ? 0 : 8 + 8 * Commands(p)); }

void WritePgc(BuiltImage& img, std::size_t at, const Pgc& p, const std::string& name) {
  Room(img, at, PgcSize(p))[7] = 0xC0;  // frame-rate bits of a zero playback time
  img.at[name] = at;
  if (p.noCommandTable) return;
  std::size_t t = at + kPgcHeaderSize, c = t + 8;
  Put16(img, at + kPgcCommandTableOffset, {kPgcHeaderSize});
  Put16(img, t, {p.pre.size(), p.post.size(), p.cell.size(), 8 * Commands(p) + 7});
  img.at[name + " cmd"] = t;
  if (!p.post.empty()) img.at[name + " post"] = c + 8 * p.pre.size();
  for (const auto* list : {&p.pre, &p.post, &p.cell})
    for (const Cmd& cmd : *list) std::memcpy(Room(img, c, 8), cmd.data(), 8), c += 8;
}

// A program chain table whose search pointers start at byte 8: VTS_PGCIT or
// one language unit. `prefix` names the chains ("" -> "pgc K"; "lu N " -> "lu N pgc K").
std::size_t WritePgcTable(BuiltImage& img, std::size_t at, const std::vector<Pgc>& pgcs, std::string prefix) {
  std::size_t n = pgcs.size(), size = 8 + 8 * n;
  for (const Pgc& p : pgcs) size += PgcSize(p);
  Put16(img, at, {n});
  Put32(img, at + 4, size - 1);
  for (std::size_t k = 0, offset = 8 + 8 * n; k < n; offset += PgcSize(pgcs[k]), ++k) {
    // A title chain's category byte carries its title number; a menu chain's its menu type.
    Put32(img, at + 12 + 8 * k, offset);
    img.bytes[at + 8 + 8 * k] = prefix.empty() ? uint8_t(0x80 | (k + 1)) : pgcs[k].category;
    WritePgc(img, at + offset, pgcs[k], prefix + "pgc " + std::to_string(k + 1));
  }
  return size;
}

// VMGM_PGCI_UT or VTSM_PGCI_UT at a new sector, unless there are no menus.
void WriteMenuTable(BuiltImage& img, const std::vector<LanguageUnit>& units, const char* name, int field) {
  if (units.empty()) return;
  std::size_t start = StartTable(img, name, field), u = units.size(), offset = 8 + 8 * u;
  Put16(img, start, {u});
  for (std::size_t i = 0; i < u; ++i) {
    Put32(img, start + 12 + 8 * i, offset);
    std::memcpy(&img.bytes[start + 8 + 8 * i], (units[i].lang + std::string(2, '\0')).data(), 2);
    img.bytes[start + 11 + 8 * i] = units[i].existence;
    std::string lu = "lu " + std::to_string(i + 1);
    img.at[lu] = start + offset;
    offset += WritePgcTable(img, start + offset, units[i].pgcs, lu + " ");
  }
  Put32(img, start + 4, offset - 1);
}

// Pads to whole sectors (at least two) and sets the sector fields of the
// file set (the same in VIDEO_TS.IFO and VTS_nn_0.IFO); returns the image's sectors.
std::size_t Finish(BuiltImage& img, std::size_t menuSectors, std::size_t titleSectors) {
  img.bytes.resize(std::max<std::size_t>(RoundUp(img.bytes.size()), 2 * kSector));
  std::size_t sectors = img.bytes.size() / kSector;
  Put32(img, kVmgIfoLastSector, sectors - 1);
  Put32(img, kVmgLastSector, titleSectors + 2 * sectors + menuSectors - 1);
  Put32(img, kVmgMenuVobsSector, menuSectors ? sectors : 0);
  return sectors;
}

BuiltImage BuildVmg(const VmgSpec& layout, int titleSets) {
  BuiltImage img{std::vector<uint8_t>(kSector), {{"VMGI_MAT", 0}}};
  std::memcpy(img.bytes.data(), "DVDVIDEO-VMG", 12);
  Put16(img, 0x3E, {std::size_t(titleSets)});
  Put32(img, kVmgMatEnd, layout.firstPlay ? 0x400 + PgcSize(*layout.firstPlay) - 1 : 0x3FF);
  Put32(img, kVmgFirstPlayPgc, layout.firstPlay ? 0x400 : 0);
  if (layout.firstPlay) WritePgc(img, 0x400, *layout.firstPlay, "first play");

  std::size_t tt = StartTable(img, "TT_SRPT", kVmgTtSrptSector), titles = layout.titles.size();
  Put16(img, tt, {titles});
  Put32(img, tt + 4, 8 + 12 * titles - 1);
  for (std::size_t i = 0; i < titles; ++i) {
    const Title& t = layout.titles[i];  // the start sector (the last 4 bytes): BuildDisc
    Put16(img, tt + 8 + 12 * i,
          {std::size_t(t.angles), std::size_t(t.chapters), 0, std::size_t(t.titleSet << 8 | t.titleInSet), 0,
           0});
    img.at["title " + std::to_string(i + 1)] = tt + 8 + 12 * i;
  }
  WriteMenuTable(img, layout.menus, "VMGM_PGCI_UT", kVmgMenuPgciUtSector);

  for (int i = 0; i < 5; ++i) {
    if (!layout.following[i]) continue;
    std::memset(Room(img, StartTable(img, kFollowingNames[i], kVmgFollowingTables[i]), kSector), 0xA0 + i,
                kSector);
  }
  Finish(img, 0, 0);
  return img;
}

BuiltImage BuildVts(const VtsSpec& layout) {
  BuiltImage img{std::vector<uint8_t>(kSector), {{"VTSI_MAT", 0}}};
  std::memcpy(img.bytes.data(), "DVDVIDEO-VTS", 12);

  // Chapter table: each chapter is program 1 of its chain.
  std::vector<std::vector<int>> chapters = layout.chapters;
  for (int k = 1; layout.chapters.empty() && k <= int(layout.titlePgcs.size()); ++k) chapters.push_back({k});
  std::size_t ptt = StartTable(img, "VTS_PTT_SRPT", 0xC8), listAt = 8 + 4 * chapters.size();
  Put16(img, ptt, {chapters.size()});
  for (std::size_t k = 0; k < chapters.size(); ++k) {
    Put32(img, ptt + 8 + 4 * k, listAt);
    for (int pgc : chapters[k]) Put16(img, ptt + listAt, {std::size_t(pgc), 1}), listAt += 4;
  }
  Put32(img, ptt + 4, listAt - 1);

  WritePgcTable(img, StartTable(img, "VTS_PGCIT", kVtsPgcitSector), layout.titlePgcs, "");
  WriteMenuTable(img, layout.menus, "VTSM_PGCI_UT", kVtsMenuPgciUtSector);

  // The title VOBs as one cell of one VOBU, so that the title domain's
  // address tables reach exactly to the end of the files (nothing without them).
  uint64_t titleSectors = 0;
  for (uint64_t b : layout.titleVobBytes) titleSectors += b / kSector;
  std::size_t cells = titleSectors ? 1 : 0, cadt = StartTable(img, "VTS_C_ADT", 0xE0);
  Put16(img, cadt, {cells});  // VOBs
  Put32(img, cadt + 4, 8 + 12 * cells - 1);
  if (cells) Put16(img, cadt + 8, {1, 0x0100}), Put32(img, cadt + 16, titleSectors - 1);  // VOB 1, cell 1
  std::size_t admap = StartTable(img, "VTS_VOBU_ADMAP", 0xE4);
  Put32(img, admap, 4 + 4 * cells - 1);
  Room(img, admap, 4 + 4 * cells);

  std::size_t menuSectors = layout.menuVobBytes / kSector;
  Put32(img, kVtsTitleVobsSector, Finish(img, menuSectors, titleSectors) + menuSectors);
  return img;
}

}  // namespace

Cmd C(const char* hex) {
  std::string text(hex);
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  if (text.size() != 16 || text.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
    throw std::invalid_argument(std::string("bad command text: ") + hex);
  Cmd c;
  for (std::size_t i = 0; i < 8; ++i) c[i] = uint8_t(std::stoi(text.substr(2 * i, 2), 0, 16));
  return c;
}

BuiltDisc BuildDisc(const DiscSpec& layout) {
  BuiltDisc disc;
  disc.vmg = BuildVmg(layout.vmg, std::max<int>(1, int(layout.titleSets.size())));
  disc.menuVobBytes = {0};
  // Start sector of each title set, files laid out as on a disc: VIDEO_TS.IFO,
  // .BUP, then per set its IFO, menu VOB, title VOBs, BUP.
  std::vector<uint32_t> start = {0, uint32_t(2 * disc.vmg.bytes.size() / kSector)};
  for (const VtsSpec& v : layout.titleSets) {
    disc.vts.push_back(BuildVts(v));
    disc.menuVobBytes.push_back(v.menuVobBytes);
    disc.titleVobBytes.push_back(v.titleVobBytes);
    uint64_t bytes = 2 * disc.vts.back().bytes.size() + v.menuVobBytes;
    for (uint64_t b : v.titleVobBytes) bytes += b / kSector * kSector;
    start.push_back(uint32_t(start.back() + bytes / kSector));
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
  d.titleSets.assign(std::size_t(titleSets),
                     VtsSpec{std::vector<Pgc>(std::size_t(titlesPerSet), {{}, {post}})});
  for (int v = 1; v <= titleSets; ++v)
    for (int t = 1; t <= titlesPerSet; ++t) d.vmg.titles.push_back(Title{v, t, 1, 1});
  return d;
}

void WriteBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  std::ofstream f(hostPath, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f.flush()) throw std::runtime_error("cannot write " + hostPath);
}

void WriteDisc(const std::string& hostFolder, const BuiltDisc& disc) {
  auto name = [&](std::size_t n, const char* extension, std::size_t k = 0) {
    char text[16];
    std::snprintf(text, sizeof text, "VTS_%02zu_%zu.%s", n, k, extension);
    return (std::filesystem::path(hostFolder) / (n ? text : "VIDEO_TS." + std::string(extension))).string();
  };
  // VOBs as sparse files of their sizes.
  auto vob = [](const std::string& p, uint64_t n) { WriteBytes(p, {}), std::filesystem::resize_file(p, n); };
  for (std::size_t n = 0; n <= disc.vts.size(); ++n) {
    for (const char* extension : {"IFO", "BUP"})
      WriteBytes(name(n, extension), n ? disc.vts[n - 1].bytes : disc.vmg.bytes);
    if (disc.menuVobBytes[n]) vob(name(n, "VOB"), disc.menuVobBytes[n]);
    for (std::size_t k = 1; n > 0 && k <= disc.titleVobBytes[n - 1].size(); ++k)
      vob(name(n, "VOB", k), disc.titleVobBytes[n - 1][k - 1]);
  }
}

void WriteDisc(const std::string& folder, const DiscSpec& layout) { WriteDisc(folder, BuildDisc(layout)); }

void LoadDisc(const BuiltDisc& disc) {
  for (int32_t* a : {Disc.IfoOffset, Disc.IfoSize, Disc.TitleVobBase, Disc.TitleVobSectors, Disc.MenuVobSize})
    std::memset(a, 0, sizeof Disc.IfoOffset);
  uint64_t offset = 0, infoAndMenuBytes = 0;
  for (std::size_t n = 0; n <= disc.vts.size(); ++n) {
    const std::vector<uint8_t>& bytes = n == 0 ? disc.vmg.bytes : disc.vts[n - 1].bytes;
    if (bytes.size() > std::size_t(kIfoStoreCapacity) - offset)
      throw std::invalid_argument("the images do not fit IfoStore");
    std::memcpy(Disc.IfoStore + offset, bytes.data(), bytes.size());
    Disc.IfoOffset[n] = int32_t(offset);
    Disc.IfoSize[n] = int32_t(bytes.size());
    offset += bytes.size();
    Disc.MenuVobSize[n] = int32_t(uint32_t(disc.menuVobBytes[n]));
    infoAndMenuBytes += 2 * bytes.size() + uint32_t(disc.menuVobBytes[n]);
    if (n == 0) continue;
    Disc.TitleVobCount[n - 1] = int32_t(std::min<std::size_t>(9, disc.titleVobBytes[n - 1].size()));
    for (int k = 1; k <= Disc.TitleVobCount[n - 1]; ++k)
      Disc.TitleVobSectors[n] += Disc.VobSectors[10 * n + k] =
          int32_t(disc.titleVobBytes[n - 1][k - 1] / kSector);
    if (n + 1 <= 99) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + Disc.TitleVobSectors[n];
  }
  Disc.TitleSetCount = int32_t(disc.vts.size());
  Disc.TitleVobSectors[0] = int32_t(infoAndMenuBytes / kSector);
  // Through the checked lookup, so that a test may load a damaged image.
  int64_t titles = TableOffset(StoredVmgRef(), kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(StoredVmgRef().data + titles);
}

void LoadDisc(const DiscSpec& layout) { LoadDisc(BuildDisc(layout)); }

}  // namespace testdisc
