// The checked lookups, over images made by the test disc builder.
#include <gtest/gtest.h>

#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

ImageRef Ref(const BuiltImage& img) { return ImageRef{img.bytes.data(), int64_t(img.bytes.size())}; }

class IfoTables : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

}  // namespace

TEST_F(IfoTables, FollowTitlesToTheirFirstPostCommand) {
  DiscSpec d = SimpleDisc(2, 2, C("30 01 00 00 00 00 00 00"));
  Pgc& t4 = d.titleSets[1].titlePgcs[1];
  t4.pre = {C("71 00 00 01 00 05 00 00"), C("71 00 00 02 00 05 00 00")};
  t4.post = {C("30 05 00 01 00 02 00 00"), C("30 01 00 00 00 00 00 00")};
  d.titleSets[1].titlePgcs[0].post.clear();
  d.titleSets[0].titlePgcs[1].noCommandTable = true;
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  ASSERT_EQ(Disc.TitleCount, 4);

  struct Expect {
    int set, inSet;
    const char* post;
  } expect[] = {{1, 1, "pgc 1 post"}, {1, 2, nullptr}, {2, 1, nullptr}, {2, 2, "pgc 2 post"}};
  for (int t = 0; t < 4; ++t) {
    int set = 0, inSet = 0;
    int64_t pgc = TitlePgc(StoredVmgRef(), t, &set, &inSet);
    EXPECT_EQ(set, expect[t].set);
    EXPECT_EQ(inSet, expect[t].inSet);
    EXPECT_EQ(pgc, int64_t(b.vts[set - 1].At("pgc " + std::to_string(inSet))));
    int64_t post = FirstPostCommand(VtsImageRef(set), pgc);
    EXPECT_EQ(post, expect[t].post ? int64_t(b.vts[set - 1].At(expect[t].post)) : -1) << "title " << t + 1;
  }
  const uint8_t* repeat = VtsImageRef(2).data + b.vts[1].At("pgc 2 post");
  EXPECT_EQ(repeat[0], 0x30);
  EXPECT_EQ(repeat[1], 0x05);

  CommandTable table;
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(1), int64_t(b.vts[0].At("pgc 2")), &table));
  EXPECT_FALSE(table.present);
  EXPECT_EQ(table.pre + table.post + table.cell, 0);
  ASSERT_TRUE(ReadCommandTable(VtsImageRef(2), int64_t(b.vts[1].At("pgc 2")), &table));
  EXPECT_EQ(table.pre, 2);
  EXPECT_EQ(table.post, 2);
}

TEST_F(IfoTables, TitlesOutsideTheDiscHaveNoProgramChain) {
  DiscSpec d = SimpleDisc(1, 1);
  d.vmg.titles = {{0, 1}, {2, 1}, {1, 0}, {1, 100}, {1, 2}, {1, 1}};
  LoadDisc(d);
  for (int t = 0; t < 5; ++t) {
    int set = -1;
    EXPECT_EQ(TitlePgc(StoredVmgRef(), t, &set, nullptr), -1) << "title " << t + 1;
    EXPECT_EQ(set, d.vmg.titles[t].titleSet);  // still reported for the caller
  }
  EXPECT_GT(TitlePgc(StoredVmgRef(), 5, nullptr, nullptr), 0);
  EXPECT_EQ(TitlePgc(StoredVmgRef(), 6, nullptr, nullptr), -1);  // past the title count
  EXPECT_EQ(TitlePgc(StoredVmgRef(), -1, nullptr, nullptr), -1);
}

TEST_F(IfoTables, OffsetsLeavingTheImageGiveMinusOne) {
  DiscSpec d = SimpleDisc(1, 1);
  d.titleSets[0].titlePgcs[0].pre = {C("30 01 00 00 00 00 00 00")};
  BuiltDisc b = BuildDisc(d);
  BuiltImage& vts = b.vts[0];
  const int64_t size = int64_t(vts.bytes.size());
  const int64_t pgcit = int64_t(vts.At("VTS_PGCIT"));
  const int64_t pgc = int64_t(vts.At("pgc 1"));

  struct Case {
    const char* what;
    const char* place;
    std::size_t plus;
    int bytes;
    int64_t value;
  } cases[] = {
      {"table sector past the end", "VTSI_MAT", kVtsPgcitSector, 4, size / kSectorSize},
      {"negative table sector", "VTSI_MAT", kVtsPgcitSector, 4, -1},
      {"chain number past the count", "VTS_PGCIT", 0, 2, 0},
      {"chain offset past the end", "VTS_PGCIT", 12, 4, size - pgcit - kPgcHeaderSize + 1},
      {"negative chain offset", "VTS_PGCIT", 12, 4, -8},
      {"command table past the end", "pgc 1", kPgcCommandTableOffset, 2, size - pgc - 7},
      {"commands promised past the end", "pgc 1 cmd", 0, 2, (size - pgc) / 8},
      {"post commands past the end", "pgc 1 cmd", 2, 2, 0xFFFF},
  };
  for (const Case& c : cases) {
    BuiltImage img = vts;
    uint8_t* p = img.Ptr(c.place, c.plus);
    c.bytes == 4 ? (void)WriteBe32(p, int32_t(c.value)) : (void)WriteBe16(p, int(c.value));
    ImageRef ref = Ref(img);
    int64_t table = TableOffset(ref, kVtsPgcitSector);
    int64_t chain = table < 0 ? -1 : PgcOffset(ref, table, 1);
    CommandTable commands;
    bool ok = chain >= 0 && ReadCommandTable(ref, chain, &commands);
    EXPECT_FALSE(ok) << c.what;
    if (chain >= 0) {
      EXPECT_EQ(FirstPostCommand(ref, chain), -1) << c.what;
    }
  }
  ImageRef whole = Ref(vts);
  EXPECT_EQ(TableOffset(whole, kVtsMenuPgciUtSector), -1);  // absent
  EXPECT_EQ(TableOffset(ImageRef{vts.bytes.data(), 100}, kVtsPgcitSector), -1);
  EXPECT_EQ(PgcOffset(whole, pgcit, 0), -1);
  CommandTable commands;
  EXPECT_FALSE(ReadCommandTable(whole, size - 8, &commands));
}

TEST_F(IfoTables, ImageRefsStayInsideTheirBuffers) {
  Disc.VmgSize = kVmgImageCapacity + 1;
  EXPECT_EQ(VmgImageRef().size, kVmgImageCapacity);
  Disc.IfoOffset[3] = kIfoStoreCapacity - 10;
  Disc.IfoSize[3] = 4096;
  EXPECT_EQ(VtsImageRef(3).size, 10);
  Disc.IfoOffset[4] = -5;
  Disc.IfoSize[4] = 4096;
  EXPECT_EQ(VtsImageRef(4).size, 0);
  EXPECT_EQ(VtsImageRef(0).size, 0);
  EXPECT_EQ(VtsImageRef(100).size, 0);
}
