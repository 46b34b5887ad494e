// The patch of VIDEO_TS.IFO and of the title sets' IFOs, over discs
// prepared as get info prepares them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "actions/title_action.h"
#include "author/command_table_growth.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes At(const uint8_t* p, std::size_t n) { return Bytes(p, p + n); }
int32_t Field(int offset) { return ReadBe32(Disc.VmgImage + offset); }

// One title set of n titles; one language unit of `pgcs` menu chains (none:
// no menu table). Loaded and prepared as get info leaves it.
BuiltDisc Prepare(int n, int pgcs, std::function<void(DiscSpec&)> change = {}) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(1, n);
  if (pgcs > 0) d.vmg.menus = {{"en", 0x80, std::vector<Pgc>(pgcs)}};
  if (change) change(d);
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  DeriveActionsFromDisc(PrepareMenuTable());
  return b;
}

// The menu table grown, placed behind the title table where there was none,
// and over two sectors kept: what follows moves, the sector fields are
// recomputed.
TEST(VmgPatch, TablePlacementMovesWhatFollowsAndRecomputesTheSectorFields) {
  const struct {
    int menuPgcs;  // 0: the disc has no menu table
    std::array<bool, 5> following;
    int growth;
  } cases[] = {{7, {1, 1, 0, 1, 1}, 1}, {0, {}, 1}, {9, {}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.menuPgcs);
    BuiltDisc b = Prepare(3, c.menuPgcs, [&c](DiscSpec& d) { d.vmg.following = c.following; });
    const uint8_t* old = b.vmg.bytes.data();
    // Stale values that only a recomputation puts right.
    const std::size_t entry = b.vmg.At("title 3") + 8;
    for (std::size_t field : {std::size_t(kVmgLastSector), std::size_t(kVmgIfoLastSector), entry})
      WriteBe32(Disc.IfoStore + field, 7);
    const int size = Disc.VmgSize + c.growth * kSectorSize, ifo = size / kSectorSize;
    EXPECT_EQ(PatchedVmgSize(), size);
    ASSERT_TRUE(PatchVideoManager());
    EXPECT_EQ(Disc.VmgSize, size);
    EXPECT_EQ(Field(kVmgMenuPgciUtSector), 2);
    EXPECT_EQ(At(Disc.VmgImage + 2 * kSectorSize, 16), At(Disc.MenuTableImage, 16));
    for (int i = 0; i < 5; ++i) {
      const int32_t before = ReadBe32(old + kVmgFollowingTables[i]);
      EXPECT_EQ(Field(kVmgFollowingTables[i]), before > 0 ? before + c.growth : 0) << i;
      const std::size_t at = std::size_t(before) * kSectorSize, n = before > 0 ? kSectorSize : 0;
      EXPECT_EQ(At(Disc.VmgImage + at + c.growth * kSectorSize, n), At(old + at, n)) << i;
    }
    EXPECT_EQ(Field(kVmgLastSector), 2 * ifo - 1);
    EXPECT_EQ(Field(kVmgIfoLastSector), ifo - 1);
    EXPECT_EQ(Field(int(entry)), ReadBe32(old + entry) + 2 * c.growth);  // the IFO and its backup each grew
  }
}

// One disc patched with each setting in turn: every patch starts again from
// VIDEO_TS.IFO as read, so the last brings the disc's own First Play back.
TEST(VmgPatch, OptionsReplaceFirstPlayAndMarkTheMenus) {
  const struct {
    int noMenu, random;
    const char* firstPlay;  // nullptr: the disc's own stays
  } cases[] = {{1, 1, "30 06 00 03 00 C0 00 00"}, {0, 0, nullptr}};
  BuiltDisc b = Prepare(2, 2, [](DiscSpec& d) {  // the dispatcher is chain 3
    d.vmg.firstPlay = Pgc{{C("30 02 00 00 00 02 00 00")}};
    d.vmg.menus[0].existence = 0xC0;
    d.vmg.menus[0].pgcs[0].category = 0x82;
  });
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "no menu " << c.noMenu << ", random " << c.random);
    Disc.NoMenu = c.noMenu;
    Disc.RandomPlay = c.random;
    ASSERT_TRUE(PatchVideoManager());
    Bytes area = At(b.vmg.bytes.data() + 0x400, 0x400);
    if (c.firstPlay) {
      area.assign(0x400, 0);
      WriteBe32(&area[8], 0x01FFFFEF);  // every user operation prohibited but "go up"
      WriteBe16(&area[0xE4], 0xEC);
      WriteBe16(&area[0xEC], 1);
      WriteBe16(&area[0xF2], 0x0F);
      std::memcpy(&area[0xF4], C(c.firstPlay).data(), 8);
    }
    EXPECT_EQ(At(Disc.VmgImage + 0x400, 0x400), area);
    EXPECT_EQ(Field(kVmgMatEnd), c.firstPlay ? 0x4FB : ReadBe32(b.vmg.bytes.data() + kVmgMatEnd));
    std::size_t table = std::size_t(Field(kVmgMenuPgciUtSector)) * kSectorSize;
    std::size_t unit = table + ReadBe32(Disc.VmgImage + table + 12);
    Bytes categories = {Disc.VmgImage[unit + 8], Disc.VmgImage[unit + 16], Disc.VmgImage[unit + 24]};
    EXPECT_EQ(Disc.VmgImage[table + 11], c.noMenu ? 0x80 : 0xC0);
    EXPECT_EQ(categories, c.noMenu ? Bytes({0, 0, 0x82}) : Bytes({0x82, 0, 0}));
  }
}

// A damaged video manager is an error; an image grown past its buffer only
// a warning. Neither changes anything.
TEST(VmgPatch, RefusesWithoutChangingAnything) {
  const struct {
    std::function<void()> damage;
    int style;
    bool sizeKnown;
  } cases[] = {
      {[] { WriteBe32(Disc.MenuTableImage + 4, kMenuTableCapacity - 100); }, 48, true},
      {[] { WriteBe32(Disc.IfoStore + kVmgFollowingTables[1], 1); }, 16, false},  // before the menu table
      {[] {  // a dispatcher with fewer pre-commands than 2 x titles
         ImageRef table{Disc.MenuTableImage, kMenuTableCapacity};
         WriteBe16(Disc.MenuTableImage + PgcOffset(table, ReadBe32(Disc.MenuTableImage + 12), 2) + 0xEC, 5);
       },
       16, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.style);
    MessageRecorder messages;
    Prepare(3, 1);
    c.damage();
    Bytes before = At(Disc.VmgImage, kVmgImageCapacity);
    int size = Disc.VmgSize;
    EXPECT_EQ(PatchedVmgSize() > kVmgImageCapacity, c.style == 48);
    EXPECT_EQ(PatchedVmgSize() >= 0, c.sizeKnown);
    EXPECT_FALSE(PatchVideoManager());
    EXPECT_EQ(Disc.VmgSize, size);
    EXPECT_TRUE(At(Disc.VmgImage, kVmgImageCapacity) == before);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].style, c.style);
  }
}

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
