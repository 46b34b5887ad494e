// The get-info sequence: options first, then the read, then the prepared disc.
#include "actions/get_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

TEST(GetInfo, KeepsTheOptionsAndLeavesTheRowPageOnlyForARefusedText) {
  std::memset(&Disc, 0, sizeof Disc);
  TempFolder temp;
  MessageRecorder recorder;
  temp.MakeDir("DVD");
  testdisc::WriteDisc(temp.HostName("DVD"), testdisc::SimpleDisc(1, 2));
  const struct {
    std::string text;
    ReadOutcome outcome;
    int rowPage;
    const char* said;  // in the one message
  } cases[] = {
      {"C:\\DVD", FolderRead, 0, nullptr},
      {"DVD", FolderRejected, 3, "編集先フォルダはフルパス"},
      {"C:\\DVD\\VIDEO_TS.IFO", FolderRejected, 3, "編集先フォルダが存在しません."},
      {"C:\\" + std::string(300, 'x'), FolderRejected, 3, "編集先フォルダのパスが長すぎます."},
      {"C:\\", FilesRejected, 0, "VIDEO_TS.IFOが存在しません."},
  };
  for (const auto& c : cases) {
    Disc.RowPage = 3;
    recorder.Clear();
    EXPECT_EQ(GetInfo(c.text.c_str(), 1, 0), c.outcome) << c.text;
    EXPECT_EQ(Disc.NoMenu * 10 + Disc.RandomPlay, 10);
    EXPECT_EQ(Disc.RowPage, c.rowPage);
    const auto said = recorder.Texts();
    ASSERT_EQ(said.size(), c.said ? 1u : 0u);
    if (c.said) {
      EXPECT_NE(said[0].find(c.said), std::string::npos) << said[0];
    }
  }
}
