// What reelwrite refuses: titles the disc does not have, a change nobody
// confirmed, a restore without a backup. A refusal exits 1 (2 for a usage
// error), says why on standard error and leaves every file of the folder,
// and its surroundings, as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

TEST(CliUsage, TitlesTheDiscLacksUnconfirmedChangesAndARestoreWithoutABackupWriteNothing) {
  const struct {
    Names args;  // the folder goes behind the command
    int exit;
    const char* said;
    bool backupBlocked = false;  // a file stands where the backup goes
  } cases[] = {
      {{"apply", "--title", "4=stop", "--yes"}, 2, "the disc has 3 title(s)"},
      // A dispatcher jump to a title the disc lacks stops a player cold.
      {{"apply", "--title", "1=jump:4", "--yes"}, 2, "the disc has 3 title(s)"},
      {{"apply", "--title", "1=command:30 02 00 00 00 02 00 00 00", "--yes"}, 2, "reelwrite --help"},
      // libdvdnav aborts on a call to a menu chain the disc lacks.
      {{"apply", "--title", "1=menu:vmgm:3", "--yes"}, 2, "has no menu program chain 3"},
      {{"apply", "--preset", "3"}, 1, "--yes"},  // standard input is not a terminal
      // --yes does not give the backup away.
      {{"apply", "--preset", "3", "--yes"}, 1, "pass --no-backup", true},
      {{"restore", "--yes"}, 1, "ORIGINAL_IFO"},  // without a backup
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, "sample");
    if (c.backupBlocked) folder.WriteFile("ORIGINAL_IFO", "in the way");
    ProgramRun run = Reelwrite({c.args[0], copy}, Names(c.args.begin() + 1, c.args.end()));
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("sample"))), Names{});
    EXPECT_EQ(folder.Exists("ORIGINAL_IFO"), c.backupBlocked);
    EXPECT_EQ(c.backupBlocked ? Reelwrite({"apply", copy, "--preset", "3", "--yes", "--no-backup"}).exit : 0,
              0);
  }
}

}  // namespace
