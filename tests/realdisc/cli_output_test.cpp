// What reelwrite prints: info --json in its documented shape, a dry run's
// old and new commands without a byte written, and the warning about
// registers the disc's own commands use.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

std::string WithoutBlanks(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\n'; }),
             text.end());
  return text;
}

// menus2vts as read: the post commands as authored, its menus' g1 and g2,
// so the dispatcher takes g3 and g4. Keys and their order are fixed; the
// blanks between them are not.
TEST(CliOutput, InfoJsonHasEveryKeyInOrder) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"info", copy, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  const std::string expected = R"({"folder": ")" + copy + R"(", "title_count": 3, "title_set_count": 2,
    "menu_register": 3, "menu_pgc_number": 2, "titles": [
    {"title": 1, "title_set": 1, "title_in_set": 1, "angles": 1, "chapters": 1, "action": "command",
     "target": 1, "command": "30 03 00 00 00 02 00 00", "menu": 0,
     "command_text": "JumpVTS_TT 2"},
    {"title": 2, "title_set": 1, "title_in_set": 2, "angles": 1, "chapters": 1, "action": "menu",
     "target": 2, "command": "30 08 00 00 01 83 00 00", "menu": 1,
     "command_text": "CallSS VTSM root menu, resume cell 1"},
    {"title": 3, "title_set": 2, "title_in_set": 1, "angles": 1, "chapters": 1, "action": "stop",
     "target": 1, "command": "30 01 00 00 00 00 00 00", "menu": 0,
     "command_text": "Exit"}],
    "registers_used": [1, 2]})";
  EXPECT_EQ(WithoutBlanks(run.out), WithoutBlanks(expected)) << run.out;
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(CliOutput, DryRunShowsOldAndNewCommandsAndWritesNothing) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "2", "--dry-run"});
  ASSERT_EQ(run.exit, 0) << run.err;
  for (const char* line : {"    1  30 03 00 00 00 02 00 00  ->  30 08 00 02 01 C0 00 00\n",
                           "    2  30 08 00 00 01 83 00 00  ->  30 08 00 02 01 C0 00 00\n",
                           "    3  30 01 00 00 00 00 00 00  ->  30 01 00 00 00 00 00 00\n", "\nVIDEO_TS.IFO ",
                           "\nVTS_01_0.IFO ", "\nVTS_02_0.IFO "}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
  }
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("menus2vts"))), std::vector<std::string>{});
  EXPECT_FALSE(folder.Exists("ORIGINAL_IFO_VIDEO_TS"));
}

TEST(CliOutput, WarnsWhenTheRegisterPairIsOneTheDiscUses) {
  const struct {
    const char* reg;
    const char* warning;  // nullptr: none
  } cases[] = {
      {nullptr, nullptr},  // the free pair g3, g4
      {"1", "GPRM 1 and GPRM 2,"}, {"0", "GPRM 1,"}, {"2", "GPRM 2,"}, {"15", nullptr},  // g15 and g0
  };
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reg ? c.reg : "default");
    std::vector<std::string> args = {"apply", copy, "--preset", "3", "--dry-run"};
    if (c.reg) args.insert(args.end(), {"--register", c.reg});
    ProgramRun run = Reelwrite(args);
    EXPECT_EQ(run.exit, 0) << run.err;
    if (c.warning) {
      EXPECT_NE(run.err.find(std::string("warning: the disc's own commands use ") + c.warning),
                std::string::npos)
          << run.err;
    } else {
      EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
    }
  }
}

}  // namespace
