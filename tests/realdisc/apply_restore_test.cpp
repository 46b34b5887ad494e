// The first apply keeps the disc's information files as they were in
// FOLDER_ORIGINAL_IFO, later applies leave that copy alone, and
// `reelwrite restore` brings every IFO and BUP back byte for byte, once it has
// a copy to take them from and an answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

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

    ProgramRun run = Reelwrite({"restore", copy, "--yes"});
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find("VIDEO_TS_ORIGINAL_IFO"), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), original), Names{});

    run = Reelwrite({"apply", copy, "--preset", "3", "--no-menu", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});
    EXPECT_NE(Differences(ReadFolder(copy, true), originalIfo), Names{});

    run = Reelwrite({"apply", copy, "--preset", "6", "--random", "--register", "7", "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});

    const FolderFiles patched = ReadFolder(copy);
    run = Reelwrite({"restore", copy});  // standard input is not a terminal
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), patched), Names{});

    run = Reelwrite({"restore", copy, "--yes"});
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), original), Names{});
    EXPECT_EQ(Differences(ReadFolder(backup), originalIfo), Names{});  // kept for another time
  }
}

}  // namespace
