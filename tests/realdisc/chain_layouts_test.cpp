// Discs laid out as other authors lay them: a chain that is more than one
// title's end, a menu chain that begins like our dispatcher, a First Play
// that tests the player's registers. Each is read by libdvdread as laid out;
// each command either refuses with a message and changes nothing, or writes
// a disc libdvdread reads and libdvdnav plays as our preview says.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/ifo_tables.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/realdisc/relayout.h"

namespace {

using testdisc::C;

const testdisc::Cmd kExit = C("30 01 00 00 00 00 00 00");
const testdisc::Cmd kLinkPgc3 = C("20 04 00 00 00 00 00 03");

// nomenu re-laid as a series disc: title 1 plays chains 1, 2, 3 as its
// chapters (Play All), titles 2 and 3 are chains 2 and 3 alone.
void PlayAll(const std::string& copy) {
  SetChapters(copy, {{1, 2, 3}, {2}, {3}});
  IfoFile vts(copy, "VTS_01_0");
  vts.SetPost(vts.TitlePgc(1), C("20 04 00 00 00 00 00 02"));
  vts.SetPost(vts.TitlePgc(2), kLinkPgc3);
  vts.Save();
}

// Title `from`'s chain takes its commands from title `to`'s command table.
void ShareTable(const std::string& copy, int from, int to) {
  IfoFile vts(copy, "VTS_01_0");
  std::size_t a = vts.TitlePgc(from), b = vts.TitlePgc(to);
  vts.Put16(a + kPgcCommandTableOffset, int(b + std::size_t(vts.Be16(b + kPgcCommandTableOffset)) - a));
  vts.Save();
}
void SharedCommandTable(const std::string& copy) { ShareTable(copy, 1, 2); }
// postcmds: title 4's table has no post command; one added would end title 3 too.
void SharedTableWithoutPost(const std::string& copy) { ShareTable(copy, 3, 4); }

// nomenu's title 1 ends with a cell command that links to title 3's chain;
// its post command never runs.
void CellCommandEnd(const std::string& copy) {
  IfoFile vts(copy, "VTS_01_0");
  std::size_t at = vts.MakeRoom(vts.Table(kVtsPgcitSector), 0, 24);
  vts.GiveCommands(vts.TitlePgc(1), at, {}, {kExit}, {kLinkPgc3});
  vts.Save();
}

// nomenu's chains without command tables, as authors write a chain that
// only plays; with `filled`, VTS_PGCIT's end address takes its sector up to
// the last four bytes, so that any command added crosses into the next.
void NoCommandTables(const std::string& copy, bool filled) {
  IfoFile vts(copy, "VTS_01_0");
  for (int k = 1; k <= 3; ++k) vts.Put16(vts.TitlePgc(k) + kPgcCommandTableOffset, 0);
  std::size_t table = vts.Table(kVtsPgcitSector);
  if (filled) vts.Put32(table + 4, uint32_t((table / 2048 + 1) * 2048 - 4 - 1 - table));
  vts.Save();
}
void NoCommandTable(const std::string& copy) { NoCommandTables(copy, false); }
void FilledPgcTable(const std::string& copy) { NoCommandTables(copy, true); }

// postcmds as dvdauthor wrote it: title 4's chain (an empty <post>) has a
// command table without post commands, its program map right behind it.
void AsAuthored(const std::string&) {}

// CellCommandEnd, and title 2's chain takes title 1's command table, its
// last cell running the same cell command.
void SharedCellCommand(const std::string& copy) {
  CellCommandEnd(copy);
  IfoFile vts(copy, "VTS_01_0");
  std::size_t one = vts.TitlePgc(1), two = vts.TitlePgc(2);
  vts.Put16(two + kPgcCommandTableOffset,
            int(one + std::size_t(vts.Be16(one + kPgcCommandTableOffset)) - two));
  std::size_t cells = two + std::size_t(vts.Be16(two + kPgcCellPlaybackOffset));
  vts.bytes.at(cells + 24 * (vts.bytes.at(two + kPgcCellCount) - 1u) + kCellCommandNumber) = 1;
  vts.Save();
}

// CellCommandEnd, and title 2 is chain 1 too: two titles ending in one cell.
void OneCellTwoTitles(const std::string& copy) {
  CellCommandEnd(copy);
  SetChapters(copy, {{1}, {1}, {3}});
}

// A French menu chain of langunits (chain k of the last language unit) that
// begins "g3 = s4; g4 = 1" as our dispatcher does, cells and all; with
// `first`, its search pointer trades places with the last chain's, so that
// the last chain by number is stored before the others.
void LooksLikeDispatcher(const std::string& copy, int k, bool first) {
  IfoFile vmg(copy, "VIDEO_TS");
  std::size_t unit = vmg.MenuUnit(2), pgc = vmg.MenuPgc(2, k);
  std::size_t at = vmg.MakeRoom(vmg.Table(kVmgMenuPgciUtSector), unit, 32);
  vmg.GiveCommands(pgc, at, {C("61 00 00 03 00 84 00 00"), C("71 00 00 04 00 01 00 00")}, {vmg.Post(pgc)});
  auto pointer = [&](int n) { return vmg.bytes.begin() + long(unit + 8 * std::size_t(n)); };
  if (first) std::swap_ranges(pointer(k), pointer(k + 1), pointer(3));
  vmg.Save();
}
void LookalikeLast(const std::string& copy) { LooksLikeDispatcher(copy, 3, false); }
void LookalikeFirst(const std::string& copy) { LooksLikeDispatcher(copy, 1, true); }

// nomenu's First Play starts title 3 on a player of every region, with every
// audio kind, in the United States (as libdvdnav starts), else title 1.
void RegionFirstPlay(const std::string& copy) {
  IfoFile vmg(copy, "VIDEO_TS");
  std::size_t pgc = vmg.FirstPlay();
  vmg.GiveCommands(pgc, pgc + 0x100,
                   {C("00 B1 00 94 00 01 00 05"),   // if (SPRM 20 != 1) Goto 5
                    C("00 B1 00 8F 7C FC 00 05"),   // if (SPRM 15 != 0x7CFC) Goto 5
                    C("00 B1 00 8C 55 53 00 05"),   // if (SPRM 12 != "US") Goto 5
                    C("30 02 00 00 00 03 00 00"),   // JumpTT 3
                    C("30 02 00 00 00 01 00 00")},  // JumpTT 1
                   {});
  vmg.Save();
}

TEST(ChainLayouts, EachCommandDoesWhatWasAskedOrRefusesAndChangesNothing) {
  const struct {
    const char* name;
    const char* disc;
    void (*edit)(const std::string& copy);
    std::vector<std::string> args;  // of apply
    const char* said;               // a refusal (nothing written) or a warning; "" for neither
    bool refused;
    const char* lang;
    const char* plays = "";  // libdvdnav's trace after apply, where it is one line each
    int grows = 0;           // sectors VTS_01_0.IFO grows by
    const char* title = "";  // the title libdvdnav plays first, "" from First Play
  } cases[] = {
      // Title 2's end goes behind a test of its number in front of chain 2's
      // link on to chain 3: title 1 still plays on through it to its own end,
      // which chain 3 holds behind a test of its number as title 3's does
      // (libdvdnav names titles 2 and 3 by title 1, whose chapters they are).
      {"play all: a chapter's own title",
       "nomenu",
       PlayAll,
       {"--title", "2=stop", "--title", "1=jump:1", "--title", "3=stop"},
       "",
       false,
       "",
       "TITLE 1\nTITLE 1\nTITLE 1\nTITLE 1\nTITLE 1\n"},
      {"play all: a chapter's own title, played alone",
       "nomenu",
       PlayAll,
       {"--title", "2=stop", "--title", "1=jump:1", "--title", "3=stop"},
       "",
       false,
       "",
       "TITLE 1\nSTOP\n",
       0,
       "2"},
      {"play all: a preset", "nomenu", PlayAll, {"--preset", "6"}, "", false, ""},
      {"play all: the title playing through",
       "nomenu",
       PlayAll,
       {"--title", "1=stop", "--title", "3=stop"},
       "",
       false,
       ""},
      {"shared command table: two ends",
       "nomenu",
       SharedCommandTable,
       {"--title", "1=stop", "--title", "2=repeat"},
       "",
       false,
       "",
       "TITLE 1\nSTOP\n"},
      {"shared command table: one end", "nomenu", SharedCommandTable, {"--preset", "6"}, "", false, ""},
      {"shared command table without a post command",
       "postcmds",
       SharedTableWithoutPost,
       {"--title", "4=jump:1"},
       "コマンドテーブルをPGC3と共有",
       true,
       ""},
      // Title 1's last cell links to title 3's chain; it alone runs that
      // command, which takes the new end.
      {"cell command end", "nomenu", CellCommandEnd, {"--title", "1=stop"}, "", false, "", "TITLE 1\nSTOP\n"},
      {"cell command end: a preset",
       "nomenu",
       CellCommandEnd,
       {"--preset", "2"},
       "",
       false,
       "",
       "TITLE 1\nTITLE 2\nTITLE 3\nSTOP\n"},
      // Title 2's last cell runs it too: title 1's cell gets a command of
      // its own, title 2's keeps the old one, rewritten.
      {"cell command shared",
       "nomenu",
       SharedCellCommand,
       {"--title", "1=jump:2", "--title", "2=stop"},
       "",
       false,
       "",
       "TITLE 1\nTITLE 2\nSTOP\n"},
      // A cell command runs before any test of the title number could.
      {"one cell command, two ends",
       "nomenu",
       OneCellTwoTitles,
       {"--title", "1=stop", "--title", "2=repeat"},
       "タイトル1とタイトル2は同じPGCで終わるため",
       true,
       ""},
      {"dispatcher lookalike stored last", "langunits", LookalikeLast, {"--preset", "3"}, "", false, "fr"},
      {"dispatcher lookalike stored first", "langunits", LookalikeFirst, {"--preset", "3"}, "", false, "fr"},
      {"First Play testing the region", "nomenu", RegionFirstPlay, {"--preset", "2"}, "", false, ""},
      {"no command table",
       "nomenu",
       NoCommandTable,
       {"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop"},
       "",
       false,
       "",
       "TITLE 1\nTITLE 3\nTITLE 2\nSTOP\n"},
      {"no post command",
       "postcmds",
       AsAuthored,
       {"--title", "3=jump:4", "--title", "4=stop"},
       "",
       false,
       "",
       "MENU\nTITLE 1\nTITLE 2\nTITLE 3\nTITLE 4\nSTOP\n"},
      {"a command table crossing into the next sector",
       "nomenu",
       FilledPgcTable,
       {"--title", "1=jump:2", "--title", "2=jump:3", "--title", "3=stop"},
       "",
       false,
       "",
       "TITLE 1\nTITLE 2\nTITLE 3\nSTOP\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, c.disc);
    c.edit(copy);
    ASSERT_EQ(RunProgram({"dvdread_list", copy}).exit, 0) << "the layout itself";
    ExpectPreviewAgrees(copy, c.lang, c.edit == PlayAll ? 2 : -1);
    const FolderFiles before = ReadFolder(copy);

    std::vector<std::string> apply = {"apply", copy, "--yes", "--json"};
    apply.insert(apply.end(), c.args.begin(), c.args.end());
    ProgramRun run = Reelwrite(apply);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    if (c.refused) {
      EXPECT_EQ(run.exit, 1);
      EXPECT_EQ(Differences(ReadFolder(copy), before), std::vector<std::string>{});
      continue;
    }
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(RunProgram({"dvdread_list", copy}).exit, 0) << "as written";
    ExpectPreviewAgrees(copy, c.lang, c.edit == PlayAll ? 2 : -1);
    if (*c.plays) {
      EXPECT_EQ(RunProgram({"nav_trace", copy, "--title", *c.title ? c.title : "0"}).out, c.plays);
    }
    const FolderFiles once = ReadFolder(copy);
    EXPECT_EQ(once.at("VTS_01_0.IFO").size(), before.at("VTS_01_0.IFO").size() + 2048u * unsigned(c.grows));
    const bool saidGrowth = run.out.find("\"VTS_01_0.IFO grows by 1 sector\"") != std::string::npos;
    EXPECT_EQ(saidGrowth, c.grows == 1) << run.out;
    run = Reelwrite(apply);
    EXPECT_EQ(run.exit, 0);
    EXPECT_NE(run.out.find("\"grows\": []"), std::string::npos) << run.out;
    EXPECT_EQ(Differences(ReadFolder(copy), once), std::vector<std::string>{}) << "applied again";
    EXPECT_EQ(Reelwrite({"restore", copy, "--yes"}).exit, 0);
    EXPECT_EQ(Differences(ReadFolder(copy), before), std::vector<std::string>{}) << "restored";
  }
}

}  // namespace
