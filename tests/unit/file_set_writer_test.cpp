#include "author/file_set_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

Bytes Filled(std::size_t size, uint8_t value) { return Bytes(size, value); }

// A folder C:\ holding the four files with old contents, and new contents
// ready for them: the video manager files small, the title set files large.
class FileSetWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      oldBytes_[i] = Filled(i < 2 ? 4096 : 6144, uint8_t(0x10 + i));
      newBytes_[i] = Filled(i < 2 ? 8192 : 65536, uint8_t(0xA0 + i));
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
  struct Case {
    const char* blockedTemporary;  // a folder standing where this temporary goes
    const char* folder;
    const char* message;
  } cases[] = {
      {"VIDEO_TS.IFO.rwtmp", "C:\\", "VIDEO_TS.IFOが更新できません."},
      {"VTS_01_0.BUP.rwtmp", "C:\\", "VTS_01_0.BUPが更新できません."},
      {nullptr, "C:\\GONE\\", "VIDEO_TS.IFOが更新できません."},
      {nullptr, tooLong.c_str(), "VIDEO_TS.IFOが更新できません.\nフォルダのパスが長すぎます."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    if (c.blockedTemporary) {
      folder_.MakeDir(c.blockedTemporary);
      folder_.WriteFile(std::string(c.blockedTemporary) + "/keep", "x");
    }
    MessageRecorder messages;

    EXPECT_FALSE(WriteFileSet(c.folder, files_, 4));

    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, c.message);
    EXPECT_EQ(messages.messages()[0].caption, "エラー");
    EXPECT_EQ(messages.messages()[0].style, 48);
    ExpectOriginalsUntouched();
    ExpectNoTemporary();
    if (c.blockedTemporary) {
      EXPECT_TRUE(folder_.Exists(std::string(c.blockedTemporary) + "/keep"));
      std::remove(folder_.HostName(std::string(c.blockedTemporary) + "/keep").c_str());
      std::remove(folder_.HostName(c.blockedTemporary).c_str());
    }
  }
}

// A disc full half-way through the set: the file size limit lets the small
// video manager files through and cuts VTS_01_0.IFO short.
TEST_F(FileSetWriterTest, ShortWriteInTheMiddleLeavesEveryOriginal) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {32768, 32768};
    setrlimit(RLIMIT_FSIZE, &limit);
    MessageRecorder messages;
    bool written = WriteFileSet("C:\\", files_, 4);
    bool named = messages.messages().size() == 1 &&
                 messages.messages()[0].text == "VTS_01_0.IFOの書き込みでエラーが発生しました.";
    _exit(written ? 1 : named ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported success, 2: wrong message";
  ExpectOriginalsUntouched();
  ExpectNoTemporary();
}

// Renaming over a folder fails: the files before it are new, the rest old,
// and the message says which is which.
TEST_F(FileSetWriterTest, FailureWhileReplacingNamesWhatWasReplaced) {
  std::remove(folder_.HostName("VTS_01_0.IFO").c_str());
  folder_.MakeDir("VTS_01_0.IFO");
  folder_.WriteFile("VTS_01_0.IFO/inside", "x");
  MessageRecorder messages;

  EXPECT_FALSE(WriteFileSet("C:\\", files_, 4));

  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].text,
            "VTS_01_0.IFOの置き換えでエラーが発生しました.\n"
            "置き換え済み: VIDEO_TS.IFO, VIDEO_TS.BUP\n"
            "元のまま: VTS_01_0.IFO, VTS_01_0.BUP");
  EXPECT_EQ(folder_.ReadFile("VIDEO_TS.IFO"), newBytes_[0]);
  EXPECT_EQ(folder_.ReadFile("VIDEO_TS.BUP"), newBytes_[1]);
  EXPECT_EQ(folder_.ReadFile("VTS_01_0.BUP"), oldBytes_[3]);
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
