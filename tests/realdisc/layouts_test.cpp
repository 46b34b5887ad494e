// Discs laid out as other authoring programs and pressed discs lay them out,
// made from dvdauthor's by re-laying out their tables: a chain that is more
// than one title's end, cell commands, shared command tables, menu units in
// another order, a First Play testing the player. Each command either
// refuses with a message and changes nothing, or writes a disc libdvdread
// reads and libdvdnav plays as chosen and as our preview says, from the
// folder and from the image a burning program makes of its parent folder;
// applied again it changes nothing, and restore brings the disc back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/ifo_tables.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/ifo_builder.h"

namespace {

using testdisc::C;
const testdisc::Cmd kLinkPgc3 = C("20 04 00 00 00 00 00 03");

// An information file of a copy, edited in place and written back, with its
// BUP unless told otherwise, when it goes. Offsets are from the file's start;
// a chain's is that of its PGC.
struct IfoFile {
  IfoFile(const std::string& folder, const std::string& name) : path(folder + "/" + name) {
    std::ifstream in(path + ".IFO", std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ~IfoFile() {
    for (const char* extension : {".IFO", ".BUP"})
      if (bup || extension[1] == 'I') testdisc::WriteBytes(path + extension, bytes);
  }
  std::size_t Be16(std::size_t at) const { return std::size_t(ReadBe16(&bytes.at(at))); }
  uint32_t Be32(std::size_t at) const { return uint32_t(ReadBe32(&bytes.at(at))); }
  void Put16(std::size_t at, std::size_t value) { WriteBe16(&bytes.at(at), int(value)); }
  void Put32(std::size_t at, uint32_t value) { WriteBe32(&bytes.at(at), int32_t(value)); }
  std::size_t Table(int field) const { return std::size_t(Be32(std::size_t(field))) * 2048; }
  std::size_t Pointed(std::size_t table, int k) const { return table + Be32(table + 8 * std::size_t(k) + 4); }
  std::size_t TitlePgc(int k) const { return Pointed(Table(kVtsPgcitSector), k); }
  std::size_t MenuUnit(int u) const { return Pointed(Table(kVmgMenuPgciUtSector), u); }
  std::size_t PostAt(std::size_t pgc) const {
    const std::size_t table = pgc + Be16(pgc + kPgcCommandTableOffset);
    return table + 8 + 8 * Be16(table);
  }
  void SetPost(std::size_t pgc, testdisc::Cmd command) {
    std::copy(command.begin(), command.end(), bytes.begin() + long(PostAt(pgc)));
  }
  // The last cell of the chain at `pgc` runs cell command 1.
  void CellRunsCommand(std::size_t pgc) {
    bytes.at(pgc + Be16(pgc + kPgcCellPlaybackOffset) + 24 * (bytes.at(pgc + kPgcCellCount) - 1u) +
             kCellCommandNumber) = 1;
  }
  // Room for `size` bytes behind the end of the table at `table`, inside its
  // last sector: the table's end address grows, and that of its last
  // language unit at `unit` when given. Returns where the room starts.
  std::size_t MakeRoom(std::size_t table, std::size_t unit, std::size_t size) {
    std::size_t end = table + Be32(table + 4), at = (end + 2) & ~std::size_t(1);
    if ((at + size - 1) / 2048 != end / 2048) throw std::runtime_error("no room behind the table");
    Put32(table + 4, uint32_t(at + size - 1 - table));
    if (unit) Put32(unit + 4, uint32_t(at + size - 1 - unit));
    return at;
  }
  // Gives the chain at `pgc` a command table of its own at `at` with these
  // commands, its last cell running cell command 1 when `cell` is not empty.
  void GiveCommands(std::size_t pgc, std::size_t at, const std::vector<testdisc::Cmd>& pre,
                    const std::vector<testdisc::Cmd>& post, const std::vector<testdisc::Cmd>& cell = {}) {
    std::size_t c = at + 8, counts[] = {pre.size(), post.size(), cell.size()};
    for (int i = 0; i < 3; ++i) Put16(at + 2 * std::size_t(i), counts[i]);
    Put16(at + 6, 8 * (1 + pre.size() + post.size() + cell.size()) - 1);
    for (const auto* list : {&pre, &post, &cell})
      for (const testdisc::Cmd& command : *list)
        c = std::size_t(std::copy(command.begin(), command.end(), bytes.begin() + long(c)) - bytes.begin());
    Put16(pgc + kPgcCommandTableOffset, at - pgc);
    if (!cell.empty()) CellRunsCommand(pgc);
  }
  std::string path;
  std::vector<uint8_t> bytes;
  bool bup = true;
};

// Title set 1's chapter table: title k (1-based) plays chains titles[k - 1]
// as its chapters; the video manager's title table counts them.
void SetChapters(const std::string& folder, const std::vector<std::vector<int>>& titles) {
  IfoFile vts(folder, "VTS_01_0"), vmg(folder, "VIDEO_TS");
  const std::size_t table = vts.Table(kVtsPttSrptSector);
  std::size_t at = 8 + 4 * titles.size();
  vts.Put16(table, titles.size());
  for (std::size_t k = 0; k < titles.size(); ++k) {
    vts.Put32(table + 8 + 4 * k, uint32_t(at));
    for (int pgc : titles[k]) {
      vts.Put32(table + at, uint32_t(pgc) << 16 | 1);
      at += 4;
    }
    vmg.Put16(vmg.Table(kVmgTtSrptSector) + 8 + 12 * k + 2, titles[k].size());
  }
  vts.Put32(table + 4, uint32_t(at - 1));
}

// The title set ends on the next ECC block (16 sectors), its BUP behind the gap.
void GapBeforeBup(const std::string& copy) {
  IfoFile vts(copy, "VTS_01_0");
  vts.Put32(kVtsLastSector, (vts.Be32(kVtsLastSector) + 1) / 16 * 16 + 31);
}
void CutVob(const std::string& copy, const char* name, int sectors) {
  const std::string vob = copy + "/" + name;
  std::filesystem::resize_file(vob, std::filesystem::file_size(vob) - 2048 * std::uintmax_t(sectors));
}

// The video manager's menu language units stored again: `stored` lists the
// units (1-based, as authored) in the order they are stored, `named[i]` the
// unit language i + 1 points at; each language keeps its code.
void RelayUnits(const std::string& copy, const std::vector<int>& stored, const std::vector<int>& named) {
  IfoFile vmg(copy, "VIDEO_TS");
  const std::size_t table = vmg.Table(kVmgMenuPgciUtSector), end = table + vmg.Be32(table + 4) + 1;
  std::vector<std::vector<uint8_t>> units;
  for (std::size_t u = 1; u <= named.size(); ++u)
    units.emplace_back(vmg.bytes.begin() + long(vmg.MenuUnit(int(u))),
                       vmg.bytes.begin() + long(u < named.size() ? vmg.MenuUnit(int(u + 1)) : end));
  std::vector<std::size_t> at(units.size() + 1);
  std::size_t next = table + 8 + 8 * named.size();
  for (int u : stored) {
    at[std::size_t(u)] = next - table;
    const auto& unit = units[std::size_t(u - 1)];
    next =
        std::size_t(std::copy(unit.begin(), unit.end(), vmg.bytes.begin() + long(next)) - vmg.bytes.begin());
  }
  std::fill(vmg.bytes.begin() + long(next), vmg.bytes.begin() + long(end), 0);
  for (std::size_t i = 0; i < named.size(); ++i)
    vmg.Put32(table + 12 + 8 * i, uint32_t(at[std::size_t(named[i])]));
  vmg.Put32(table + 4, uint32_t(next - table - 1));
}

// nomenu re-laid as a series disc: title 1 plays chains 1, 2, 3 as its
// chapters (Play All), titles 2 and 3 are chains 2 and 3 alone.
void PlayAll(const std::string& copy) {
  SetChapters(copy, {{1, 2, 3}, {2}, {3}});
  IfoFile vts(copy, "VTS_01_0");
  vts.SetPost(vts.TitlePgc(1), C("20 04 00 00 00 00 00 02"));
  vts.SetPost(vts.TitlePgc(2), kLinkPgc3);
}

// Title `from`'s chain takes its commands from title `to`'s command table.
void ShareTable(const std::string& copy, int from, int to) {
  IfoFile vts(copy, "VTS_01_0");
  std::size_t a = vts.TitlePgc(from), b = vts.TitlePgc(to);
  vts.Put16(a + kPgcCommandTableOffset, int(b + std::size_t(vts.Be16(b + kPgcCommandTableOffset)) - a));
}

// nomenu's title 1 ends with a cell command that links to title 3's chain;
// its post command never runs.
void CellCommandEnd(const std::string& copy) {
  IfoFile vts(copy, "VTS_01_0");
  std::size_t at = vts.MakeRoom(vts.Table(kVtsPgcitSector), 0, 24);
  vts.GiveCommands(vts.TitlePgc(1), at, {}, {C("30 01 00 00 00 00 00 00")}, {kLinkPgc3});
}

// CellCommandEnd, and title 2's chain takes title 1's command table, its
// last cell running the same cell command.
void SharedCellCommand(const std::string& copy) {
  CellCommandEnd(copy);
  ShareTable(copy, 2, 1);
  IfoFile vts(copy, "VTS_01_0");
  vts.CellRunsCommand(vts.TitlePgc(2));
}

// nomenu's chains without command tables, as authors write a chain that
// only plays; with `filled`, VTS_PGCIT's end address takes its sector up to
// the last four bytes, so that any command added crosses into the next.
void NoCommandTables(const std::string& copy, bool filled) {
  IfoFile vts(copy, "VTS_01_0");
  for (int k = 1; k <= 3; ++k) vts.Put16(vts.TitlePgc(k) + kPgcCommandTableOffset, 0);
  std::size_t table = vts.Table(kVtsPgcitSector);
  if (filled) vts.Put32(table + 4, uint32_t((table / 2048 + 1) * 2048 - 4 - 1 - table));
}

// A French menu chain of langunits (chain k of the last language unit) that
// begins "g3 = s4; g4 = 1" as our dispatcher does, cells and all; with
// `first`, its search pointer trades places with the last chain's, so that
// the last chain by number is stored before the others.
void LooksLikeDispatcher(const std::string& copy, int k, bool first) {
  IfoFile vmg(copy, "VIDEO_TS");
  std::size_t unit = vmg.MenuUnit(2), pgc = vmg.Pointed(unit, k), post = vmg.PostAt(pgc);
  std::size_t at = vmg.MakeRoom(vmg.Table(kVmgMenuPgciUtSector), unit, 32);
  testdisc::Cmd last;
  std::copy_n(vmg.bytes.begin() + long(post), 8, last.begin());
  vmg.GiveCommands(pgc, at, {C("61 00 00 03 00 84 00 00"), C("71 00 00 04 00 01 00 00")}, {last});
  auto pointer = [&](int n) { return vmg.bytes.begin() + long(unit + 8 * std::size_t(n)); };
  if (first) std::swap_ranges(pointer(k), pointer(k + 1), pointer(3));
}

// nomenu's First Play starts title 3 on a player of every region, with every
// audio kind, in the United States (as libdvdnav starts), else title 1.
void RegionFirstPlay(const std::string& copy) {
  IfoFile vmg(copy, "VIDEO_TS");
  std::size_t pgc = vmg.Be16(kVmgFirstPlayPgc + 2);
  vmg.GiveCommands(pgc, pgc + 0x100,
                   {C("00 B1 00 94 00 01 00 05"),   // if (SPRM 20 != 1) Goto 5
                    C("00 B1 00 8F 7C FC 00 05"),   // if (SPRM 15 != 0x7CFC) Goto 5
                    C("00 B1 00 8C 55 53 00 05"),   // if (SPRM 12 != "US") Goto 5
                    C("30 02 00 00 00 03 00 00"),   // JumpTT 3
                    C("30 02 00 00 00 01 00 00")},  // JumpTT 1
                   {});
}

// VTS_PGCIT's recorded end short of title 4's commands, or far past the file.
void PgcitEndsAt(const std::string& copy, bool pastFile) {
  IfoFile vts(copy, "VTS_01_0");
  const std::size_t table = vts.Table(kVtsPgcitSector);
  vts.Put32(table + 4, pastFile ? 0x3FFFF0 : uint32_t(vts.TitlePgc(4) + kPgcHeaderSize - table));
}

// VTS_01_0.IFO's chain table points outside the file; its BUP is whole.
void DamageTitleSetIfo(const std::string& copy) {
  IfoFile vts(copy, "VTS_01_0");
  vts.Put32(kVtsPgcitSector, 0x7FFF);
  vts.bup = false;
}

// As a Linux ISO 9660 mount shows the files.
void LowerCaseNames(const std::string& copy) {
  for (const auto& file : ReadFolder(copy)) {
    std::string lower = file.first;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::filesystem::rename(copy + "/" + file.first, copy + "/" + lower);
  }
}

// clang-format off
void (*const kAsAuthored)(const std::string&) = [](const std::string&) {};
const struct Layout {
  const char* disc;
  void (*edit)(const std::string& copy);
  Names args;              // of apply
  const char* plays = "";  // libdvdnav after apply: M a menu, S the stop, or each title's number
  const char* lang = "";
  const char* said = "";   // a refusal: nothing written
  int grows = 0;           // sectors VTS_01_0.IFO grows by
  int title = 0;           // the title libdvdnav plays first, 0 from First Play
  bool burn = false;       // and play the image genisoimage -dvd-video makes of the parent folder
} kLayouts[] = {
  {"smallvmg", kAsAuthored, {"--preset", "3"}, "M 1 2 1 2", "", "", 0, 0, true},  // fewer sectors than recorded
  {"sample", GapBeforeBup, {"--preset", "2"}, "M 1 2 3 S", "", "", 0, 0, true},
  {"menus2vts", kAsAuthored, {"--preset", "3"}, "M 1 2 3 1 2", "", "", 0, 0, true},
  {"smallvmg", [](const std::string& c) { CutVob(c, "VIDEO_TS.VOB", 2); }, {"--preset", "3"}, "", "",
   "VIDEO_TS.VOBが足りません（VIDEO_TS.IFOは7セクタ目まで参照していますが, ファイルは5セクタです）"},
  {"sample", [](const std::string& c) { GapBeforeBup(c); CutVob(c, "VTS_01_1.VOB", 1); }, {"--preset", "3"},
   "", "", "VTS_01_1.VOB〜が足りません"},
  {"sample", [](const std::string& c) { for (auto v : {"/VIDEO_TS.VOB", "/VTS_01_1.VOB"}) std::filesystem::remove(c + v); },
   {"--preset", "3"}, "", "", "VIDEO_TS.VOBが足りません"},
  // Two languages sharing a unit, and units stored out of order.
  {"langunits", [](const std::string& c) { RelayUnits(c, {1}, {1, 1}); }, {"--preset", "3"}, "M 1 2 3 1 2", "fr"},
  {"langunits", [](const std::string& c) { RelayUnits(c, {2, 1}, {1, 2}); }, {"--preset", "3"}, "M 2 3 1 2 3", "fr"},
  {"langunits", [](const std::string& c) { RelayUnits(c, {2, 1}, {1, 2}); }, {"--preset", "0"}, "M 1 2 3 M 1", "en"},
  {"sample", LowerCaseNames, {"--preset", "3"}, "M 1 2 3 1 2"},
  // Title 2's end goes behind a test of its number in front of chain 2's
  // link on to chain 3: title 1 still plays on through it to its own end,
  // which chain 3 holds behind a test of its number as title 3's does
  // (libdvdnav names titles 2 and 3 by title 1, whose chapters they are).
  {"nomenu", PlayAll, {"--title", "2=stop", "--title", "1=jump:1", "--title", "3=stop"}, "1 1 1 1 1"},
  {"nomenu", PlayAll, {"--title", "2=stop", "--title", "1=jump:1", "--title", "3=stop"}, "1 S", "", "", 0, 2},
  {"nomenu", PlayAll, {"--preset", "6"}},
  {"nomenu", PlayAll, {"--title", "1=stop", "--title", "3=stop"}},
  {"nomenu", [](const std::string& c) { ShareTable(c, 1, 2); }, {"--title", "1=stop", "--title", "2=repeat"}, "1 S"},
  {"nomenu", [](const std::string& c) { ShareTable(c, 1, 2); }, {"--preset", "6"}},
  // postcmds: title 4's table has no post command; one added would end title 3 too.
  {"postcmds", [](const std::string& c) { ShareTable(c, 3, 4); }, {"--title", "4=jump:1"}, "", "",
   "コマンドテーブルをPGC3と共有"},
  // Title 1's last cell links to title 3's chain; it alone runs that
  // command, which takes the new end.
  {"nomenu", CellCommandEnd, {"--title", "1=stop"}, "1 S"},
  {"nomenu", CellCommandEnd, {"--preset", "2"}, "1 2 3 S"},
  // Title 2's last cell runs it too: title 1's cell gets a command of its
  // own, title 2's keeps the old one, rewritten.
  {"nomenu", SharedCellCommand, {"--title", "1=jump:2", "--title", "2=stop"}, "1 2 S"},
  // A cell command runs before any test of the title number could.
  {"nomenu", [](const std::string& c) { CellCommandEnd(c); SetChapters(c, {{1}, {1}, {3}}); },
   {"--title", "1=stop", "--title", "2=repeat"}, "", "", "タイトル1とタイトル2は同じPGCで終わるため"},
  {"langunits", [](const std::string& c) { LooksLikeDispatcher(c, 3, false); }, {"--preset", "3"}, "", "fr"},
  {"langunits", [](const std::string& c) { LooksLikeDispatcher(c, 1, true); }, {"--preset", "3"}, "", "fr"},
  {"nomenu", RegionFirstPlay, {"--preset", "2"}},
  {"nomenu", [](const std::string& c) { NoCommandTables(c, false); },
   {"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop"}, "1 3 2 S"},
  // Title 4's chain (an empty <post>) has a command table without post commands.
  {"postcmds", kAsAuthored, {"--title", "3=jump:4", "--title", "4=stop"}, "M 1 2 3 4 S"},
  {"postcmds", kAsAuthored, {"--preset", "3"}, "M 1 2 3 4 1"},
  {"nomenu", [](const std::string& c) { NoCommandTables(c, true); },
   {"--title", "1=jump:2", "--title", "2=jump:3", "--title", "3=stop"}, "1 2 3 S", "", "", 1},
  // Titles 1 and 3 trade chains: title 1 ends with chain 3's post commands.
  {"nomenu", [](const std::string& c) { SetChapters(c, {{3}, {2}, {1}}); }, {"--preset", "2"}, "1 2 3 S"},
  // Title 4's chain must grow, but its table's end is not where its commands are.
  {"postcmds", [](const std::string& c) { PgcitEndsAt(c, false); }, {"--title", "4=jump:1"}, "", "",
   "タイトル4のコマンドがPGC情報の外にあります"},
  {"postcmds", [](const std::string& c) { PgcitEndsAt(c, true); }, {"--title", "4=jump:1"}, "", "", "4MBを超えるため"},
  // Read from the BUP, written into both.
  {"nomenu", DamageTitleSetIfo, {"--preset", "2"}, "1 2 3 S"},
  // The option switched off: the disc starts as authored again, its First
  // Play and its title menu back from the backup.
  {"sample", [](const std::string& c) { Reelwrite({"apply", c, "--random", "--yes"}); }, {"--preset", "3"}, "M 1 2 3 1 2"},
  {"menus2vts", [](const std::string& c) { Reelwrite({"apply", c, "--no-menu", "--yes"}); }, {"--preset", "3"}, "M 1 2 3 1 2"},
  // langunits' units differ: "en" has one program chain, "fr" three, so the
  // dispatcher must have the same number in both; the title menu called at
  // the end is the player's language's own.
  {"langunits", kAsAuthored, {"--preset", "3"}, "M 1 2 3 1 2", "en"},
  {"langunits", kAsAuthored, {"--preset", "3"}, "M 2 3 1 2 3", "fr"},
  {"langunits", kAsAuthored, {"--preset", "0"}, "M 1 2 3 M 1", "en"},
  {"langunits", kAsAuthored, {"--preset", "0"}, "M 2 3 M 2", "fr"},
  {"langunits", kAsAuthored, {"--title", "2=stop"}, "M 2 S", "fr"},
  // VIDEO_TS.IFO a few sectors short of 2 MiB: what apply writes reads back.
  {"langunits", [](const std::string& c) { for (auto f : {"/VIDEO_TS.IFO", "/VIDEO_TS.BUP"}) std::filesystem::resize_file(c + f, 1020 * 2048); },
   {"--preset", "1"}, "", "fr"},
};
// clang-format on

// Names the CTest cases.
void PrintTo(const Layout& l, std::ostream* os) { *os << l.disc << " " << ::testing::PrintToString(l.args); }

class Layouts : public ::testing::TestWithParam<Layout> {};

TEST_P(Layouts, AreRefusedUntouchedOrPatchedPlayedBurntAndRestored) {
  const Layout& l = GetParam();
  const bool refused = *l.said != 0;
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, l.disc);
  l.edit(copy);
  const bool backedUp = folder.Exists("ORIGINAL_IFO");
  const int unnamed = l.edit == PlayAll ? 2 : -1;
  // As laid out, where libdvdnav can play it.
  if (l.edit != DamageTitleSetIfo && std::string(l.said).find(".VOB") == std::string::npos)
    ExpectPreviewAgrees(copy, l.lang, unnamed);
  const FolderFiles before = ReadFolder(copy);
  const ProgramRun dryRun = Reelwrite({"apply", copy, "--dry-run"}, l.args);
  EXPECT_EQ(dryRun.exit, refused ? 1 : 0) << dryRun.err;
  const Names apply = {"apply", copy, "--yes", "--json"};
  ProgramRun run = Reelwrite(apply, l.args);
  EXPECT_NE(run.err.find(l.said), std::string::npos) << run.err;
  ASSERT_EQ(run.exit, refused ? 1 : 0) << run.err;
  if (refused) {
    EXPECT_EQ(Differences(ReadFolder(copy), before), Names{});
    EXPECT_FALSE(folder.Exists("ORIGINAL_IFO"));
    return;
  }
  EXPECT_EQ(RunProgram({"dvdread_list", copy}).exit, 0);
  ExpectPreviewAgrees(copy, l.lang, unnamed);
  Names plays;  // "M 1 2 S" as nav_trace's lines
  for (const char* at = l.plays; *at; at += at[1] ? 2 : 1)
    plays.push_back(*at == 'M' ? "MENU" : *at == 'S' ? "STOP" : "TITLE " + std::string(1, *at));
  // Each title, and the stop behind them: nav_trace goes on until it has seen that many.
  const int limit = int(std::count_if(plays.begin(), plays.end(), [](auto& s) { return s != "MENU"; }));
  EXPECT_EQ(plays.empty() ? plays : NavTrace(copy, l.lang, limit, l.title), plays);
  const FolderFiles once = ReadFolder(copy);
  // Every file under the name it was found with, none beside it.
  EXPECT_TRUE(std::equal(before.begin(), before.end(), once.begin(), once.end(),
                         [](const auto& a, const auto& b) { return a.first == b.first; }));
  // The dry run counted the bytes apply changed (the BUPs hold the IFOs as read).
  for (const std::string name : {"VIDEO_TS", "VTS_01_0"}) {
    if (once.count(name + ".BUP") == 0) continue;  // lower-case names
    const std::string &was = before.at(name + ".BUP"), &is = once.at(name + ".BUP");
    long changed = long(std::max(was.size(), is.size()) - std::min(was.size(), is.size()));
    for (std::size_t i = 0; i < std::min(was.size(), is.size()); ++i) changed += was[i] != is[i];
    char line[64];
    std::snprintf(line, sizeof line, "\n%s.IFO  %8ld\n", name.c_str(), changed);
    EXPECT_NE(dryRun.out.find(line), std::string::npos) << line << dryRun.out;
  }
  const std::string vts = l.edit == LowerCaseNames ? "vts_01_0.ifo" : "VTS_01_0.IFO";
  // The backup's record names the video files as found.
  EXPECT_TRUE(l.edit != LowerCaseNames ||
              ReadFolder(folder.HostName("ORIGINAL_IFO")).at("DISC.TXT").find(" vts_01_1.vob\n") !=
                  std::string::npos);
  EXPECT_EQ(once.at(vts).size(), before.at(vts).size() + 2048u * unsigned(l.grows));
  EXPECT_EQ(run.out.find("\"VTS_01_0.IFO grows by 1 sector\"") != std::string::npos, l.grows == 1) << run.out;
  if (l.burn) {
    TempFolder image('D');
    const std::string iso = image.HostName("disc.iso");
    run = RunProgram({"/usr/bin/genisoimage", "-quiet", "-dvd-video", "-o", iso, folder.host()});
    EXPECT_TRUE(run.exit == 0 && run.err.empty()) << run.err;  // its DVD-Video layout fails with status 0
    // The ISO 9660 names are cut to 8 characters: the backup must not become
    // a second VIDEO_TS, nor hold the name genisoimage looks for.
    for (const auto& f : ReadFolder(copy, true)) {
      run = RunProgram({"/usr/bin/isoinfo", "-i", iso, "-x", "/VIDEO_TS/" + f.first + ";1"});
      EXPECT_TRUE(run.exit == 0 && run.out == f.second) << f.first << " differs in the ISO 9660 view";
    }
    EXPECT_EQ(NavTrace(iso, l.lang, limit), plays);
  }
  run = Reelwrite(apply, l.args);
  EXPECT_EQ(run.exit, 0);
  EXPECT_NE(run.out.find("\"grows\": []"), std::string::npos) << run.out;
  EXPECT_EQ(Differences(ReadFolder(copy), once), Names{}) << "applied again";
  if (backedUp) return;  // restore goes back past the edit
  EXPECT_EQ(Reelwrite({"restore", copy, "--yes"}).exit, 0);
  EXPECT_EQ(Differences(ReadFolder(copy), before), Names{}) << "restored";
}

INSTANTIATE_TEST_SUITE_P(Authored, Layouts, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return info.param.disc + std::to_string(info.index); });

}  // namespace
