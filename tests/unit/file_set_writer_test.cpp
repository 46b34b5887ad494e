#include "author/file_set_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kNames[] = {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"};

// A folder C:\ holding the four files with old contents, and new contents
// ready for them: the video manager files small, the title set files large.
class FileSetWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      oldBytes_[i] = Bytes(i < 2 ? 4096 : 6144, uint8_t(0x10 + i));
      newBytes_[i] = Bytes(i < 2 ? 8192 : 65536, uint8_t(0xA0 + i));
      folder_.WriteFile(kNames[i], oldBytes_[i]);
      files_[i] = PendingFile{kNames[i], newBytes_[i].data(), int64_t(newBytes_[i].size())};
    }
  }

  void ExpectOriginalsUntouched() {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(folder_.ReadFile(kNames[i]), oldBytes_[i]) << kNames[i];
  }
  // Folders a test put in a temporary's way may stay; files may not.
  void ExpectNoTemporary() {
    for (const char* name : kNames) {
      struct stat info;
      std::string temporary = folder_.HostName(std::string(name) + kTemporarySuffix);
      EXPECT_FALSE(stat(temporary.c_str(), &info) == 0 && S_ISREG(info.st_mode)) << name;
    }
  }

  TempFolder folder_;
  Bytes oldBytes_[4];
  Bytes newBytes_[4];
  PendingFile files_[4];
};

TEST_F(FileSetWriterTest, ReplacesEveryFileAndLeavesNoTemporary) {
  MessageRecorder messages;
  // Replacing a read-only original works too (restoring does not clear it first).
  ASSERT_TRUE(platform::SetAttributes("C:\\VTS_01_0.BUP", platform::kReadOnly));

  ASSERT_TRUE(WriteFileSet("C:\\", files_, 4));

  EXPECT_TRUE(messages.messages().empty());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(folder_.ReadFile(kNames[i]), newBytes_[i]) << kNames[i];
  ExpectNoTemporary();
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\VTS_01_0.BUP", &attributes));
  EXPECT_EQ(attributes & platform::kReadOnly, 0u);
}

// Whatever stops a temporary from being written, the first message names the
// real file and every original keeps its bytes.
TEST_F(FileSetWriterTest, FailureBeforeReplacingTouchesNoOriginal) {
  const std::string tooLong = "C:\\" + std::string(241, 'A') + "\\";
  // The last temporary is blocked by a folder, which is not ours to remove.
  folder_.MakeDir("VTS_01_0.BUP.rwtmp");
  folder_.WriteFile("VTS_01_0.BUP.rwtmp/keep", "x");
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\", "VTS_01_0.BUPが更新できません."},
      {tooLong, "VIDEO_TS.IFOが更新できません.\nフォルダのパスが長すぎます."},
  };
  for (const auto& [folder, message] : cases) {
    SCOPED_TRACE(message);
    MessageRecorder messages;

    EXPECT_FALSE(WriteFileSet(folder.c_str(), files_, 4));

    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, message);
    EXPECT_EQ(messages.messages()[0].caption, "エラー");
    EXPECT_EQ(messages.messages()[0].style, 48);
    ExpectOriginalsUntouched();
    ExpectNoTemporary();
    EXPECT_TRUE(folder_.Exists("VTS_01_0.BUP.rwtmp/keep"));
  }
}

// Renaming over a folder fails: the files before it get their originals
// back, and the message says which is which.
TEST_F(FileSetWriterTest, FailureWhileReplacingPutsTheOriginalsBack) {
  std::remove(folder_.HostName("VTS_01_0.IFO").c_str());
  folder_.MakeDir("VTS_01_0.IFO");
  folder_.WriteFile("VTS_01_0.IFO/inside", "x");
  MessageRecorder messages;

  EXPECT_FALSE(WriteFileSet("C:\\", files_, 4));

  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].text,
            "VTS_01_0.IFOの置き換えでエラーが発生しました.\n"
            "置き換え済み: なし\n"
            "元のまま: VIDEO_TS.IFO, VIDEO_TS.BUP, VTS_01_0.IFO, VTS_01_0.BUP");
  EXPECT_EQ(folder_.ReadFile("VIDEO_TS.IFO"), oldBytes_[0]);
  EXPECT_EQ(folder_.ReadFile("VIDEO_TS.BUP"), oldBytes_[1]);
  EXPECT_EQ(folder_.ReadFile("VTS_01_0.BUP"), oldBytes_[3]);
  EXPECT_FALSE(folder_.Exists("VIDEO_TS.IFO.rwold"));
  EXPECT_TRUE(folder_.Exists("VTS_01_0.IFO/inside"));
  ExpectNoTemporary();
}

TEST(CollectPatchedFiles, ListsTheImagesInWritingOrder) {
  std::memset(&Disc, 0, sizeof Disc);
  testdisc::LoadDisc(testdisc::SimpleDisc(2, 1));
  std::memcpy(Disc.VmgImage, Disc.IfoStore, Disc.IfoSize[0]);
  Disc.VmgSize = Disc.IfoSize[0] + kSectorSize;  // grown by the patch
  PendingFile files[6];
  char names[6][16];

  ASSERT_EQ(CollectPatchedFiles(files, 6, names), 6);

  const char* expected[] = {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO",
                            "VTS_01_0.BUP", "VTS_02_0.IFO", "VTS_02_0.BUP"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(files[i].name, expected[i]);
    int n = i / 2;
    EXPECT_EQ(files[i].bytes, n == 0 ? Disc.VmgImage : VtsImage(n));
    EXPECT_EQ(files[i].size, n == 0 ? Disc.VmgSize : Disc.IfoSize[n]);
  }
  EXPECT_EQ(CollectPatchedFiles(files, 5, names), -1);
  Disc.IfoSize[2] = kIfoStoreCapacity;  // a slice reaching past the store
  EXPECT_EQ(CollectPatchedFiles(files, 6, names), -1);
  std::memset(&Disc, 0, sizeof Disc);
}

}  // namespace
