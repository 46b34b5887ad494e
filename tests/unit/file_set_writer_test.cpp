#include "author/file_set_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

const char* const kNames[] = {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"};

// C:\ holding the four files with old contents, and new contents ready for
// them: the video manager's small, the title set's large.
struct FourFiles {
  FourFiles() {
    for (int i = 0; i < 4; ++i) {
      drive.WriteFile(kNames[i], std::string(i < 2 ? 4096 : 6144, char(0x10 + i)));
      newBytes[i] = std::string(i < 2 ? 8192 : 65536, char(0xA0 + i));
      files[i] = {kNames[i], reinterpret_cast<const uint8_t*>(newBytes[i].data()),
                  int64_t(newBytes[i].size())};
    }
  }
  TempFolder drive;
  std::string newBytes[4];
  PendingFile files[4];
};

TEST(WriteFileSet, ReplacesEveryFileAndLeavesNoTemporary) {
  FourFiles set;
  MessageRecorder messages;
  // Replacing a read-only original works too (restoring does not clear it first).
  ASSERT_TRUE(platform::SetAttributes("C:\\VTS_01_0.BUP", platform::kReadOnly));

  ASSERT_TRUE(WriteFileSet("C:\\", set.files, 4));

  EXPECT_TRUE(messages.messages().empty());
  EXPECT_EQ(set.drive.Tree(), (std::map<std::string, std::string>{{kNames[0], set.newBytes[0]},
                                                                  {kNames[1], set.newBytes[1]},
                                                                  {kNames[2], set.newBytes[2]},
                                                                  {kNames[3], set.newBytes[3]}}));
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\VTS_01_0.BUP", &attributes));
  EXPECT_EQ(attributes & platform::kReadOnly, 0u);
}

// Whatever stops the writing, before or while replacing, the message names
// the file and every original keeps its bytes; the folder in the way, not
// ours, stays.
TEST(WriteFileSet, FailuresLeaveTheFolderAsItWas) {
  const struct {
    std::string folder;
    const char* blocked;  // a folder with a file in it stands here
    std::string message;
  } cases[] = {
      {"C:\\", "VTS_01_0.BUP.rwtmp", "VTS_01_0.BUPが更新できません."},
      {"C:\\" + std::string(241, 'A') + "\\", "VTS_01_0.BUP.rwtmp",
       "VIDEO_TS.IFOが更新できません.\nフォルダのパスが長すぎます."},
      {"C:\\", "VTS_01_0.IFO",
       "VTS_01_0.IFOの置き換えでエラーが発生しました.\n置き換え済み: なし\n"
       "元のまま: VIDEO_TS.IFO, VIDEO_TS.BUP, VTS_01_0.IFO, VTS_01_0.BUP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    FourFiles set;
    std::remove(set.drive.HostName(c.blocked).c_str());
    set.drive.MakeDir(c.blocked);
    set.drive.WriteFile(std::string(c.blocked) + "/inside", "x");
    const auto before = set.drive.Tree();
    MessageRecorder messages;

    EXPECT_FALSE(WriteFileSet(c.folder.c_str(), set.files, 4));

    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, c.message);
    EXPECT_EQ(messages.messages()[0].caption, "エラー");
    EXPECT_EQ(messages.messages()[0].style, 48);
    EXPECT_EQ(set.drive.Tree(), before);
  }
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
    EXPECT_EQ(files[i].bytes, i < 2 ? Disc.VmgImage : VtsImage(i / 2));
    EXPECT_EQ(files[i].size, i < 2 ? Disc.VmgSize : Disc.IfoSize[i / 2]);
  }
  EXPECT_EQ(CollectPatchedFiles(files, 5, names), -1);
  Disc.IfoSize[2] = kIfoStoreCapacity;  // a slice reaching past the store
  EXPECT_EQ(CollectPatchedFiles(files, 6, names), -1);
  std::memset(&Disc, 0, sizeof Disc);
}

}  // namespace
