// reelwrite project: a saved edit applied elsewhere writes what applying it
// directly writes, and the project describes itself as info describes a disc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

TEST(CliProject, SavedEditAppliedElsewhereWritesWhatApplyWrites) {
  TempFolder a('D'), b('E');
  const std::string direct = CopyOfDisc(a, "menus2vts");
  const std::string later = CopyOfDisc(b, "menus2vts");
  const std::string project = a.HostName("edit.prj");
  const std::vector<std::string> settings = {"--preset", "playall-stop", "--title", "2=menu:root",
                                             "--random"};

  std::vector<std::string> save = {"project", "save", direct, project};
  save.insert(save.end(), settings.begin(), settings.end());
  ProgramRun run = Reelwrite(save);
  ASSERT_EQ(run.exit, 0) << run.err;

  std::vector<std::string> dryRun = {"apply", direct, "--dry-run", "--json"};
  dryRun.insert(dryRun.end(), settings.begin(), settings.end());
  const std::string dryRunOut = Reelwrite(dryRun).out;
  run = Reelwrite({"project", "info", project, "--json"});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(run.out, dryRunOut.substr(dryRunOut.find('{')));

  std::vector<std::string> apply = {"apply", direct, "--yes"};
  apply.insert(apply.end(), settings.begin(), settings.end());
  ASSERT_EQ(Reelwrite(apply).exit, 0);
  run = Reelwrite({"project", "apply", project, later, "--yes"});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(Differences(ReadFolder(direct, true), ReadFolder(later, true)), std::vector<std::string>{});
}

}  // namespace
