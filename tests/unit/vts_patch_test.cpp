// The title set patch: one command per title, and the sector fields.
#include "author/vts_patch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "author/command_table_growth.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

// Last sector, IFO last sector, menu VOB start, title VOB start.
const int kSectorFields[4] = {kVtsLastSector, kVtsIfoLastSector, kVtsMenuVobsSector, kVtsTitleVobsSector};

// Loads the disc as get info would leave it for the patch, every title
// ending in Stop, with the title sets' sector fields spoilt in memory so that
// only a recomputation puts them right.
BuiltDisc Load(const DiscSpec& layout) {
  std::memset(&Disc, 0, sizeof Disc);
  BuiltDisc disc = BuildDisc(layout);
  LoadDisc(disc);
  std::memcpy(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.IfoSize[0]));
  Disc.VmgSize = Disc.IfoSize[0];
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    for (int field : kSectorFields) WriteBe32(VtsImage(n) + field, 0x777);
  for (int j = 0; j < Disc.TitleCount; ++j) Disc.ActionKind[j] = Stop;
  return disc;
}

// Title set 1: title 1 with a pre-command and two post commands, title 2
// without post commands, title 3 without a command table; title set 2 (no
// VOBs): titles 4 to 6 with one post command each.
TEST(VtsPatch, OnlyTheFirstPostCommandAndTheSectorFieldsChange) {
  DiscSpec d = SimpleDisc(2, 3);
  d.titleSets[0].titlePgcs[0].pre = {C("71 00 00 05 00 07 00 00")};
  d.titleSets[0].titlePgcs[0].post.push_back(C("30 02 00 00 00 03 00 00"));
  d.titleSets[0].titlePgcs[1].post.clear();
  d.titleSets[0].titlePgcs[2].noCommandTable = true;
  d.titleSets[0].menuVobBytes = 5 * kSectorSize + 100;
  d.titleSets[0].titleVobBytes = {100 * kSectorSize, 50 * kSectorSize + 7};
  BuiltDisc disc = Load(d);
  for (int j = 3; j < 6; ++j) Disc.ActionKind[j] = Repeat;  // each its own title of set 2
  PatchTitleSets();

  const int32_t fields[2][4] = {{164, 4, 5, 10}, {9, 4, 0, 5}};  // 5-sector IFOs
  for (int v = 1; v <= 2; ++v) {
    const BuiltImage& built = disc.vts[std::size_t(v - 1)];
    Bytes expected = built.bytes;
    for (int i = 0; i < 4; ++i) WriteBe32(&expected[std::size_t(kSectorFields[i])], fields[v - 1][i]);
    for (int k = 1; k <= (v == 1 ? 1 : 3); ++k) {  // exit; repeat: title k of the set
      Cmd end = v == 1 ? C("30 01 00 00 00 00 00 00") : Cmd{0x30, 0x05, 0, 0x01, 0, uint8_t(k), 0, 0};
      std::memcpy(&expected[built.At("pgc " + std::to_string(k) + " post")], end.data(), 8);
    }
    EXPECT_EQ(Bytes(VtsImage(v), VtsImage(v) + Disc.IfoSize[v]), expected) << "title set " << v;
  }
}

// Title sets of one layout share no chain: each first title ends its own
// way, without a new command table behind a test of its number.
TEST(VtsPatch, TitleSetsOfOneLayoutShareNoChain) {
  Load(SimpleDisc(2, 1));
  Disc.ActionKind[1] = Repeat;
  Bytes store(Disc.IfoStore, Disc.IfoStore + kIfoStoreCapacity);
  ASSERT_TRUE(CheckCommandTableGrowth());
  GrowCommandTables();
  EXPECT_TRUE(Bytes(Disc.IfoStore, Disc.IfoStore + kIfoStoreCapacity) == store);
}

}  // namespace
