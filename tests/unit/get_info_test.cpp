// The get-info sequence: options first, then the read, then the prepared disc.
#include <gtest/gtest.h>

#include <cstring>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"
#include "tests/unit/temp_folder.h"

using namespace testdisc;

TEST(GetInfo, TakesOptionsFirstAndPreparesTheDiscOnlyWhenRead) {
  std::memset(&Disc, 0, sizeof Disc);
  TempFolder temp;
  MessageRecorder recorder;
  temp.MakeDir("DVD");
  WriteDisc(temp.HostName("DVD"), SimpleDisc(1, 2, C("30 01 00 00 00 00 00 00")));

  struct Case {
    const char* text;
    int noMenu, randomPlay;
    ReadOutcome outcome;
    int rowPage;
  } cases[] = {
      {"C:\\DVD", 1, 0, FolderRead, 0},
      {"DVD", 0, 1, FolderRejected, 3},  // the page stays when the text itself is refused
      {"C:\\", 1, 1, FilesRejected, 0},
  };
  for (const Case& c : cases) {
    Disc.RowPage = 3;
    Disc.VmgSize = 0;
    EXPECT_EQ(GetInfo(c.text, c.noMenu, c.randomPlay), c.outcome) << c.text;
    EXPECT_STREQ(Disc.EditFolderText, c.text);
    EXPECT_EQ(Disc.NoMenu, c.noMenu);
    EXPECT_EQ(Disc.RandomPlay, c.randomPlay);
    EXPECT_EQ(Disc.RowPage, c.rowPage);
    bool read = c.outcome == FolderRead;
    EXPECT_EQ(Disc.VmgSize, read ? Disc.IfoSize[0] : 0) << "menu table prepared";
    if (read) {
      EXPECT_EQ(Disc.ActionKind[1], Stop) << "actions derived";
    }
    EXPECT_EQ(recorder.messages().size(), read ? 0u : 1u);
    recorder.Clear();
  }
  std::string longText(300, 'x');
  GetInfo(longText.c_str(), 0, 0);
  EXPECT_EQ(std::strlen(Disc.EditFolderText), 258u);
}
