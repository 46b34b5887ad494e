#include "author/vmg_patch.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

LanguageUnit Unit(const char* lang) {
  LanguageUnit unit;
  unit.lang = lang;
  return unit;
}

Bytes At(const uint8_t* p, std::size_t n) { return Bytes(p, p + n); }
Bytes Of(const Cmd& c) { return Bytes(c.begin(), c.end()); }
int32_t Field(int offset) { return ReadBe32(Disc.VmgImage + offset); }

// What get info leaves behind, with the menu table prepared by hand: the
// disc's language units (or one new unit) each ending in an empty dispatcher
// of 2 x N pre-commands, command table at 0xEC.
struct Prepared {
  BuiltDisc disc;
  BuiltImage table;  // names inside it are relative to tableAt
  std::size_t tableAt;
  std::vector<int> pgcCounts;  // per language unit, the dispatcher included
};

Prepared Prepare(const DiscSpec& layout) {
  Prepared p;
  p.disc = BuildDisc(layout);
  LoadDisc(p.disc);
  std::memcpy(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.IfoSize[0]));
  Disc.VmgSize = Disc.IfoSize[0];
  VmgSpec prepared;
  prepared.titles = layout.vmg.titles;
  prepared.menus = layout.vmg.menus.empty() ? std::vector<LanguageUnit>{Unit("ja")} : layout.vmg.menus;
  Pgc dispatcher;
  dispatcher.pre.assign(2 * std::size_t(Disc.TitleCount), Cmd{});
  for (LanguageUnit& unit : prepared.menus) {
    unit.pgcs.push_back(dispatcher);
    p.pgcCounts.push_back(int(unit.pgcs.size()));
  }
  p.table = BuildVmg(prepared);
  p.tableAt = p.table.At("VMGM_PGCI_UT");
  std::memset(Disc.MenuTableImage, 0, kMenuTableCapacity);
  std::memcpy(Disc.MenuTableImage, p.table.Ptr("VMGM_PGCI_UT"),
              ReadBe32(p.table.Ptr("VMGM_PGCI_UT", 4)) + 1u);
  Disc.MenuPgcNumber = p.pgcCounts[0];
  return p;
}

// Byte in VmgImage of the first dispatcher command of language unit u (0-based).
std::size_t DispatcherAt(const Prepared& p, int u) {
  std::string name = "lu " + std::to_string(u + 1) + " pgc " + std::to_string(p.pgcCounts[u]);
  return std::size_t(Field(kVmgMenuPgciUtSector)) * kSectorSize + p.table.At(name) - p.tableAt + 0xF4;
}

// One title set of n titles; a menu table with `pgcs` chains in one unit
// (none: no menu table).
DiscSpec Simple(int n, int pgcs) {
  DiscSpec d = SimpleDisc(1, n);
  if (pgcs > 0) {
    d.vmg.menus = {Unit("en")};
    d.vmg.menus[0].pgcs.resize(std::size_t(pgcs));
  }
  return d;
}

class VmgPatch : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
  MessageRecorder messages_;
};

TEST_F(VmgPatch, TablePlacementMovesWhatFollowsAndRecomputesTheSectorFields) {
  const std::array<int32_t, 5> none = {0, 0, 0, 0, 0};
  struct Case {
    const char* what;
    int menuPgcs;  // 0: the disc has no menu table
    std::array<int32_t, 5> following;
    uint64_t vobBytes;
    int vobSectors;
    int tableSector, growth;
  } cases[] = {
      {"kept size", 1, {kAutoPlaced, kAutoPlaced, 0, 0, 0}, 10 * kSectorSize + 5, 10, 2, 0},
      {"grown", 7, {kAutoPlaced, kAutoPlaced, 0, kAutoPlaced, kAutoPlaced}, 0, 0, 2, 1},
      {"inserted before field 204", 0, {0x20, kAutoPlaced, 0, 0, 0}, 1000, 0, 0x20, 1},
      {"inserted behind TT_SRPT", 0, none, 0, 0, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec layout = Simple(3, c.menuPgcs);
    layout.vmg.following = c.following;
    layout.vmg.menuVobBytes = c.vobBytes;
    Prepared p = Prepare(layout);
    const uint8_t* old = p.disc.vmg.bytes.data();
    // Stale values that only a recomputation puts right.
    for (int field : {kVmgLastSector, kVmgIfoLastSector, kVmgMenuVobsSector})
      WriteBe32(Disc.IfoStore + field, 7);
    WriteBe32(Disc.IfoStore + p.disc.vmg.At("title 3") + 8, 7);
    int oldSize = Disc.VmgSize;
    EXPECT_EQ(PatchedVmgSize(), oldSize + c.growth * kSectorSize);

    ASSERT_TRUE(PatchVideoManager());
    EXPECT_EQ(Disc.VmgSize, oldSize + c.growth * kSectorSize);
    EXPECT_EQ(Field(kVmgMenuPgciUtSector), c.tableSector);
    EXPECT_EQ(At(Disc.VmgImage + c.tableSector * kSectorSize, 16), At(Disc.MenuTableImage, 16));
    const char* names[5] = {"PTL_MAIT", "VTS_ATRT", "TXTDT_MGI", "VMGM_C_ADT", "VMGM_VOBU_ADMAP"};
    for (int i = 0; i < 5; ++i) {
      int32_t before = ReadBe32(old + kVmgFollowingTables[i]);
      EXPECT_EQ(Field(kVmgFollowingTables[i]), before > 0 ? before + c.growth : 0) << names[i];
      if (before > 0) {
        std::size_t at = p.disc.vmg.At(names[i]);
        EXPECT_EQ(At(Disc.VmgImage + at + c.growth * kSectorSize, kSectorSize), At(old + at, kSectorSize))
            << names[i];
      }
    }
    int ifo = Disc.VmgSize / kSectorSize;
    EXPECT_EQ(Field(kVmgLastSector), c.vobSectors + 2 * ifo - 1);
    EXPECT_EQ(Field(kVmgIfoLastSector), ifo - 1);
    EXPECT_EQ(Field(kVmgMenuVobsSector), c.vobSectors > 0 ? ifo : 0);
    // The IFO and its backup each grew.
    std::size_t entry = p.disc.vmg.At("title 3") + 8;
    EXPECT_EQ(Field(int(entry)), ReadBe32(old + entry) + 2 * c.growth);
  }
}

TEST_F(VmgPatch, DispatcherOfEveryLanguageUnitMapsTitlesToTheirDestinations) {
  struct Case {
    int titles, reg, random;
    std::vector<int> targets;
    std::vector<const char*> commands;
  } cases[] = {
      {3,
       0,
       0,
       {1, 2, 0},
       {"61 00 00 00 00 84 00 00", "71 00 00 01 00 01 00 00", "30 22 00 00 00 02 00 01",
        "71 00 00 01 00 02 00 00", "30 22 00 00 00 03 00 01", "30 02 00 00 00 01 00 00"}},
      {3,
       0,
       1,
       {1, 2, 0},
       {"78 00 00 00 00 03 00 00", "71 00 00 01 00 01 00 00", "30 22 00 00 00 02 00 01",
        "71 00 00 01 00 02 00 00", "30 22 00 00 00 03 00 01", "30 02 00 00 00 01 00 00"}},
      {3,
       15,
       0,
       {1, 2, 0},
       {"61 00 00 0F 00 84 00 00", "71 00 00 00 00 01 00 00", "30 22 00 00 00 02 0F 00",
        "71 00 00 00 00 02 00 00", "30 22 00 00 00 03 0F 00", "30 02 00 00 00 01 00 00"}},
      {1, 0, 0, {-1}, {"61 00 00 00 00 84 00 00", "30 02 00 00 00 00 00 00"}},
  };
  for (const Case& c : cases) {
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec layout = Simple(c.titles, 2);
    layout.vmg.menus.push_back(Unit("ja"));
    layout.vmg.menus[1].pgcs.resize(1);
    Prepared p = Prepare(layout);
    Disc.MenuRegister = c.reg;
    Disc.RandomPlay = c.random;
    for (int j = 0; j < c.titles; ++j) Disc.ActionTarget[j] = c.targets[j];
    ASSERT_TRUE(PatchVideoManager());
    Bytes expected;
    for (const char* text : c.commands) {
      Bytes command = Of(C(text));
      expected.insert(expected.end(), command.begin(), command.end());
    }
    for (int u = 0; u < 2; ++u) {
      EXPECT_EQ(At(Disc.VmgImage + DispatcherAt(p, u), expected.size()), expected)
          << c.titles << " titles, register " << c.reg << ", random " << c.random << ", unit " << u;
    }
  }
}

TEST_F(VmgPatch, OptionsReplaceFirstPlayAndMarkTheMenus) {
  struct Case {
    int noMenu, random;
    const char* firstPlay;  // nullptr: the disc's own stays
  } cases[] = {
      {1, 0, "30 02 00 00 00 01 00 00"},
      {0, 1, "30 06 00 03 00 C0 00 00"},
      {1, 1, "30 06 00 03 00 C0 00 00"},
      {0, 0, nullptr},
  };
  for (const Case& c : cases) {
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec layout = Simple(2, 2);
    layout.vmg.firstPlay = Pgc{{C("30 02 00 00 00 02 00 00")}, {}, {}, false, 0};
    layout.vmg.menus[0].existence = 0xC0;
    layout.vmg.menus[0].pgcs[0].category = 0x82;
    Prepared p = Prepare(layout);  // the dispatcher is chain 3
    Disc.NoMenu = c.noMenu;
    Disc.RandomPlay = c.random;
    ASSERT_TRUE(PatchVideoManager());
    SCOPED_TRACE(testing::Message() << "no menu " << c.noMenu << ", random " << c.random);
    if (c.firstPlay) {
      Bytes area(0x400, 0);
      const uint8_t header[] = {0x01, 0xFF, 0xFF, 0xEF};
      std::memcpy(area.data() + 8, header, 4);
      WriteBe16(area.data() + 0xE4, 0xEC);
      WriteBe16(area.data() + 0xEC, 1);
      WriteBe16(area.data() + 0xF2, 0x0F);
      std::memcpy(area.data() + 0xF4, C(c.firstPlay).data(), 8);
      EXPECT_EQ(At(Disc.VmgImage + 0x400, 0x400), area);
      EXPECT_EQ(Field(kVmgMatEnd), 0x4FB);
      EXPECT_EQ(Field(kVmgFirstPlayPgc), 0x400);
    } else {
      for (int field : {kVmgMatEnd, kVmgFirstPlayPgc})
        EXPECT_EQ(Field(field), ReadBe32(p.disc.vmg.bytes.data() + field));
      EXPECT_EQ(At(Disc.VmgImage + 0x400, 0x400), At(p.disc.vmg.bytes.data() + 0x400, 0x400));
    }
    std::size_t table = std::size_t(Field(kVmgMenuPgciUtSector)) * kSectorSize;
    std::size_t unit = table + ReadBe32(Disc.VmgImage + table + 12);
    Bytes categories = {Disc.VmgImage[unit + 8], Disc.VmgImage[unit + 16], Disc.VmgImage[unit + 24]};
    EXPECT_EQ(Disc.VmgImage[table + 11], c.noMenu ? 0x80 : 0xC0);
    EXPECT_EQ(categories, c.noMenu ? Bytes({0, 0, 0x82}) : Bytes({0x82, 0, 0}));
  }
}

TEST_F(VmgPatch, RefusesWithoutChangingAnything) {
  struct Case {
    const char* what;
    std::function<void(Prepared&)> damage;
    int style;
    bool sizeKnown;
  } cases[] = {
      {"grown image over 2 MiB",
       [](Prepared&) { WriteBe32(Disc.MenuTableImage + 4, kMenuTableCapacity - 100); }, 48, true},
      {"following table before the menu table",
       [](Prepared&) {
         WriteBe32(Disc.IfoStore + kVmgFollowingTables[1],
                   ReadBe32(Disc.IfoStore + kVmgMenuPgciUtSector) - 1);
       },
       16, false},
      {"dispatcher with fewer pre-commands than 2 x titles",
       [](Prepared& p) { WriteBe16(Disc.MenuTableImage + p.table.At("lu 1 pgc 2 cmd") - p.tableAt, 5); }, 16,
       true},
  };
  for (const Case& c : cases) {
    std::memset(&Disc, 0, sizeof Disc);
    messages_.Clear();
    Prepared p = Prepare(Simple(3, 1));
    c.damage(p);
    Bytes before = At(Disc.VmgImage, kVmgImageCapacity);
    int size = Disc.VmgSize;
    EXPECT_EQ(PatchedVmgSize() > kVmgImageCapacity, c.style == 48) << c.what;
    EXPECT_EQ(PatchedVmgSize() >= 0, c.sizeKnown) << c.what;
    EXPECT_FALSE(PatchVideoManager()) << c.what;
    EXPECT_EQ(Disc.VmgSize, size) << c.what;
    EXPECT_TRUE(At(Disc.VmgImage, kVmgImageCapacity) == before) << c.what;
    ASSERT_EQ(messages_.messages().size(), 1u) << c.what;
    EXPECT_EQ(messages_.messages()[0].caption, "エラー");
    EXPECT_EQ(messages_.messages()[0].style, c.style) << c.what;
  }
}

TEST_F(VmgPatch, RepeatedPatchStartsAgainFromTheDiscAsRead) {
  DiscSpec layout = Simple(3, 7);
  layout.vmg.firstPlay = Pgc{{C("30 02 00 00 00 02 00 00")}, {}, {}, false, 0};
  Prepare(layout);
  Disc.NoMenu = 1;
  ASSERT_TRUE(PatchVideoManager());
  Bytes first = At(Disc.VmgImage, std::size_t(Disc.VmgSize));
  ASSERT_TRUE(PatchVideoManager());
  EXPECT_EQ(At(Disc.VmgImage, std::size_t(Disc.VmgSize)), first);

  Disc.NoMenu = 0;
  ASSERT_TRUE(PatchVideoManager());
  EXPECT_EQ(Disc.VmgSize, int(first.size()));
  EXPECT_EQ(At(Disc.VmgImage + 0x400, 0x400), At(Disc.IfoStore + 0x400, 0x400));
  EXPECT_EQ(Field(kVmgMatEnd), ReadBe32(Disc.IfoStore + kVmgMatEnd));
}

TEST_F(VmgPatch, WritesTheDispatcherWherePrepareMenuTablePutsIt) {
  DiscSpec layout = Simple(2, 3);
  layout.vmg.menus.push_back(Unit("ja"));
  layout.vmg.menus[1].pgcs.resize(1);
  LoadDisc(layout);
  PrepareMenuTable();
  Disc.ActionTarget[0] = 1;
  Disc.ActionTarget[1] = 0;
  ASSERT_TRUE(PatchVideoManager());
  ImageRef vmg = VmgImageRef();
  int64_t table = TableOffset(vmg, kVmgMenuPgciUtSector);
  ASSERT_GE(table, 0);
  // PrepareMenuTable picks a free register pair.
  int r = Disc.MenuRegister, q = (r + 1) % 16;
  char text[4][24];
  std::snprintf(text[0], 24, "61 00 00 %02X 00 84 00 00", r);
  std::snprintf(text[1], 24, "71 00 00 %02X 00 01 00 00", q);
  std::snprintf(text[2], 24, "30 22 00 00 00 02 %02X %02X", r, q);
  std::snprintf(text[3], 24, "30 02 00 00 00 01 00 00");
  Bytes expected;
  for (const char* command : text) {
    Bytes bytes = Of(C(command));
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  for (int u = 1; u <= 2; ++u) {
    int64_t unit = PgcOffset(vmg, table, u);  // language unit pointers have the chains' shape
    ASSERT_GE(unit, 0);
    EXPECT_EQ(ReadBe16(vmg.data + unit), Disc.MenuPgcNumber) << "unit " << u;
    int64_t commands = PgcOffset(vmg, unit, Disc.MenuPgcNumber) + 0xF4;
    EXPECT_EQ(At(vmg.data + commands, expected.size()), expected) << "unit " << u;
  }
}

}  // namespace
