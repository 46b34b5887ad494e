// What reelwrite prints: info --json in its documented shape, a dry run's
// old and new commands without a byte written, and the warning about
// registers the disc's own commands use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/ifo_builder.h"

namespace {

// menus2vts as read: the post commands as authored, its menus' g1 and g2,
// so the dispatcher takes g3 and g4.
TEST(CliOutput, InfoJsonHasEveryKeyInOrderAndTextShowsCommandsInWords) {
  TempFolder outer;  // a backslash and a control character in a Linux folder's name
  outer.MakeDir("a\\b\x1f");
  TempFolder folder('C', outer.HostName("a\\b\x1f").c_str());
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"info", copy, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  std::string json = R"({"folder": ")";
  for (char c : copy) json += c == '\\' ? "\\\\" : c == '\x1f' ? "\\u001f" : std::string(1, c);
  json +=
      R"(", "title_count": 3, "title_set_count": 2, "menu_register": 3, "menu_pgc_number": 2, "first_play": "disc",
 "titles": [{"title": 1, "title_set": 1, "title_in_set": 1, "angles": 1, "chapters": 1, "action": "command", "target": 1, "command": "30 03 00 00 00 02 00 00", "menu": 0, "command_text": "JumpVTS_TT 2", "fixed_end": "", "end_written": "post command 1"},
  {"title": 2, "title_set": 1, "title_in_set": 2, "angles": 1, "chapters": 1, "action": "menu", "target": 2, "command": "30 08 00 00 01 83 00 00", "menu": 1, "command_text": "CallSS VTSM root menu, resume cell 1", "fixed_end": "", "end_written": "post command 1"},
  {"title": 3, "title_set": 2, "title_in_set": 1, "angles": 1, "chapters": 1, "action": "stop", "target": 1, "command": "30 01 00 00 00 00 00 00", "menu": 0, "command_text": "Exit", "fixed_end": "", "end_written": "post command 1"}],
 "registers_used": [1, 2],
 "warnings": [],
 "grows": []}
)";
  EXPECT_EQ(run.out, json);
  // In words: a menu only for menu calls, the command beside its hex.
  run = Reelwrite({"info", copy});
  for (const char* line :
       {"  command                                30 03 00 00 00 02 00 00  JumpVTS_TT 2\n",
        "  menu                 root menu         30 08 00 00 01 83 00 00  CallSS VTSM root menu, "
        "resume cell 1\n"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
}

TEST(CliOutput, DryRunShowsOldAndNewCommandsAndWritesNothing) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "2", "--dry-run"});
  ASSERT_EQ(run.exit, 0) << run.err;
  for (const char* line :
       {"    1  30 03 00 00 00 02 00 00  ->  30 08 00 02 01 C0 00 00\n",
        "    2  30 08 00 00 01 83 00 00  ->  30 08 00 02 01 C0 00 00\n",
        "    3  30 01 00 00 00 00 00 00  ->  30 01 00 00 00 00 00 00\n", "\nVIDEO_TS.IFO ", "\nVTS_01_0.IFO ",
        "\nVTS_02_0.IFO ", "after title 2   menu VTSM 1 of title set 1      ->  title 3\n",
        "\nafter title 3 "}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
  }
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("menus2vts"))), Names{});
  EXPECT_FALSE(folder.Exists("ORIGINAL_IFO"));
}

// Each warning, on an authored disc or (a title whose last chain goes on to
// one no title starts with) a built one, on standard error and in --json.
TEST(CliOutput, WarnsOfWhatAPlayerWouldHit) {
  const char* const kBuilt = "";
  const struct {
    const char* disc;
    std::vector<std::string> args;
    const char* warning;  // nullptr: none
  } cases[] = {
      // clang-format off
      {"menus2vts", {"--preset", "3"}, nullptr},  // the free pair g3, g4
      {"menus2vts", {"--register", "1"}, "the disc's own commands use GPRM 1 and GPRM 2,"},
      {"menus2vts", {"--register", "0"}, "the disc's own commands use GPRM 1,"},
      {"menus2vts", {"--register", "15"}, nullptr},  // g15 and g0
      {"nomenu", {"--title", "1=command:30 02 00 00 00 02 00 00"},
       "title 1 ends with JumpTT outside the video manager"},
      {"sample", {"--title", "2=command:30 08 00 00 01 87 00 00"},
       "title 2 calls the chapter menu, which the disc does not have; playback stops there instead"},
      {"sample", {"--title", "1=command:30 08 00 00 01 47 00 00"},
       "title 1 calls the chapter menu, which the disc does not have; players abort there"},
      {"nomenu", {"--preset", "4"},
       "title 1 calls the title menu, which the disc does not have; playback goes on to title 2 instead"},
      {"sample", {"--preset", "5"},
       "title 3 calls the root menu, which the disc does not have; playback stops"},
      {"sample", {"--title", "3=command:20 04 00 00 00 00 00 09"},  // the last title
       "after title 3, playback ends in a fault players abort on: LinkPGCN 9"},
      {kBuilt, {"--preset", "6"}, "title 1 goes on to program chain 3 of its title after its last chapter"},
      // Also where the new end calls a menu the disc lacks.
      {kBuilt, {"--title", "1=command:30 08 00 00 01 87 00 00"}, "title 1 goes on to program chain 3"},
      {kBuilt, {"--register", "15"}, "the disc's own commands use GPRM 0,"},  // the pair wraps
      {"nomenu", {"--title", "1=command:30 06 00 00 00 42 00 00"},  // JumpSS
       "title 1 calls the title menu, which the disc does not have; players abort there"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.disc) + " " + ::testing::PrintToString(c.args));
    TempFolder folder;
    const std::string copy = folder.HostName("VIDEO_TS");
    if (c.disc != kBuilt) {
      CopyOfDisc(folder, c.disc);
    } else {
      // Title 1 goes on to chain 3, which starts no title of its own set but
      // does in set 2; the disc's own commands use g0.
      testdisc::DiscSpec d = testdisc::SimpleDisc(1, 2);
      // g0 = 5; LinkPGCN 3
      d.titleSets[0].titlePgcs[0] = {{testdisc::C("71 00 00 00 00 05 00 00")},
                                     {testdisc::C("20 04 00 00 00 00 00 03")}};
      d.titleSets[0].titlePgcs.push_back(testdisc::Pgc{});
      d.titleSets.push_back(testdisc::SimpleDisc(1, 3).titleSets[0]);
      for (int t = 1; t <= 3; ++t) d.vmg.titles.push_back(testdisc::Title{2, t, 1, 1});
      folder.MakeDir("VIDEO_TS");
      testdisc::WriteDisc(copy, d);
    }
    ProgramRun run = Reelwrite({"apply", copy, "--dry-run", "--json"}, c.args);
    EXPECT_EQ(run.exit, 0) << run.err;
    if (c.warning) {
      EXPECT_NE(run.err.find(std::string("reelwrite: warning: ") + c.warning), std::string::npos) << run.err;
      EXPECT_NE(run.out.find(c.warning, run.out.find("\"warnings\"")), std::string::npos) << run.out;
    } else {
      EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
    }
  }
}

TEST(CliOutput, TracePrintsThePreviewInWordsAndJson) {
  const std::string disc = AuthoredDisc("menus2vts");
  ProgramRun run = Reelwrite({"trace", disc, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(run.out, R"({"folder": ")" + disc + R"(", "language": "en",
 "start": {"kind": "menu", "domain": "vmgm", "pgc": 1},
 "after": [{"title": 1, "next": {"kind": "title", "title": 2}},
  {"title": 2, "next": {"kind": "menu", "domain": "vtsm", "title_set": 1, "pgc": 1}},
  {"title": 3, "next": {"kind": "stop"}}]}
)");
  run = Reelwrite({"trace", disc});
  EXPECT_EQ(run.out,
            "start → menu VMGM 1\nafter title 1 → title 2\nafter title 2 → menu VTSM 1 of title set 1\n"
            "after title 3 → stop\n");
  EXPECT_EQ(Reelwrite({"trace", disc, "--language", "fr"}).exit, 2);  // no French menus
}

}  // namespace
