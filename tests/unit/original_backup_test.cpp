#include "author/original_backup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(BackupFolderOf, IsTheEditFoldersSibling) {
  const std::string longest = "D:\\" + std::string(244, 'A') + "\\";
  struct Case {
    const char* edit;
    const char* backup;  // null: none can be named
  } cases[] = {
      {"D:\\DISC1\\VIDEO_TS\\", "D:\\DISC1\\ORIGINAL_IFO\\"},
      {"D:\\VIDEO_TS", "D:\\ORIGINAL_IFO\\"},
      // 0x95 0x5C is one Shift-JIS character whose second byte looks like a backslash.
      {"D:\\\x95\x5C\\", "D:\\ORIGINAL_IFO_\x95\x5C\\"},
      {"D:\\", nullptr},
      {"D:", nullptr},
      {longest.c_str(), nullptr},  // the name would not fit a path
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    char out[260];
    ASSERT_EQ(BackupFolderOf(c.edit, out, sizeof out), c.backup != nullptr);
    if (c.backup) {
      EXPECT_STREQ(out, c.backup);
    }
  }
}

// C:\DISC\VIDEO_TS holding a disc (its BUP named in lower case) with a VOB.
class OriginalBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeDir("DISC");
    folder_.MakeDir("DISC/VIDEO_TS");
    testdisc::DiscSpec disc = testdisc::SimpleDisc(1, 2);
    disc.titleSets[0].titleVobBytes = {3 * 2048};
    testdisc::WriteDisc(folder_.HostName("DISC/VIDEO_TS"), disc);
    std::filesystem::rename(folder_.HostName("DISC/VIDEO_TS/VTS_01_0.BUP"),
                            folder_.HostName("DISC/VIDEO_TS/vts_01_0.bup"));
    for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "vts_01_0.bup"})
      kFiles.emplace_back(name, folder_.ReadFile(std::string("DISC/VIDEO_TS/") + name));
  }
  void WriteFiles(const std::string& into) {
    for (const auto& [name, bytes] : kFiles) folder_.WriteFile(into + "/" + name, bytes);
  }

  void ExpectBackupHolds() {
    for (const auto& [name, bytes] : kFiles)
      EXPECT_EQ(folder_.ReadFile("DISC/ORIGINAL_IFO/" + name), bytes) << name;
    EXPECT_FALSE(folder_.Exists("DISC/ORIGINAL_IFO/VTS_01_1.VOB"));
  }

  std::vector<std::pair<std::string, Bytes>> kFiles;
  TempFolder folder_;
};

// Made by the first execute and left alone by the next, so that restoring
// brings back the very first originals, byte for byte; a temporary left by an
// execute that was cut off never counts. Older versions named it
// ORIGINAL_IFO_VIDEO_TS or VIDEO_TS_ORIGINAL_IFO: restore takes those, and
// the next execute moves them to the name that burns safely.
TEST_F(OriginalBackupTest, IsMadeOnceAndRestoredAsItWas) {
  for (const std::string made :
       {"DISC/ORIGINAL_IFO", "DISC/ORIGINAL_IFO_VIDEO_TS", "DISC/VIDEO_TS_ORIGINAL_IFO"}) {
    SCOPED_TRACE(made);
    const bool older = made != "DISC/ORIGINAL_IFO";
    for (const char* gone : {"ORIGINAL_IFO", "ORIGINAL_IFO.rwtmp"})
      std::filesystem::remove_all(folder_.HostName(std::string("DISC/") + gone));
    if (older) {
      folder_.MakeDir(made);
      WriteFiles(made);
    } else {
      folder_.MakeDir("DISC/ORIGINAL_IFO.rwtmp");
      folder_.WriteFile("DISC/ORIGINAL_IFO.rwtmp/VIDEO_TS.IFO", "half");
    }
    WriteFiles("DISC/VIDEO_TS");
    MessageRecorder messages;
    for (int run = 0; run < 2; ++run) {
      ASSERT_TRUE(older || EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
      for (const auto& [name, bytes] : kFiles)
        folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(7000, bytes[9]));
    }
    char found[260];
    ASSERT_TRUE(FindOriginalBackup("C:\\DISC\\VIDEO_TS", found, sizeof found));
    EXPECT_EQ(found, "C:\\" + std::string(made).replace(4, 1, "\\") + "\\");

    ASSERT_TRUE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS"));

    for (const auto& [name, bytes] : kFiles)
      EXPECT_EQ(folder_.ReadFile("DISC/VIDEO_TS/" + name), bytes) << name;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: " +
                                    folder_.HostName(made)});
    EXPECT_EQ(messages.messages()[0].caption, "情報");
    ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    ExpectBackupHolds();
    EXPECT_TRUE(!older || !folder_.Exists(made));
    EXPECT_FALSE(folder_.Exists("DISC/ORIGINAL_IFO.rwtmp"));
  }
}

// Restore refuses, changing nothing, a backup that is missing, empty, too
// large to list, or fails its record: taken from another disc than the one
// now there, changed since, or without a record and not this disc's. Apply
// neither uses nor replaces one that fails its record: it asks to go on
// without a backup, and saying no leaves everything as it was.
TEST_F(OriginalBackupTest, ABackupIsUsedOnlyForItsOwnDisc) {
  const std::string backup = folder_.HostName("DISC/ORIGINAL_IFO");
  const std::string otherDisc = "バックアップはこのフォルダのディスクから作られたものではありません.";
  const std::string changed = "バックアップのファイルが作られたときから変わっているか, 欠けています.";
  const std::string unproven =
      "記録のない古いバックアップで, そのIFOファイルがこのフォルダのディスクと合いません.";
  auto write = [this](const char* name, Bytes bytes) { return [=] { folder_.WriteFile(name, bytes); }; };
  Bytes flipped = kFiles[2].second;
  flipped[0x100] ^= 1;
  struct Case {
    bool made;  // by apply, before the change
    std::function<void()> change;
    std::string fault;  // restore's message, or what apply asks about
  } cases[] = {
      {false, [] {}, "元のIFOファイルのバックアップがありません.\n" + backup},
      {false, [this] { folder_.MakeDir("DISC/ORIGINAL_IFO"); }, "バックアップにIFOファイルがありません."},
      {false,
       [this] {
         folder_.MakeDir("DISC/ORIGINAL_IFO");
         for (int i = 0; i < 257; ++i)
           folder_.WriteFile("DISC/ORIGINAL_IFO/" + std::to_string(i) + ".IFO", "x");
       },
       "バックアップのファイルが多すぎるか, 名前が長すぎるため復元できません."},
      {true, write("DISC/VIDEO_TS/VTS_01_1.VOB", Bytes(4096, 0x77)), otherDisc},
      {true, write("DISC/VIDEO_TS/VTS_01_2.VOB", Bytes(2048, 0x77)), otherDisc},
      {true, write("DISC/ORIGINAL_IFO/VTS_01_0.IFO", Bytes(4096, 3)), changed},
      {true, write("DISC/ORIGINAL_IFO/VTS_01_0.IFO", flipped), changed},
      {false,
       [this] {
         folder_.MakeDir("DISC/ORIGINAL_IFO");
         testdisc::DiscSpec other = testdisc::SimpleDisc(1, 3);
         other.titleSets[0].titleVobBytes = {5 * 2048};
         testdisc::BuiltDisc built = testdisc::BuildDisc(other);
         folder_.WriteFile("DISC/ORIGINAL_IFO/VIDEO_TS.IFO", built.vmg.bytes);
         folder_.WriteFile("DISC/ORIGINAL_IFO/VTS_01_0.IFO", built.vts[0].bytes);
       },
       unproven},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    std::filesystem::remove_all(backup);
    WriteFiles("DISC/VIDEO_TS");
    if (c.made) {
      MessageRecorder quiet;
      ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    }
    c.change();
    for (const auto& [name, bytes] : kFiles) folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(10, bytes[9]));
    const auto before = folder_.Tree();
    MessageRecorder messages({platform::kOkAnswer, platform::kNoAnswer});
    EXPECT_FALSE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    const bool failsItsRecord = c.fault == otherDisc || c.fault == changed || c.fault == unproven;
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{failsItsRecord ? c.fault + " 復元できません.\n" + backup : c.fault});
    if (failsItsRecord) {
      EXPECT_FALSE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
      ASSERT_EQ(messages.messages().size(), 2u);
      EXPECT_EQ(messages.messages()[1].text.find(c.fault), messages.messages()[1].text.find('\n') + 1);
    }
    EXPECT_TRUE(folder_.Tree() == before);
  }
}

}  // namespace
