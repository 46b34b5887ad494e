// What reelwrite prints: info --json in its documented shape, a dry run's
// old and new commands without a byte written, apply --json describing the
// changed disc, and the warning about registers the disc's own commands use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/cli_run.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/temp_folder.h"

namespace {

using Names = std::vector<std::string>;

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// menus2vts as read: the post commands as authored, its menus' g1 and g2,
// so the dispatcher takes g3 and g4.
TEST(CliOutput, InfoJsonHasEveryKeyInOrder) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"info", copy, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  const std::vector<std::string> parts = {
      "{\"folder\": \"" + copy + "\"", "\"title_count\": 3", "\"title_set_count\": 2", "\"menu_register\": 3",
      "\"menu_pgc_number\": 2", "\"titles\": [",
      // title, set, number in set, angles, chapters, action, target, command, menu
      "{\"title\": 1", "\"title_set\": 1", "\"title_in_set\": 1", "\"angles\": 1", "\"chapters\": 1",
      "\"action\": \"command\"", "\"target\": 1", "\"command\": \"30 03 00 00 00 02 00 00\"", "\"menu\": 0}",
      "{\"title\": 2", "\"title_set\": 1", "\"title_in_set\": 2", "\"angles\": 1", "\"chapters\": 1",
      "\"action\": \"menu\"", "\"target\": 2", "\"command\": \"30 08 00 00 01 83 00 00\"", "\"menu\": 1}",
      "{\"title\": 3", "\"title_set\": 2", "\"title_in_set\": 1", "\"angles\": 1", "\"chapters\": 1",
      "\"action\": \"stop\"", "\"target\": 1", "\"command\": \"30 01 00 00 00 00 00 00\"", "\"menu\": 0}",
      "\"registers_used\": [1, 2]}\n"};
  std::size_t at = 0;
  for (const std::string& part : parts) {
    std::size_t found = run.out.find(part, at);
    ASSERT_NE(found, std::string::npos) << "no " << part << " after byte " << at << " of\n" << run.out;
    at = found + part.size();
  }
  EXPECT_EQ(at, run.out.size());
  EXPECT_EQ(run.out.rfind("{\"folder\": ", 0), 0u);
  EXPECT_EQ(Count(run.out, "\": "), 7 + 3 * 9) << "keys beyond the documented ones";
}

TEST(CliOutput, DryRunShowsOldAndNewCommandsAndWritesNothing) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "2", "--dry-run"});
  ASSERT_EQ(run.exit, 0) << run.err;
  for (const char* line : {"    1  30 03 00 00 00 02 00 00  ->  30 08 00 02 01 C0 00 00\n",
                           "    2  30 08 00 00 01 83 00 00  ->  30 08 00 02 01 C0 00 00\n",
                           "    3  30 01 00 00 00 00 00 00  ->  30 01 00 00 00 00 00 00\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
  }
  for (const char* file : {"\nVIDEO_TS.IFO ", "\nVTS_01_0.IFO ", "\nVTS_02_0.IFO "}) {
    EXPECT_NE(run.out.find(file), std::string::npos) << file;
  }
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("menus2vts"))), Names{});
  EXPECT_EQ(ReadFolder(folder.HostName("VIDEO_TS_ORIGINAL_IFO")), FolderFiles{});
}

TEST(CliOutput, ApplyJsonDescribesTheChangedDisc) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "2", "--register", "6", "--yes", "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  ProgramRun info = Reelwrite({"info", copy, "--json"});
  ASSERT_EQ(info.exit, 0) << info.err;
  EXPECT_EQ(run.out, info.out);
  EXPECT_EQ(Count(run.out, "\"action\": \"jump\""), 2) << run.out;
  EXPECT_EQ(Count(run.out, "\"action\": \"stop\""), 1) << run.out;
  EXPECT_NE(run.out.find("\"menu_register\": 6"), std::string::npos) << run.out;
}

TEST(CliOutput, WarnsWhenTheRegisterPairIsOneTheDiscUses) {
  const struct {
    std::vector<std::string> options;
    const char* warning;  // nullptr: none
  } cases[] = {
      {{}, nullptr},  // the free pair g3, g4
      {{"--register", "1"}, "GPRM 1 and GPRM 2,"},
      {{"--register", "0"}, "GPRM 1,"},
      {{"--register", "2"}, "GPRM 2,"},
      {{"--register", "15"}, nullptr},  // g15 and g0
  };
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    std::vector<std::string> args = {"apply", copy, "--preset", "3", "--dry-run"};
    args.insert(args.end(), c.options.begin(), c.options.end());
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

// The dispatcher an earlier apply left is ours, not the disc's: applying
// again with the pair it holds must not warn about it.
TEST(CliOutput, NoRegisterWarningAboutTheDispatcherOfAnEarlierApply) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "postcmds");
  ASSERT_EQ(Reelwrite({"apply", copy, "--preset", "3", "--yes"}).exit, 0);
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "6", "--yes"});
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
}

}  // namespace
