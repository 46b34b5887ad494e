// The checked lookups over builder images. Their refusals of offsets outside
// an image are exercised through the disc check (disc_check_test.cpp), the
// menu table walker's here.
#include <gtest/gtest.h>

#include <array>

#include <algorithm>
#include <cstring>
#include <functional>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_units.h"
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

// Every way a menu table's units and chains can leave their bounds, found
// by the one walker every reader and writer uses, named by unit and chain.
TEST(IfoTables, MenuUnitsAreFollowedOnlyInsideTheirTable) {
  DiscSpec d = SimpleDisc(1, 1);
  d.vmg.menus = {{"en"}, {"ja"}};
  d.vmg.menus[0].pgcs.resize(3);
  d.vmg.menus[1].pgcs.resize(1);
  using F = MenuUnitFault;
  using Damage = std::function<void(BuiltImage&)>;
  auto put = [](const char* at, std::size_t plus, int32_t value) -> Damage {
    return [=](BuiltImage& v) { WriteBe32(v.Ptr(at, plus), value); };
  };
  const struct {
    const char* what;
    Damage damage;
    MenuUnitFault fault;
    int unit, pgc;
    std::array<int, 2> units = {1, 2};  // the stored unit each language finds
  } cases[] = {
      {"intact", [](BuiltImage&) {}, F::None, 0, 0},
      // Both are found in full, as libdvdread finds them.
      {"units stored out of pointer order",
       [](BuiltImage& v) {
         std::swap_ranges(v.Ptr("VMGM_PGCI_UT", 12), v.Ptr("VMGM_PGCI_UT", 16), v.Ptr("VMGM_PGCI_UT", 20));
       },
       F::None,
       0,
       0,
       {2, 1}},
      {"two languages sharing one unit",
       [](BuiltImage& v) { std::memcpy(v.Ptr("VMGM_PGCI_UT", 20), v.Ptr("VMGM_PGCI_UT", 12), 4); },
       F::None,
       0,
       0,
       {1, 1}},
      {"table end past the image", put("VMGM_PGCI_UT", 4, 0x100000), F::TableOutside, 0, 0},
      {"table end among the unit pointers", put("VMGM_PGCI_UT", 4, 15), F::TableOutside, 0, 0},
      {"unit 2 past the table end", put("VMGM_PGCI_UT", 8 + 8 + 4, 0xFFFF), F::UnitOutside, 1, 0},
      {"unit 1 among the unit pointers", put("VMGM_PGCI_UT", 8 + 4, 8), F::UnitOutside, 0, 0},
      {"unit of no chains", [](BuiltImage& v) { WriteBe16(v.Ptr("lu 2"), 0); }, F::NoPgcs, 1, 0},
      {"chain pointers past the unit", [](BuiltImage& v) { WriteBe16(v.Ptr("lu 1"), 200); },
       F::PointersOutside, 0, 0},
      {"chain at the next unit: inside the file, outside its own unit",
       [](BuiltImage& v) { WriteBe32(v.Ptr("lu 1", 8 + 8 + 4), int32_t(v.At("lu 2") - v.At("lu 1"))); },
       F::PgcOutside, 0, 2},
      {"chain header past the image", put("lu 2", 8 + 4, 0x7FFFFFF0), F::PgcOutside, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BuiltImage v = BuildDisc(d).vmg;
    c.damage(v);
    ImageRef image{v.bytes.data(), int64_t(v.bytes.size())};
    int64_t table = int64_t(v.At("VMGM_PGCI_UT"));
    MenuUnitCheck check = CheckMenuUnits(image, table);
    EXPECT_EQ(int(check.fault), int(c.fault));
    EXPECT_EQ(check.unit, c.unit);
    EXPECT_EQ(check.pgc, c.pgc);
    if (c.fault != F::None) continue;

    MenuTable t;
    ASSERT_EQ(ReadMenuTable(image, table, &t), F::None);
    for (int u = 0; u < 2; ++u) {
      MenuUnit unit;
      ASSERT_EQ(ReadMenuUnit(image, t, u, &unit), F::None);
      std::string lu = "lu " + std::to_string(c.units[u]);
      EXPECT_EQ(unit.offset, int64_t(v.At(lu)));
      for (int k = 1; k <= unit.pgcs; ++k)
        EXPECT_EQ(MenuPgcOffset(image, unit, k), int64_t(v.At(lu + " pgc " + std::to_string(k))));
      EXPECT_EQ(MenuPgcOffset(image, unit, unit.pgcs + 1), -1);
    }
    // Players take the unit of their language, else the first.
    MenuUnit unit;
    ASSERT_TRUE(FindMenuUnit(image, table, 'j' << 8 | 'a', &unit));
    EXPECT_EQ(unit.offset, int64_t(v.At("lu " + std::to_string(c.units[1]))));
    ASSERT_TRUE(FindMenuUnit(image, table, 'd' << 8 | 'e', &unit));
    EXPECT_EQ(unit.offset, int64_t(v.At("lu " + std::to_string(c.units[0]))));
    EXPECT_EQ(int(CheckMenuUnits(image, -1).fault), int(F::TableOutside));
  }
}
