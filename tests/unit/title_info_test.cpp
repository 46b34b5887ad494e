// The title information lines, read from VIDEO_TS.IFO as read.
#include "disc/title_info.h"

#include <gtest/gtest.h>

#include <cstring>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

TEST(TitleInfo, OneLinePerTitleInTheListFormat) {
  std::memset(&Disc, 0, sizeof Disc);
  testdisc::DiscSpec d = testdisc::SimpleDisc(1, 2);
  d.vmg.titles[0].chapters = 12;
  d.vmg.titles[1].angles = 2;
  d.vmg.titles[1].chapters = 123;  // the field widens
  testdisc::LoadDisc(d);
  const char* expected[] = {
      " ﾀｲﾄﾙ01: [VTS番号: 1  VTS内ﾀｲﾄﾙ番号: 1  ｱﾝｸﾞﾙ数: 1  ﾁｬﾌﾟﾀｰ数:12]",
      " ﾀｲﾄﾙ02: [VTS番号: 1  VTS内ﾀｲﾄﾙ番号: 2  ｱﾝｸﾞﾙ数: 2  ﾁｬﾌﾟﾀｰ数:123]",
  };
  for (int t = 0; t < 2; ++t) {
    char line[kTitleInfoLineCapacity];
    FormatTitleInfoLine(TitleSummaryOf(t), line);
    EXPECT_STREQ(line, expected[t]);
  }
  Disc.IfoSize[0] = 0x100;  // the table now lies outside the image
  EXPECT_EQ(TitleSummaryOf(0).chapters, 0);
}
