// What reading a folder makes of a write cut off there in ways the kill
// sweep (fault_injection_test) does not reach: an older version's leftovers,
// a record cut short by a power cut, and a set that can go neither way.
#include "disc/interrupted_write.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

namespace {

TEST(InterruptedWrite, IsFinishedBeforeTheFolderIsRead) {
  const struct {
    const char* left;
    std::function<void(const TempFolder&)> leave;
    const char* said;
    ReadOutcome read;
  } cases[] = {
      {"an older version stepped the original aside and was cut off",
       [](const TempFolder& d) {
         std::filesystem::rename(d.HostName("VIDEO_TS.IFO"), d.HostName("VIDEO_TS.IFO.rwold"));
         d.WriteFile("VIDEO_TS.BUP.rwtmp", "new");
       },
       "前回中断された書き込みで脇に置かれたままだった元のファイルを戻しました.", FolderRead},
      {"a record cut short: the set never began",
       [](const TempFolder& d) {
         d.WriteFile("REELWRITE.rwset", "REELWRITE FILE SET\nK VIDEO_TS.IFO\n");
         d.WriteFile("VIDEO_TS.IFO.rwtmp", "new");
         d.WriteFile("VIDEO_TS.IFO.rwold", d.ReadFile("VIDEO_TS.IFO"));
       },
       "前回中断された書き込みの一時ファイルを削除しました.", FolderRead},
      {"a file that cannot be put in place, and one that cannot be put back",
       [](const TempFolder& d) {
         d.WriteFile("REELWRITE.rwset", "REELWRITE FILE SET\nN STUCK\nK HELD\nEND\n");
         d.MakeDir("STUCK");
         d.WriteFile("STUCK/inside", "x");
         d.WriteFile("STUCK.rwtmp", "new");
         d.MakeDir("HELD");
         d.WriteFile("HELD/inside", "x");
         d.WriteFile("HELD.rwold", "old");
       },
       "前回中断された書き込みを完了することも取り消すこともできません.", FilesRejected},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.left);
    TempFolder drive;
    testdisc::WriteDisc(drive.host(), testdisc::SimpleDisc(1, 1));
    const auto disc = drive.Tree();
    c.leave(drive);
    std::memset(&Disc, 0, sizeof Disc);
    MessageRecorder messages;

    EXPECT_EQ(GetInfo("C:\\", 0, 0), c.read);

    ASSERT_FALSE(messages.messages().empty());
    EXPECT_EQ(messages.messages()[0].text.rfind(c.said, 0), 0u) << messages.messages()[0].text;
    auto after = drive.Tree();
    if (c.read == FolderRead) {
      EXPECT_EQ(after, disc);
    } else {
      for (const auto& [name, bytes] : disc) EXPECT_EQ(after[name], bytes) << name;
      EXPECT_TRUE(drive.Exists("REELWRITE.rwundo"));  // the next run tries again
    }
  }
}

}  // namespace
