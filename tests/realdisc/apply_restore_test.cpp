// What `reelwrite restore` refuses, and the backup beside a patched disc.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

// A backup serves the disc it was taken from and no other, whichever way the
// folder is named; one of files an earlier execute changed says so.
TEST(ApplyRestore, ABackupServesItsOwnDiscOnly) {
  const std::string otherDisc = "このフォルダのディスクから作られたものではありません";
  struct Step {
    Names args;  // "@" stands for the disc's folder, "@root" for its parent
    int exit;
    std::string said;
  };
  struct Case {
    const char* name;
    std::function<void(const TempFolder&)> prepare;
    std::vector<Step> steps;
    const char* backup;  // the one backup there is
    const char* of;      // the authored disc whose IFO files it holds; null: the disc's at the start
  } cases[] = {
      // clang-format off
      {"another disc copied over an applied one",
       [](const TempFolder& f) {
         ASSERT_EQ(Reelwrite({"apply", CopyOfDisc(f, "sample"), "--preset", "3", "--yes"}).exit, 0);
         CopyOfDisc(f, "menus2vts");
       },
       {{{"apply", "@", "--random", "--yes"}, 1, otherDisc},
        {{"apply", "@", "--yes"}, 1, otherDisc},
        {{"restore", "@", "--yes"}, 1, otherDisc}},
       "ORIGINAL_IFO", "sample"},
      {"a patched disc copied elsewhere",
       [](const TempFolder& f) {
         TempFolder first;
         ASSERT_EQ(Reelwrite({"apply", CopyOfDisc(first, "sample"), "--random", "--yes"}).exit, 0);
         CopyOfDisc(f, first.HostName("VIDEO_TS"));
       },
       {{{"apply", "@", "--random", "--yes"}, 0,
         "the IFOs here were already changed by Reelwrite; the backup keeps them as they are now"},
        {{"restore", "@", "--yes"}, 0, "変更済みの状態に戻りました"}},
       "ORIGINAL_IFO", nullptr},
      {"a VIDEO_TS that is a link, given both ways",
       [](const TempFolder& f) {
         CopyOfDisc(f, "sample");
         std::filesystem::rename(f.HostName("VIDEO_TS"), f.HostName("real"));
         std::filesystem::create_directory_symlink("real", f.HostName("VIDEO_TS"));
       },
       {{{"apply", "@root", "--preset", "3", "--yes"}, 0, "ORIGINAL_IFO_real"},
        {{"apply", "@", "--preset", "1", "--yes"}, 0, ""},
        {{"restore", "@", "--yes"}, 0, "ORIGINAL_IFO_real"}},
       "ORIGINAL_IFO_real", nullptr},
      {"a backup in lower case, as a copy from a case-blind drive leaves it",
       [](const TempFolder& f) {
         ASSERT_EQ(Reelwrite({"apply", CopyOfDisc(f, "sample"), "--preset", "3", "--yes"}).exit, 0);
         std::filesystem::rename(f.HostName("ORIGINAL_IFO"), f.HostName("original_ifo"));
       },
       {{{"apply", "@", "--preset", "3", "--yes"}, 0, ""}},
       "original_ifo", "sample"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    c.prepare(folder);
    const std::string disc = folder.HostName("VIDEO_TS");
    const FolderFiles start = ReadFolder(disc), startIfos = ReadFolder(disc, true);
    for (const Step& step : c.steps) {
      Names args = step.args;
      for (std::string& a : args) a = a == "@" ? disc : a == "@root" ? folder.host() : a;
      ProgramRun run = Reelwrite(args);
      EXPECT_EQ(run.exit, step.exit) << args[0] << "\n" << run.err;
      EXPECT_NE(run.err.find(step.said), std::string::npos) << args[0] << "\n" << run.err;
    }
    // Refused, or restored: the disc is as it was.
    EXPECT_EQ(Differences(ReadFolder(disc), start), Names{});
    EXPECT_EQ(Differences(ReadFolder(folder.HostName(c.backup), true),
                          c.of ? ReadFolder(AuthoredDisc(c.of), true) : startIfos),
              Names{});
    // The one backup beside VIDEO_TS (and the folder it links to).
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.host()), {}),
              folder.Exists("real") ? 3 : 2);
  }
}

}  // namespace
