// reelwrite project: a saved edit applied elsewhere writes what applying it
// directly writes, and the project describes itself as info describes a disc.
// Folders under any host path, and the one disc a project may be written to.
#include <gtest/gtest.h>

#include <filesystem>
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

  // A menu call players abort on is refused as apply refuses it.
  EXPECT_EQ(Reelwrite({"project", "save", direct, project, "--title", "2=menu:vmgm:9"}).exit, 2);
  EXPECT_FALSE(a.Exists("edit.prj"));
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

TEST(CliProject, AProjectIsNeverWrittenIntoAnotherDisc) {
  TempFolder a, b;
  const std::string project = a.HostName("edit.prj");
  ASSERT_EQ(Reelwrite({"project", "save", CopyOfDisc(a, "sample"), project, "--preset", "1"}).exit, 0);
  const std::string other = CopyOfDisc(b, "postcmds");
  ProgramRun run = Reelwrite({"project", "apply", project, other, "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("情報取得したディスクと異なります"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(other), ReadFolder(AuthoredDisc("postcmds"))), std::vector<std::string>{});
  EXPECT_FALSE(b.Exists("ORIGINAL_IFO"));
}

// A folder under a name code page 932 cannot spell, or deeper than Windows
// paths go, is patched as the same disc anywhere else, and named as the user
// names it.
TEST(CliProject, FoldersUnderAnyHostPathArePatchedAsAnywhereElse) {
  TempFolder plain('D');
  const std::string reference = CopyOfDisc(plain, "sample");
  ASSERT_EQ(Reelwrite({"apply", reference, "--preset", "playall-stop", "--yes"}).exit, 0);
  for (const std::string& parents :
       {std::string("Amélie"), std::string(140, 'l') + "/" + std::string(140, 'm')}) {
    TempFolder folder('E');
    std::filesystem::create_directories(folder.HostName(parents + "/VIDEO_TS"));
    for (const auto& f : ReadFolder(AuthoredDisc("sample")))
      folder.WriteFile(parents + "/VIDEO_TS/" + f.first, f.second);
    const std::string disc = folder.HostName(parents);  // the disc's root folder
    ProgramRun run = Reelwrite({"apply", disc, "--preset", "playall-stop", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_NE(run.err.find(disc + "/ORIGINAL_IFO"), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(disc + "/VIDEO_TS"), ReadFolder(reference)), std::vector<std::string>{});
    // The drive letter standing for such a folder means nothing to another run.
    const std::string project = disc + "/edit.prj";
    ASSERT_EQ(Reelwrite({"project", "save", disc, project}).exit, 0);
    EXPECT_EQ(Reelwrite({"project", "apply", project, "--yes"}).exit, 2);
    EXPECT_EQ(Reelwrite({"project", "apply", project, disc, "--yes"}).exit, 0);
  }
}

}  // namespace
