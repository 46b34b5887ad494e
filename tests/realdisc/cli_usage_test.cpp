// What reelwrite refuses: malformed arguments before any file is read, titles
// the disc does not have, a change nobody confirmed, damaged information
// files. A refusal exits 1 (2 for a usage error), says why on standard error
// and leaves every file of the folder, and its surroundings, as they were.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

using Args = std::vector<std::string>;
using Names = std::vector<std::string>;

TEST(CliUsage, MalformedArgumentsExitTwoBeforeTheFolderIsRead) {
  // The folder does not exist: reading it would exit 1 with the engine's
  // message instead.
  const std::string missing = "/nonexistent-reelwrite/VIDEO_TS";
  ProgramRun run = Reelwrite({"info", missing});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err, "");
  run = Reelwrite({"info", "/nonexistent-reelwrite/한국"});  // no spelling in code page 932
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("cannot use the folder"), std::string::npos) << run.err;
  const Args cases[] = {
      {"apply", missing, "--preset", "8"},
      {"apply", missing, "--preset"},
      {"apply", missing, "--title", "0=stop"},
      {"apply", missing, "--title", "100=stop"},
      {"apply", missing, "--title", "1=jump:0"},
      {"apply", missing, "--title", "1=command:123"},
      {"apply", missing, "--title", "1=menu:vmgm:129"},
      {"apply", missing, "--title", "1=stop:2"},
      {"apply", missing, "--register", "16"},
      {"apply", missing, "--everything"},
      {"apply", "--preset", "3"},
      {"apply", missing, missing},
      {"info", missing, "--yes"},
      {"restore"},
      {"project", "save", missing},
      {"project", "apply"},
      {"patch", missing},
      {},
  };
  for (const Args& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    run = Reelwrite(args);
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("reelwrite: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("reelwrite --help"), std::string::npos) << run.err;
  }
}

TEST(CliUsage, TitlesTheDiscLacksAndUnconfirmedChangesWriteNothing) {
  const struct {
    Args options;
    int exit;
    const char* said;
    bool backupBlocked = false;  // a file stands where the backup goes
  } cases[] = {
      {{"--title", "4=stop", "--yes"}, 2, "the disc has 3 title(s)"},
      // A dispatcher jump to a title the disc lacks stops a player cold.
      {{"--title", "1=jump:4", "--yes"}, 2, "the disc has 3 title(s)"},
      // libdvdnav aborts on a call to a menu chain the disc lacks.
      {{"--title", "1=menu:vmgm:3", "--yes"}, 2, "has no menu program chain 3"},
      {{"--preset", "3"}, 1, "--yes"},  // standard input is not a terminal
      // --yes does not give the backup away.
      {{"--preset", "3", "--yes"}, 1, "pass --no-backup", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.options));
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, "sample");
    if (c.backupBlocked) folder.WriteFile("ORIGINAL_IFO", "in the way");
    Args args = {"apply", copy};
    args.insert(args.end(), c.options.begin(), c.options.end());
    ProgramRun run = Reelwrite(args);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("sample"))), Names{});
    EXPECT_EQ(folder.Exists("ORIGINAL_IFO"), c.backupBlocked);
    if (c.backupBlocked) {
      EXPECT_EQ(Reelwrite({"apply", copy, "--preset", "3", "--yes", "--no-backup"}).exit, 0);
    }
  }
}

TEST(CliUsage, DamagedInformationFilesAreRefusedWithAMessage) {
  const struct {
    const char* file;
    long at;  // -1: cut the file to 3000 bytes
    std::string bytes;
  } cases[] = {
      {"VIDEO_TS.IFO", -1, ""},
      {"VIDEO_TS.IFO", 0xC4, {0, 0, 0x7F, '\xFF'}},  // title search pointers beyond the file
      {"VIDEO_TS.IFO", 0xC8, {0, 0, 0x7F, '\xFF'}},  // menu table beyond the file
      {"VIDEO_TS.IFO", 0x800, "\xFF\xFF"},           // 65535 titles
      {"VTS_02_0.IFO", -1, ""},
      {"VTS_01_0.IFO", 0xCC, {0, 0, 0x7F, '\xFF'}},  // title program chains beyond the file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.at));
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, "menus2vts");
    // The BUP as well: a damaged IFO alone is read from its BUP.
    for (const char* extension : {"IFO", "BUP"}) {
      const std::string file = copy + "/" + std::string(c.file, 9) + extension;
      if (c.at < 0) {
        ASSERT_EQ(truncate(file.c_str(), 3000), 0);
      } else {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(f.seekp(c.at).write(c.bytes.data(), c.bytes.size())) << file;
      }
    }
    const FolderFiles damaged = ReadFolder(copy);
    for (const Args& args : {Args{"info", copy, "--json"}, Args{"apply", copy, "--preset", "3", "--yes"}}) {
      ProgramRun run = Reelwrite(args);
      EXPECT_EQ(run.exit, 1) << args[0];
      EXPECT_EQ(run.out, "");
      EXPECT_NE(run.err.find(std::string(c.file) + "が異常です"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Differences(ReadFolder(copy), damaged), Names{});
    EXPECT_FALSE(folder.Exists("ORIGINAL_IFO"));
  }
}

}  // namespace
