// The first apply keeps the disc's information files as they were in
// FOLDER_ORIGINAL_IFO, later applies leave that copy alone, and
// `reelwrite restore` brings every IFO and BUP back byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/cli_run.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/temp_folder.h"

namespace {

using Names = std::vector<std::string>;

TEST(ApplyRestore, BackupTakenOnceAndRestoreBringsBackEveryByte) {
  for (const char* disc : {"sample", "nomenu", "menus2vts", "postcmds", "langunits"}) {
    SCOPED_TRACE(disc);
    const FolderFiles original = ReadFolder(AuthoredDisc(disc));
    const FolderFiles originalIfo = ReadFolder(AuthoredDisc(disc), true);
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, disc);
    const std::string backup = folder.HostName("VIDEO_TS_ORIGINAL_IFO");

    ProgramRun run = Reelwrite({"apply", copy, "--preset", "3", "--no-menu", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});
    EXPECT_NE(Differences(ReadFolder(copy, true), originalIfo), Names{});

    run = Reelwrite({"apply", copy, "--preset", "6", "--random", "--register", "7", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});

    run = Reelwrite({"restore", copy, "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), original), Names{});
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});  // kept for another time
  }
}

TEST(ApplyRestore, RefusesWithoutAnAnswerOrWithoutABackup) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "menus2vts");

  ProgramRun run = Reelwrite({"restore", copy, "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("VIDEO_TS_ORIGINAL_IFO"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("menus2vts"))), Names{});

  ASSERT_EQ(Reelwrite({"apply", copy, "--preset", "2", "--yes"}).exit, 0);
  const FolderFiles patched = ReadFolder(copy);
  run = Reelwrite({"restore", copy});  // standard input is not a terminal
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), patched), Names{});
}

}  // namespace
