#include "author/original_backup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// C:\DISC\VIDEO_TS holding IFO and BUP files (one named in lower case) and a VOB.
class OriginalBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeDir("DISC");
    folder_.MakeDir("DISC/VIDEO_TS");
    for (const auto& [name, byte] : kFiles) folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(5000, byte));
    folder_.WriteFile("DISC/VIDEO_TS/VTS_01_1.VOB", Bytes(100, 0x77));
  }

  void ExpectBackupHolds() {
    for (const auto& [name, byte] : kFiles) {
      EXPECT_EQ(folder_.ReadFile("DISC/ORIGINAL_IFO/" + name), Bytes(5000, byte)) << name;
    }
    EXPECT_FALSE(folder_.Exists("DISC/ORIGINAL_IFO/VTS_01_1.VOB"));
  }

  const std::vector<std::pair<std::string, uint8_t>> kFiles = {
      {"VIDEO_TS.IFO", 1}, {"VIDEO_TS.BUP", 2}, {"VTS_01_0.IFO", 3}, {"vts_01_0.bup", 4}};
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
      for (const auto& [name, byte] : kFiles) folder_.WriteFile(made + "/" + name, Bytes(5000, byte));
    } else {
      folder_.MakeDir("DISC/ORIGINAL_IFO.rwtmp");
      folder_.WriteFile("DISC/ORIGINAL_IFO.rwtmp/VIDEO_TS.IFO", "half");
    }
    for (const auto& [name, byte] : kFiles) folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(5000, byte));
    MessageRecorder messages;
    for (int run = 0; run < 2; ++run) {
      ASSERT_TRUE(older || EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
      for (const auto& [name, byte] : kFiles)
        folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(7000, byte + 0x40));
    }
    char found[260];
    ASSERT_TRUE(FindOriginalBackup("C:\\DISC\\VIDEO_TS", found, sizeof found));
    EXPECT_EQ(found, "C:\\" + std::string(made).replace(4, 1, "\\") + "\\");

    ASSERT_TRUE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS"));

    for (const auto& [name, byte] : kFiles) {
      EXPECT_EQ(folder_.ReadFile("DISC/VIDEO_TS/" + name), Bytes(5000, byte)) << name;
    }
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
// large to list, damaged, or taken from another disc than the one now there.
TEST_F(OriginalBackupTest, RestoreRefusesWhatItCannotTrust) {
  const std::string backup = folder_.HostName("DISC/ORIGINAL_IFO");
  const std::string mismatch =
      "バックアップはこのフォルダのディスクから作られたものでないか, 欠けているため復元できません.\n" +
      backup;
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] {}, "元のIFOファイルのバックアップがありません.\n" + backup},
      {[this] { folder_.MakeDir("DISC/ORIGINAL_IFO"); }, "バックアップにIFOファイルがありません."},
      {[this] {
         folder_.MakeDir("DISC/ORIGINAL_IFO");
         for (int i = 0; i < 257; ++i)
           folder_.WriteFile("DISC/ORIGINAL_IFO/" + std::to_string(i) + ".IFO", "x");
       },
       "バックアップのファイルが多すぎるか, 名前が長すぎるため復元できません."},
      {[this] { folder_.WriteFile("DISC/VIDEO_TS/VTS_01_1.VOB", Bytes(200, 0x77)); }, mismatch},
      {[this] { folder_.WriteFile("DISC/VIDEO_TS/VTS_01_2.VOB", Bytes(200, 0x77)); }, mismatch},
      {[this] { folder_.WriteFile("DISC/ORIGINAL_IFO/VTS_01_0.IFO", Bytes(4000, 3)); }, mismatch},
  };
  for (const auto& [damage, message] : cases) {
    SCOPED_TRACE(message);
    std::system(("rm -rf '" + backup + "'").c_str());
    if (message == mismatch) {
      MessageRecorder quiet;
      ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    }
    damage();
    for (const auto& [name, byte] : kFiles) folder_.WriteFile("DISC/VIDEO_TS/" + name, Bytes(10, byte));
    MessageRecorder messages;
    EXPECT_FALSE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, message);
    EXPECT_EQ(folder_.ReadFile("DISC/VIDEO_TS/VIDEO_TS.IFO"), Bytes(10, 1));
  }
}

}  // namespace
