// The checked lookups over builder images. Their refusals of offsets outside
// an image are exercised through the disc check (disc_check_test.cpp).
#include <gtest/gtest.h>

#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

TEST(IfoTables, TitlesEndInTheChainOfTheirLastChapter) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(2, 3, C("30 01 00 00 00 00 00 00"));
  // Set 1: titles in another chain order, title 2 over chains 1 and 2,
  // title 3 ending in title 2's chain, title 4 without chapters.
  d.titleSets[0].chapters = {{3}, {1, 2}, {2}, {}};
  d.titleSets[0].titlePgcs[1].pre = {C("71 00 00 01 00 05 00 00"), C("71 00 00 02 00 05 00 00")};
  d.titleSets[0].titlePgcs[1].post = {C("30 05 00 01 00 02 00 00"), C("30 01 00 00 00 00 00 00")};
  d.titleSets[0].titlePgcs[0].post.clear();
  d.titleSets[1].titlePgcs[1].noCommandTable = true;
  d.vmg.titles = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2}, {2, 4}, {0, 1}, {3, 1}};
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);

  const struct {
    int pgcNumber;
    const char* post;
  } want[] = {{3, "pgc 3 post"}, {2, "pgc 2 post"}, {2, "pgc 2 post"}, {0, nullptr}, {1, "pgc 1 post"},
              {2, nullptr},      {0, nullptr},      {-1, nullptr},     {-1, nullptr}};
  for (int t = 0; t < Disc.TitleCount; ++t) {
    SCOPED_TRACE("title " + std::to_string(t + 1));
    TitleChain c;
    bool found = FindTitleChain(StoredVmgRef(), t, &c);
    EXPECT_EQ(c.titleSet, d.vmg.titles[t].titleSet);  // reported even when there is no chain
    EXPECT_EQ(c.titleInSet, d.vmg.titles[t].titleInSet);
    EXPECT_EQ(c.pgcNumber, want[t].pgcNumber);
    EXPECT_EQ(found, want[t].pgcNumber > 0);
    if (!found) continue;
    EXPECT_EQ(c.pgc, int64_t(b.vts[c.titleSet - 1].At("pgc " + std::to_string(c.pgcNumber))));
    int64_t post = FirstPostCommand(VtsImageRef(c.titleSet), c.pgc);
    EXPECT_EQ(post, want[t].post ? int64_t(b.vts[c.titleSet - 1].At(want[t].post)) : -1);
  }
  TitleChain c;
  EXPECT_FALSE(FindTitleChain(StoredVmgRef(), Disc.TitleCount, &c));
  // The table's end cut into title 3's chapter (bytes 36..39).
  WriteBe32(VtsImage(1) + b.vts[0].At("VTS_PTT_SRPT") + 4, 37);
  EXPECT_TRUE(FindTitleChain(StoredVmgRef(), 0, &c));
  EXPECT_FALSE(FindTitleChain(StoredVmgRef(), 2, &c));
  EXPECT_EQ(c.pgcNumber, -1);

  CommandTable table;
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(2), int64_t(b.vts[1].At("pgc 2")), &table));
  EXPECT_FALSE(table.present);
  EXPECT_EQ(table.pre + table.post + table.cell, 0);
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(1), int64_t(b.vts[0].At("pgc 2")), &table));
  EXPECT_EQ(table.offset, int64_t(b.vts[0].At("pgc 2 cmd")));
  EXPECT_EQ(table.pre * 10 + table.post, 22);
}

TEST(IfoTables, ImageRefsStayInsideTheirBuffers) {
  std::memset(&Disc, 0, sizeof Disc);
  Disc.VmgSize = kVmgImageCapacity + 1;
  EXPECT_EQ(VmgImageRef().size, kVmgImageCapacity);
  Disc.IfoOffset[3] = kIfoStoreCapacity - 10;
  Disc.IfoSize[3] = 4096;
  EXPECT_EQ(VtsImageRef(3).size, 10);
  Disc.IfoOffset[4] = -5;
  EXPECT_EQ(VtsImageRef(4).size, 0);
  EXPECT_EQ(VtsImageRef(100).size, 0);
}
