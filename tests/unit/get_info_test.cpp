// The get-info sequence: options first, then the read, then the prepared disc.
#include "actions/get_info.h"

#include <gtest/gtest.h>

#include <cstring>

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
    const char* text;
    ReadOutcome outcome;
    int rowPage;
  } cases[] = {{"C:\\DVD", FolderRead, 0}, {"DVD", FolderRejected, 3}, {"C:\\", FilesRejected, 0}};
  for (const auto& c : cases) {
    Disc.RowPage = 3;
    recorder.Clear();
    EXPECT_EQ(GetInfo(c.text, 1, 0), c.outcome) << c.text;
    EXPECT_EQ(Disc.NoMenu * 10 + Disc.RandomPlay, 10);
    EXPECT_EQ(Disc.RowPage, c.rowPage);
    EXPECT_EQ(recorder.messages().size(), c.outcome == FolderRead ? 0u : 1u);
  }
}
