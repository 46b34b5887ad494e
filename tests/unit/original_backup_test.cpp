#include "author/original_backup.h"
#include "author/file_checksum.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Records written by other versions and tools must verify: zlib's CRC-32.
TEST(FileChecksum, IsZlibsCrc32) {
  EXPECT_EQ(ExtendChecksum(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

TEST(BackupFolderOf, IsTheEditFoldersSibling) {
  const struct {
    const char* edit;
    const char* backup;  // null: none can be named
  } cases[] = {
      {"D:\\DISC1\\VIDEO_TS\\", "D:\\DISC1\\ORIGINAL_IFO\\"},
      {"D:\\video_ts", "D:\\ORIGINAL_IFO\\"},
      // 0x95 0x5C is one Shift-JIS character whose second byte looks like a backslash.
      {"D:\\\x95\x5C\\", "D:\\ORIGINAL_IFO_\x95\x5C\\"},
      {"D:\\", nullptr},
  };
  for (const auto& c : cases) {
    char out[260];
    ASSERT_EQ(BackupFolderOf(c.edit, out, sizeof out), c.backup != nullptr) << c.edit;
    EXPECT_STREQ(c.backup ? out : nullptr, c.backup);
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
      files_.emplace_back(name, folder_.ReadFile(std::string("DISC/VIDEO_TS/") + name));
  }
  // The disc's files, or each as `bytes` long a run of its tenth byte.
  void WriteFiles(const std::string& into, std::size_t bytes = 0) {
    for (const auto& [name, b] : files_) folder_.WriteFile(into + "/" + name, bytes ? Bytes(bytes, b[9]) : b);
  }

  std::vector<std::pair<std::string, Bytes>> files_;
  TempFolder folder_;
};

// Older versions named the backup ORIGINAL_IFO_VIDEO_TS: restore takes it,
// byte for byte, and the next execute moves it to the name that burns safely.
TEST_F(OriginalBackupTest, AnOlderVersionsBackupIsRestoredThenMoved) {
  const std::string older = "DISC/ORIGINAL_IFO_VIDEO_TS";
  folder_.MakeDir(older);
  WriteFiles(older);
  WriteFiles("DISC/VIDEO_TS", 7000);
  MessageRecorder messages;
  ASSERT_TRUE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS"));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                  "元のIFOファイルを復元しました.\nバックアップはそのまま残してあります: " +
                                  folder_.HostName(older)});
  ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
  for (const auto& [name, bytes] : files_) {
    EXPECT_EQ(folder_.ReadFile("DISC/VIDEO_TS/" + name), bytes) << name;
    EXPECT_EQ(folder_.ReadFile("DISC/ORIGINAL_IFO/" + name), bytes) << name;
  }
  EXPECT_FALSE(folder_.Exists(older));
}

// Restore refuses, changing nothing, a backup that is missing or fails its
// record: taken from another disc than the one now there, changed since, or
// without a record and not this disc's. Apply neither uses nor replaces one
// that fails its record: it asks to go on without, and no leaves all as it was.
TEST_F(OriginalBackupTest, ABackupIsUsedOnlyForItsOwnDisc) {
  const std::string backup = folder_.HostName("DISC/ORIGINAL_IFO");
  auto write = [this](const char* name, Bytes bytes) { return [=] { folder_.WriteFile(name, bytes); }; };
  Bytes flipped = files_[2].second;
  flipped[0x100] ^= 1;
  const struct {
    bool made;  // by apply, before the change
    std::function<void()> change;
    std::string fault;  // restore's message, or what apply asks about
  } cases[] = {
      {false, [] {}, "元のIFOファイルのバックアップがありません.\n" + backup},
      {true, write("DISC/VIDEO_TS/VTS_01_2.VOB", Bytes(2048, 0x77)),
       "バックアップはこのフォルダのディスクから作られたものではありません."},
      {true,
       [this] {  // the record names a video file more than the folder has
         Bytes r = folder_.ReadFile("DISC/ORIGINAL_IFO/DISC.TXT");
         std::string text(r.begin(), r.end());
         text.insert(text.rfind(".VOB\n") + 5, "0 VTS_01_9.VOB\n");
         folder_.WriteFile("DISC/ORIGINAL_IFO/DISC.TXT", text);
       },
       "バックアップはこのフォルダのディスクから作られたものではありません."},
      {true, write("DISC/ORIGINAL_IFO/VTS_01_0.IFO", flipped),
       "バックアップのファイルが作られたときから変わっているか, 欠けています."},
      {false,
       [this] {
         folder_.MakeDir("DISC/ORIGINAL_IFO");
         testdisc::DiscSpec other = testdisc::SimpleDisc(1, 3);
         other.titleSets[0].titleVobBytes = {5 * 2048};
         testdisc::BuiltDisc built = testdisc::BuildDisc(other);
         folder_.WriteFile("DISC/ORIGINAL_IFO/VIDEO_TS.IFO", built.vmg.bytes);
         folder_.WriteFile("DISC/ORIGINAL_IFO/VTS_01_0.IFO", built.vts[0].bytes);
       },
       "記録のない古いバックアップで, そのIFOファイルがこのフォルダのディスクと合いません."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    std::filesystem::remove_all(backup);
    WriteFiles("DISC/VIDEO_TS");
    if (c.made) {
      MessageRecorder quiet;
      ASSERT_TRUE(EnsureOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    }
    c.change();
    WriteFiles("DISC/VIDEO_TS", 10);
    const auto before = folder_.Tree();
    MessageRecorder messages({platform::kOkAnswer, platform::kNoAnswer});
    EXPECT_FALSE(RestoreOriginalBackup("C:\\DISC\\VIDEO_TS\\"));
    const bool failsItsRecord = c.fault.back() == '.';
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
