// The checked lookups over builder images. Their refusals of offsets outside
// an image are exercised through the disc check (disc_check_test.cpp).
#include <gtest/gtest.h>

#include <cstring>

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

TEST(IfoTables, FollowTitlesToTheirFirstPostCommand) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(2, 2, C("30 01 00 00 00 00 00 00"));
  d.titleSets[1].titlePgcs[1].pre = {C("71 00 00 01 00 05 00 00"), C("71 00 00 02 00 05 00 00")};
  d.titleSets[1].titlePgcs[1].post = {C("30 05 00 01 00 02 00 00"), C("30 01 00 00 00 00 00 00")};
  d.titleSets[1].titlePgcs[0].post.clear();
  d.titleSets[0].titlePgcs[1].noCommandTable = true;
  d.vmg.titles.insert(d.vmg.titles.end(), {{0, 1}, {3, 1}, {1, 0}, {1, 100}, {1, 3}});
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);

  const char* posts[] = {"pgc 1 post", nullptr, nullptr, "pgc 2 post"};
  for (int t = 0; t < Disc.TitleCount; ++t) {
    int set = -1, inSet = -1;
    int64_t pgc = TitlePgc(StoredVmgRef(), t, &set, &inSet);
    EXPECT_EQ(set, d.vmg.titles[t].titleSet);  // reported even when there is no chain
    EXPECT_EQ(inSet, d.vmg.titles[t].titleInSet);
    if (t >= 4) {
      EXPECT_EQ(pgc, -1) << "title " << t + 1;
      continue;
    }
    EXPECT_EQ(pgc, int64_t(b.vts[set - 1].At("pgc " + std::to_string(inSet))));
    int64_t post = FirstPostCommand(VtsImageRef(set), pgc);
    EXPECT_EQ(post, posts[t] ? int64_t(b.vts[set - 1].At(posts[t])) : -1) << "title " << t + 1;
  }
  EXPECT_EQ(TitlePgc(StoredVmgRef(), Disc.TitleCount, nullptr, nullptr), -1);

  CommandTable table;
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(1), int64_t(b.vts[0].At("pgc 2")), &table));
  EXPECT_FALSE(table.present);
  EXPECT_EQ(table.pre + table.post + table.cell, 0);
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(2), int64_t(b.vts[1].At("pgc 2")), &table));
  EXPECT_EQ(table.offset, int64_t(b.vts[1].At("pgc 2 cmd")));
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
