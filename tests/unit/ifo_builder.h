// Test discs described by what they are, not by their bytes: build a
// DiscSpec (SimpleDisc gives titleSets x titlesPerSet titles), then LoadDisc
// it straight into Disc as a read would leave it, or WriteDisc it as real
// files. For a damaged disc, BuildDisc and change one field through the named
// places, e.g. WriteBe16(b.vts[0].Ptr("pgc 2 cmd", 2), 500).
//
// The images hold what the engine reads, laid out as DVD-Video: every table
// on its own sector boundary, First Play at byte 0x400, at least 2 sectors
// each. Program chains are command-only (no programs, no cells).
//
// Places named in BuiltImage::at (byte offsets; numbers 1-based as people count):
//   both:   "lu N", "lu N pgc K" (language unit N of the menu table, its chain K)
//   VIDEO_TS.IFO: "VMGI_MAT", "first play", "TT_SRPT", "title N" (its entry),
//           "VMGM_PGCI_UT" and the following tables present ("PTL_MAIT", ...)
//   VTS_nn_0.IFO: "VTSI_MAT", "VTS_PTT_SRPT", "VTS_PGCIT", "pgc K",
//           "VTSM_PGCI_UT", "VTS_C_ADT", "VTS_VOBU_ADMAP"
//   a chain X with a command table: "X cmd" (its header), "X post" (the first
//           post command), e.g. "pgc 2 post", "lu 1 pgc 3 cmd", "first play cmd".
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testdisc {

using Cmd = std::array<uint8_t, 8>;
// "30 01 00 00 00 00 00 00" (blanks optional) -> bytes; throws unless 8.
Cmd C(const char* hex);

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
  int titleSet = 1, titleInSet = 1, angles = 1, chapters = 1;
};

struct VmgSpec {
  std::vector<Title> titles = {};
  std::optional<Pgc> firstPlay = {};
  std::vector<LanguageUnit> menus = {};  // a VMGM_PGCI_UT when not empty
  // Which of the tables after the menu table (fields 0xCC..0xDC in this
  // order) there are, one sector each on the sector after the one before,
  // filled with 0xA0 + its index (markers: the engine only moves them), so
  // that a test can see where they moved.
  std::array<bool, 5> following = {false, true};
};

struct VtsSpec {
  std::vector<Pgc> titlePgcs = {};  // VTS_PGCIT, program chain k = titlePgcs[k - 1]
  // VTS_PTT_SRPT: the program chain of each chapter of title k = chapters[k - 1];
  // empty: one title per chain, title k one chapter in chain k.
  std::vector<std::vector<int>> chapters = {};
  std::vector<LanguageUnit> menus = {};      // a VTSM_PGCI_UT when not empty
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
  // Offset of a named place; throws std::out_of_range when absent.
  std::size_t At(const std::string& name) const { return at.at(name); }
  uint8_t* Ptr(const std::string& name, std::size_t plus = 0) { return bytes.data() + At(name) + plus; }
};

struct BuiltDisc {
  BuiltImage vmg;
  std::vector<BuiltImage> vts;                       // vts[0] is VTS_01_0.IFO
  std::vector<uint64_t> menuVobBytes;                // [n] VTS_nn_0.VOB, [0] none
  std::vector<std::vector<uint64_t>> titleVobBytes;  // [n - 1] VTS_nn_1.VOB, ...
};

// Each title entry's start sector laid out as a disc lays out its files.
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
