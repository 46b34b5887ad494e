// What `reelwrite restore` refuses, and the backup beside a patched disc:
// burnt with it, it leaves the ISO 9660 view the patched disc.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

using Names = std::vector<std::string>;

// Restore needs a backup, an answer, and a folder still holding the disc the
// backup came from.
TEST(ApplyRestore, RefusesWithoutABackupAnAnswerOrTheSameDisc) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "sample");
  ProgramRun run = Reelwrite({"restore", copy, "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find(folder.HostName("ORIGINAL_IFO")), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("sample"))), Names{});
  ASSERT_EQ(Reelwrite({"apply", copy, "--preset", "3", "--yes"}).exit, 0);
  const FolderFiles patched = ReadFolder(copy);
  run = Reelwrite({"restore", copy});  // standard input is not a terminal
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), patched), Names{});
  for (const auto& f : ReadFolder(copy)) std::remove((copy + "/" + f.first).c_str());
  for (const auto& f : ReadFolder(AuthoredDisc("menus2vts")))
    folder.WriteFile("VIDEO_TS/" + f.first, f.second);
  run = Reelwrite({"restore", copy, "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("作られたものでない"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), ReadFolder(AuthoredDisc("menus2vts"))), Names{});
}

// Burnt as most burning programs do it (genisoimage -dvd-video of the parent
// folder), the ISO 9660 names cut to 8 characters: the backup must not
// become a second VIDEO_TS, nor hold the name genisoimage looks for.
TEST(ApplyRestore, BurnedParentFolderHoldsThePatchedDisc) {
  TempFolder folder;
  TempFolder image('D');
  const std::string copy = CopyOfDisc(folder, "menus2vts");
  ASSERT_EQ(Reelwrite({"apply", copy, "--preset", "3", "--yes"}).exit, 0);
  const std::string iso = image.HostName("disc.iso");
  ProgramRun run = RunProgram({"/usr/bin/genisoimage", "-quiet", "-dvd-video", "-o", iso, folder.host()});
  ASSERT_EQ(run.exit, 0) << run.err;
  EXPECT_EQ(run.err, "");  // its DVD-Video layout failed with exit status 0
  for (const auto& [name, bytes] : ReadFolder(copy, true)) {
    if (name.find(".IFO") == std::string::npos) continue;
    run = RunProgram({"/usr/bin/isoinfo", "-i", iso, "-x", "/VIDEO_TS/" + name + ";1"});
    EXPECT_TRUE(run.exit == 0 && run.out == bytes) << name << " differs in the ISO 9660 view";
  }
  ProgramRun fromFolder = RunProgram({"nav_trace", copy, "--max-titles", "5"});
  ProgramRun fromImage = RunProgram({"nav_trace", iso, "--max-titles", "5"});
  EXPECT_EQ(fromImage.out, fromFolder.out);
  EXPECT_EQ(fromFolder.out, "MENU\nTITLE 1\nTITLE 2\nTITLE 3\nTITLE 1\nTITLE 2\n");
}

// An option's First Play is told apart from the disc's own, and switching
// the option off needs the disc's own from the backup.
TEST(ApplyRestore, AnOptionSwitchedOffWithoutABackupIsRefused) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, "sample");
  ASSERT_EQ(Reelwrite({"apply", copy, "--random", "--yes"}).exit, 0);
  ProgramRun info = Reelwrite({"info", copy, "--json"});
  EXPECT_NE(info.out.find("\"first_play\": \"random\""), std::string::npos) << info.out;
  ASSERT_EQ(std::rename(folder.HostName("ORIGINAL_IFO").c_str(), folder.HostName("moved").c_str()),
            0);
  const FolderFiles patched = ReadFolder(copy);
  ProgramRun run = Reelwrite({"apply", copy, "--preset", "3", "--yes"});
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("先に元のIFOファイルを復元してください"), std::string::npos) << run.err;
  EXPECT_EQ(Differences(ReadFolder(copy), patched), Names{});
}

}  // namespace
