// Test discs described by what they are, not by their bytes.
//
//   using namespace testdisc;
//   DiscSpec d = SimpleDisc(2, 3);                 // 2 title sets x 3 titles
//   d.titleSets[0].titlePgcs[1].post.clear();      // title 2 without post commands
//   d.vmg.menus = {LanguageUnit{"en"}, LanguageUnit{"ja"}};
//   d.vmg.menus[0].pgcs.resize(4);                 // 4 command-only menu chains
//   d.vmg.menus[1].pgcs.resize(1);
//   LoadDisc(d);                                   // straight into Disc, as a read would leave it
//   WriteDisc(folder, d);                          // or real files for ReadEditFolder
//
// Damaged discs: build, then change one field through the named offsets.
//   BuiltDisc b = BuildDisc(d);
//   WriteBe32(b.vmg.Ptr("VMGI_MAT", kVmgTtSrptSector), 0x7FFF);
//   WriteBe16(b.vts[0].Ptr("pgc 2 cmd", 2), 500);   // 500 post commands promised
//   WriteDisc(folder, b);
//
// The images are valid DVD-Video as libdvdread reads them: VMGI_MAT / VTSI_MAT in
// sector 0, First Play PGC at byte 0x400, every table on its own sector
// boundary, every image a whole number of sectors and at least 2 of them.
// Program chains are command-only (no programs, no cells).
//
// Every member has a default, so partial braces ({"ja"}, {2, 1}) build
// without -Wmissing-field-initializers.
//
// Names in BuiltImage::at (byte offsets from the image start). Numbers are
// 1-based as people count them: "title 1" is the first title, "lu 1" the
// first language unit, "pgc 1" the first program chain of its table.
//   both:   "lu N"                 language unit N of the image's menu table
//           "lu N pgc K"           its program chain K
//   VIDEO_TS.IFO: "VMGI_MAT" (0), "first play", "TT_SRPT", "title N" (12-byte
//           entry), "VMGM_PGCI_UT", and those of the five tables that follow
//           that are present: "PTL_MAIT", "VTS_ATRT", "TXTDT_MGI",
//           "VMGM_C_ADT", "VMGM_VOBU_ADMAP"
//   VTS_nn_0.IFO: "VTSI_MAT" (0), "VTS_PTT_SRPT", "VTS_PGCIT", "pgc K" (title
//           program chain K), "VTSM_PGCI_UT", "VTS_C_ADT", "VTS_VOBU_ADMAP"
//   every program chain X with a command table: "X cmd" (the 8-byte command
//           table header) and, when it has post commands, "X post" (the first
//           one). E.g. "pgc 2 post", "lu 1 pgc 3 cmd", "first play cmd".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testdisc {

using Cmd = std::array<uint8_t, 8>;
// "30 01 00 00 00 00 00 00" (blanks optional) -> bytes; throws on bad text.
Cmd C(const char* hex);
// The same for any number of bytes.
std::vector<uint8_t> Hex(std::string text);

// A command-only program chain.
struct Pgc {
  std::vector<Cmd> pre = {}, post = {}, cell = {};
  bool noCommandTable = false;  // byte 0xE4 = 0: no command table at all
  uint8_t category = 0;         // menu category byte of its search pointer (0x82: entry, title menu)
};

struct LanguageUnit {
  std::string lang = "en";  // two letters
  uint8_t existence = 0x80;
  std::vector<Pgc> pgcs = {};
};

// One entry of the title search pointer table.
struct Title {
  int titleSet = 1;
  int titleInSet = 1;
  int angles = 1;
  int chapters = 1;
};

// Sector field value meaning "place this table after the previous ones".
constexpr int32_t kAutoPlaced = -1;

struct VmgSpec {
  std::vector<Title> titles = {};
  std::optional<Pgc> firstPlay = {};
  // A VMGM_PGCI_UT is written when menus is not empty, or when menuTable is
  // set (a table with no language units).
  bool menuTable = false;
  std::vector<LanguageUnit> menus = {};
  // The tables after the menu table, fields 0xCC..0xDC in this order:
  // 0 absent, kAutoPlaced, or an explicit sector (the image is padded to it).
  // VTS_ATRT (0xD0) is written properly; the others are one sector filled
  // with 0xA0 + their index (markers, not tables libdvdread can parse), so a
  // test can see where they moved.
  std::array<int32_t, 5> following = {0, kAutoPlaced, 0, 0, 0};
  int titleSetCount = 0;  // VMGI_MAT 0x3E; 0 = the highest title set of the titles (BuildDisc: the disc's)
  uint64_t menuVobBytes = 0;  // VIDEO_TS.VOB; 0 = absent
};

struct VtsSpec {
  std::vector<Pgc> titlePgcs = {};  // VTS_PGCIT, program chain k = titlePgcs[k - 1]
  // VTS_PTT_SRPT: the program chain of each chapter of title k = chapters[k - 1];
  // empty: one title per chain, title k one chapter in chain k.
  std::vector<std::vector<int>> chapters = {};
  bool menuTable = false;  // as in VmgSpec, for the VTSM_PGCI_UT
  std::vector<LanguageUnit> menus = {};
  uint64_t menuVobBytes = 0;                 // VTS_nn_0.VOB; 0 = absent
  std::vector<uint64_t> titleVobBytes = {};  // VTS_nn_1.VOB, VTS_nn_2.VOB, ...
};

struct DiscSpec {
  VmgSpec vmg = {};
  std::vector<VtsSpec> titleSets = {};  // VTS_01, VTS_02, ...
};

struct BuiltImage {
  std::vector<uint8_t> bytes;
  std::map<std::string, std::size_t> at;

  // Offset of a named place; throws std::out_of_range naming it when absent.
  std::size_t At(const std::string& name) const;
  uint8_t* Ptr(const std::string& name, std::size_t plus = 0);
};

struct BuiltDisc {
  BuiltImage vmg;
  std::vector<BuiltImage> vts;  // vts[0] is VTS_01_0.IFO
  uint64_t vmgMenuVobBytes = 0;
  std::vector<uint64_t> vtsMenuVobBytes;
  std::vector<std::vector<uint64_t>> titleVobBytes;
};

// Each title entry's start sector and the VMG's title set count laid out as
// a disc lays out its files.
BuiltDisc BuildDisc(const DiscSpec& layout);

// titleSets x titlesPerSet titles numbered in order, each title's program
// chain holding one post command `post` (default JumpTT 1).
DiscSpec SimpleDisc(int titleSets, int titlesPerSet, Cmd post = C("30 02 00 00 00 01 00 00"));

// Real files in a host folder: VIDEO_TS.IFO/.BUP, VTS_nn_0.IFO/.BUP with the
// same bytes, and the VOBs of the given sizes as sparse files (truncate).
void WriteDisc(const std::string& hostFolder, const BuiltDisc& disc);
void WriteDisc(const std::string& hostFolder, const DiscSpec& layout);
void WriteBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes);

// Puts the images into Disc.IfoStore and sets what a successful
// ReadEditFolder sets (counts, IfoOffset/IfoSize, VOB sizes and sectors),
// without its checks (call CheckDiscTables() for those) and without touching
// EditFolder. Leaves VmgImage, the menu table and the actions alone: call
// PrepareMenuTable() for those. Throws when the images do not fit.
void LoadDisc(const BuiltDisc& disc);
void LoadDisc(const DiscSpec& layout);

}  // namespace testdisc
