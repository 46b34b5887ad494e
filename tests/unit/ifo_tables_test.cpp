// The checked lookups over builder images (their refusals of what lies
// outside an image: read_edit_folder_test.cpp), and the start options' First Play.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/ifo_tables.h"
#include "disc/menu_units.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

// Titles in another order than their chains, title 2 over chains 1 and 2,
// title 3 ending in title 2's chain; one entry more than the count says.
TEST(IfoTables, TitlesEndInTheChainOfTheirLastChapterAndNoneLiesPastTheCount) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(1, 3);
  d.titleSets[0].chapters = {{3}, {1, 2}, {2}};
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  for (int t = 0, want[] = {3, 2, 2}; t < 3; ++t) {
    TitleChain c;
    ASSERT_TRUE(FindTitleChain(StoredVmgRef(), t, &c)) << t;
    EXPECT_EQ(c.pgcNumber, want[t]);
    EXPECT_EQ(c.pgc, int64_t(b.vts[0].At("pgc " + std::to_string(want[t]))));
  }
  WriteBe16(Disc.IfoStore + b.vmg.At("TT_SRPT"), 2);
  TitleChain c;
  EXPECT_FALSE(FindTitleChain(StoredVmgRef(), 2, &c));
}

// Switching a start option off puts the disc's own First Play back, also
// where the disc had none.
TEST(IfoTables, AStartOptionSwitchedOffLeavesTheFirstPlayAsItWas) {
  BuiltImage v = BuildDisc(SimpleDisc(1, 1)).vmg;
  std::vector<uint8_t> image = v.bytes;
  WriteOptionFirstPlay(image.data(), C("30 02 00 00 00 01 00 00").data());
  EXPECT_EQ(ReadFirstPlayKind({image.data(), int64_t(image.size())}), NoMenuFirstPlay);
  CopyFirstPlay({v.bytes.data(), int64_t(v.bytes.size())}, image.data());
  EXPECT_EQ(image, v.bytes);
}

// Title 3's chain is also title 2's first chapter: its end goes behind a test
// of its number; title 1's chain, stored before it, is no other title's.
TEST(IfoTables, OnlyAnEndAnotherTitlePlaysOnThroughIsGuarded) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(1, 3);
  d.titleSets[0].chapters = {{2}, {3, 1}, {3}};
  LoadDisc(d);
  static TitleEnds ends;
  FindTitleEnds(StoredVmgRef(), &ends);
  EXPECT_EQ(std::vector<bool>({ends.title[0].guarded, ends.title[2].guarded}),
            std::vector<bool>({false, true}));
  char words[128];
  FixedEndWords(2, TitleEnd{EndFixed::PlayedThrough, 1, 3, -1, 1, false, 2, 1}, words, sizeof words);
  EXPECT_STREQ(words, "title 3's end is also the end of chapter 1 of title 2, which plays on through it");
}
