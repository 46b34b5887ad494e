// The prepared video manager menu table: a dispatcher under one number in
// every language unit, recognised again on a disc patched before.
#include "disc/menu_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "actions/title_action.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

namespace {

using namespace testdisc;
using Bytes = std::vector<uint8_t>;

// A command-only program chain as the format lays it out: no programs or
// cells, frame-rate bits 0xC0, the command table right behind the header.
Bytes CommandOnlyPgc(const Bytes& pre) {
  Bytes b(0xF4, 0);
  b[7] = 0xC0;
  WriteBe16(&b[0xE4], 0xEC);
  WriteBe16(&b[0xEC], int(pre.size() / 8));
  WriteBe16(&b[0xF2], int(pre.size() + 7));
  b.insert(b.end(), pre.begin(), pre.end());
  return b;
}
Bytes EmptyDispatcher(int titles) { return CommandOnlyPgc(Bytes(16 * std::size_t(titles), 0)); }
const Cmd kExit = C("30 01 00 00 00 00 00 00");
Bytes Filler() { return CommandOnlyPgc(Bytes(kExit.begin(), kExit.end())); }

Bytes At(const uint8_t* p, std::size_t n) { return Bytes(p, p + n); }

const uint8_t* Table() { return Disc.MenuTableImage; }
int TableEnd() { return ReadBe32(Table() + 4); }
const uint8_t* Unit(int u) { return Table() + ReadBe32(Table() + 12 + 8 * u); }
int Count(const uint8_t* unit) { return ReadBe16(unit); }
int UnitEnd(const uint8_t* unit) { return ReadBe32(unit + 4); }
uint8_t Category(const uint8_t* unit, int k) { return unit[8 + 8 * (k - 1)]; }
const uint8_t* Chain(const uint8_t* unit, int k) { return unit + ReadBe32(unit + 12 + 8 * (k - 1)); }
std::vector<int> Targets() {
  return std::vector<int>(Disc.ActionTarget, Disc.ActionTarget + Disc.TitleCount);
}

// Menu chains told apart by the chain each links to; the first is the
// unit's entry chain.
LanguageUnit UnitWithChains(const char* lang, int chains) {
  LanguageUnit lu{lang};
  for (int k = 1; k <= chains; ++k) {
    lu.pgcs.push_back(Pgc{{C("20 04 00 00 00 00 00 00")}});
    lu.pgcs.back().pre[0][7] = uint8_t(k);
    lu.pgcs.back().category = k == 1 ? 0x82 : 0;
  }
  return lu;
}

// The dispatcher chain an execute leaves for titles 1..n going to `to`
// (1-based title numbers), registers r and r + 1.
Pgc DispatcherChain(int r, const std::vector<int>& to) {
  uint8_t q = uint8_t((r + 1) % 16);
  Pgc p{{{0x61, 0, 0, uint8_t(r), 0, 0x84, 0, 0}}};
  for (std::size_t j = 0; j + 1 < to.size(); ++j) {
    p.pre.push_back({0x71, 0, 0, q, 0, uint8_t(j + 1), 0, 0});
    p.pre.push_back({0x30, 0x22, 0, 0, 0, uint8_t(to[j]), uint8_t(r), q});
  }
  p.pre.push_back({0x30, 0x02, 0, 0, 0, uint8_t(to.back()), 0, 0});
  return p;
}

// `titles` titles in one title set, each ending with `post`.
DiscSpec Titles(int titles, Cmd post = C("30 02 00 00 00 01 00 00")) { return SimpleDisc(1, titles, post); }
const Cmd kCallsThree = C("30 08 00 03 01 C0 00 00");  // CallSS VMGM PGC 3

class MenuTableTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

// The dispatcher keeps its state in the first register pair none of the
// disc's commands touches; with none free, the pair it had stays.
TEST_F(MenuTableTest, DiscWithoutMenusGetsATableHoldingOnlyTheDispatcherOnAFreePair) {
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  const struct {
    int titles;
    std::vector<int> used;
    int reg;  // 9 before
  } cases[] = {{0, {}, 0}, {3, {0, 2}, 3}, {3, all, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reg);
    std::memset(&Disc, 0, sizeof Disc);
    for (int& t : Disc.ActionTarget) t = 77;
    DiscSpec d = Titles(c.titles);
    d.vmg.firstPlay = Pgc{};
    for (int r : c.used) d.vmg.firstPlay->pre.push_back({0x71, 0, 0, uint8_t(r), 0, 1, 0, 0});
    LoadDisc(d);
    Disc.MenuRegister = 9;
    DeriveActionsFromDisc(PrepareMenuTable());

    int size = 276 + 16 * c.titles;
    Bytes expected = Hex(
        "00 01 00 00 00 00 00 00  6A 61 00 80 00 00 00 10  00 01 00 00 00 00 00 00  82 00 00 00 00 00 00 10");
    WriteBe32(&expected[4], size - 1);
    WriteBe32(&expected[20], size - 17);
    Bytes commands;
    if (c.titles) {
      for (const Cmd& command : DispatcherChain(c.reg, {2, 3, 1}).pre)
        commands.insert(commands.end(), command.begin(), command.end());
    }
    Bytes dispatcher = CommandOnlyPgc(commands);
    expected.insert(expected.end(), dispatcher.begin(), dispatcher.end());
    expected.resize(size + 2048, 0);
    EXPECT_EQ(At(Table(), expected.size()), expected);
    EXPECT_EQ(Disc.MenuRegister, c.reg);
    EXPECT_EQ(Disc.MenuPgcNumber, 1);
    EXPECT_EQ(Targets(), c.titles ? std::vector<int>({0, 1, 0}) : std::vector<int>());
    EXPECT_EQ(Disc.ActionTarget[c.titles], 77);
    EXPECT_EQ(Disc.VmgSize, Disc.IfoSize[0]);
    EXPECT_EQ(0, std::memcmp(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.VmgSize)));
  }
}

// Units of 1, 3 and 2 chains: the longest is neither the first nor the last.
TEST_F(MenuTableTest, EveryUnitHoldsTheDispatcherUnderOneNumber) {
  const int counts[] = {1, 3, 2};
  DiscSpec d = Titles(3);
  d.vmg.menus = {UnitWithChains("en", 1), UnitWithChains("ja", 3), UnitWithChains("en", 2)};
  d.vmg.firstPlay = Pgc{{C("71 00 00 00 00 01 00 00")}};  // g0
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  DeriveActionsFromDisc(PrepareMenuTable());

  const int number = 4;
  EXPECT_EQ(Disc.MenuPgcNumber, number);
  EXPECT_EQ(Disc.MenuRegister, 1);
  EXPECT_EQ(Targets(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(ReadBe16(Table()), 3);
  int expectedAt = 8 + 8 * 3;
  for (int u = 0; u < 3; ++u) {
    SCOPED_TRACE(u + 1);
    const uint8_t* unit = Unit(u);
    ASSERT_EQ(unit - Table(), expectedAt);
    ASSERT_EQ(Count(unit), number);
    for (int k = 1; k <= counts[u]; ++k) {
      EXPECT_EQ(Category(unit, k), k == 1 ? 0x82 : 0);
      EXPECT_EQ(At(Chain(unit, k), 0xFC),
                At(b.vmg.Ptr("lu " + std::to_string(u + 1) + " pgc " + std::to_string(k)), 0xFC));
    }
    for (int k = counts[u] + 1; k < number; ++k) {
      EXPECT_EQ(Category(unit, k), 0);
      EXPECT_EQ(At(Chain(unit, k), 0xFC), Filler());
    }
    // Chains follow one another; the dispatcher is the last, and the unit
    // ends with it.
    for (int k = 1; k < number; ++k) EXPECT_EQ(Chain(unit, k) + 0xFC, Chain(unit, k + 1));
    EXPECT_EQ(Category(unit, number), 0);
    EXPECT_EQ(At(Chain(unit, number), 292), EmptyDispatcher(3));
    EXPECT_EQ(unit + UnitEnd(unit) + 1, Chain(unit, number) + 292);
    expectedAt += UnitEnd(unit) + 1;
  }
  EXPECT_EQ(TableEnd(), expectedAt - 1);
}

// Languages may list their units in another order than they are stored, and
// share one: each stored unit is written once, with one dispatcher, and every
// language finds its own unit in the copy.
TEST_F(MenuTableTest, SharedAndReorderedUnitsAreWrittenOnceEach) {
  DiscSpec d = Titles(2);
  d.vmg.menus = {UnitWithChains("en", 1), UnitWithChains("ja", 2), UnitWithChains("de", 1)};
  BuiltDisc b = BuildDisc(d);
  uint8_t* offsets = b.vmg.Ptr("VMGM_PGCI_UT", 12);
  const uint32_t first = uint32_t(ReadBe32(offsets)), second = uint32_t(ReadBe32(offsets + 8));
  WriteBe32(offsets, int32_t(second));       // en: the unit stored second
  WriteBe32(offsets + 8, int32_t(first));    // ja: the unit stored first
  WriteBe32(offsets + 16, int32_t(second));  // de: shares en's
  LoadDisc(b);
  PrepareMenuTable();
  EXPECT_EQ(Unit(0), Unit(2));
  EXPECT_EQ(At(Chain(Unit(0), 2), 0xFC), At(b.vmg.Ptr("lu 2 pgc 2"), 0xFC));
  EXPECT_EQ(At(Chain(Unit(1), 1), 0xFC), At(b.vmg.Ptr("lu 1 pgc 1"), 0xFC));
  EXPECT_EQ(At(Chain(Unit(1), 3), 276), EmptyDispatcher(2));
  EXPECT_EQ(Unit(1) + UnitEnd(Unit(1)) + 1, Table() + TableEnd() + 1);  // written in language order
}

// Ours only by every byte we write and where we put it; a chain of the disc's
// own that merely begins like one keeps its place and bytes, and the disc
// gets a dispatcher as one never patched does.
TEST_F(MenuTableTest, DispatcherLeftByAnEarlierRunGivesBackRegisterAndDestinations) {
  Pgc plain = DispatcherChain(5, {3, 1, 2});
  Pgc notAJump = plain, random = plain, wrongPartner = plain, withPost = plain;
  notAJump.pre[2][1] = 0x02;
  random.pre[0] = C("78 00 00 05 00 03 00 00");
  wrongPartner.pre[1][3] = 7;
  withPost.post = {kExit};
  struct Case {
    const char* name;
    Pgc dispatcher;  // for three titles
    int reg;         // 0: not recognised
    std::vector<int> targets;
    bool storedFirst = false;  // the last chain by number lies before the others
  } cases[] = {
      {"as execute writes it", plain, 5, {2, 0, 1}},
      {"last jump to title 0", DispatcherChain(5, {3, 1, 0}), 5, {2, 0, 0}},
      {"random play", random, 5, {2, 0, 1}},
      {"register 15 pairs with 0", DispatcherChain(15, {2, 3, 1}), 15, {1, 2, 0}},
      {"pair without a conditional jump", notAJump, 0, {0, 1, 0}},
      {"second register not the partner", wrongPartner, 0, {0, 1, 0}},
      {"a post command", withPost, 0, {0, 1, 0}},
      {"written for four titles", DispatcherChain(5, {3, 1, 2, 1}), 0, {0, 1, 0}},
      {"stored before the unit's other chains", plain, 0, {0, 1, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec d = Titles(3, kCallsThree);
    d.vmg.menus = {UnitWithChains("en", 2)};
    d.vmg.menus[0].pgcs.insert(c.storedFirst ? d.vmg.menus[0].pgcs.begin() + 1 : d.vmg.menus[0].pgcs.end(),
                               c.dispatcher);
    BuiltDisc b = BuildDisc(d);
    if (c.storedFirst) {  // chain 2 by number is stored last
      uint8_t* pointers = b.vmg.Ptr("lu 1") + 8;
      std::swap_ranges(pointers + 8, pointers + 16, pointers + 16);
    }
    LoadDisc(b);
    DeriveActionsFromDisc(PrepareMenuTable());

    int number = c.reg ? 3 : 4;
    EXPECT_EQ(Disc.MenuPgcNumber, number);
    EXPECT_EQ(Count(Unit(0)), number);
    EXPECT_EQ(Disc.MenuRegister, c.reg);
    EXPECT_EQ(Targets(), c.targets);
    EXPECT_EQ(At(Chain(Unit(0), number), 292), EmptyDispatcher(3));
    if (!c.storedFirst) {
      EXPECT_EQ(Chain(Unit(0), 3), Chain(Unit(0), 2) + 0xFC);  // in the old one's place
    }
    if (!c.reg) {
      const Cmd first = c.dispatcher.pre[0];
      EXPECT_EQ(At(Chain(Unit(0), 3) + 0xF4, 8), Bytes(first.begin(), first.end()));
    }
    EXPECT_EQ(Unit(0) + UnitEnd(Unit(0)) + 1, Chain(Unit(0), number) + 292);
    EXPECT_EQ(Table() + TableEnd(), Unit(0) + UnitEnd(Unit(0)));
    EXPECT_EQ(Disc.ActionKind[0], c.reg ? JumpTitle : MenuPgc);
  }
}

TEST_F(MenuTableTest, DiscPatchedWithUnequalUnitsIsMended) {
  // An older run put the dispatcher behind each unit's own chains, so it
  // had number 3 in one unit and 5 in the other; the titles call 3.
  DiscSpec d = Titles(3, kCallsThree);
  d.vmg.menus = {UnitWithChains("en", 2), UnitWithChains("ja", 4)};
  d.vmg.menus[0].pgcs.push_back(DispatcherChain(5, {2, 3, 1}));
  d.vmg.menus[1].pgcs.push_back(DispatcherChain(7, {2, 3, 1}));
  LoadDisc(d);
  DeriveActionsFromDisc(PrepareMenuTable());

  EXPECT_EQ(Disc.MenuPgcNumber, 5);
  for (int u = 0; u < 2; ++u) {
    ASSERT_EQ(Count(Unit(u)), 5);
    EXPECT_EQ(At(Chain(Unit(u), 5), 292), EmptyDispatcher(3));
  }
  EXPECT_EQ(At(Chain(Unit(0), 3), 0xFC), Filler());
  EXPECT_EQ(At(Chain(Unit(0), 4), 0xFC), Filler());
  EXPECT_EQ(Targets(), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(Disc.MenuRegister, 7);  // the last unit's, as always
  for (int j = 0; j < 3; ++j) EXPECT_EQ(Disc.ActionKind[j], JumpTitle);
}

TEST_F(MenuTableTest, TableWithoutLanguageUnitsStillDerivesTheActions) {
  DiscSpec d = Titles(3, kExit);
  d.vmg.menuTable = true;
  LoadDisc(d);
  Disc.MenuPgcNumber = 9;
  for (int& t : Disc.ActionTarget) t = 77;
  DeriveActionsFromDisc(PrepareMenuTable());

  EXPECT_EQ(At(Table(), 16), (Bytes{0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Disc.MenuPgcNumber, 1);
  EXPECT_EQ(Targets(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(Disc.ActionKind[0], Stop);
}

TEST_F(MenuTableTest, TableThatWouldOutgrowItsBufferStopsShort) {
  // Near 2 MiB of menu chains whose units, once every one carries fillers
  // and a dispatcher, no longer fit the prepared table's buffer.
  DiscSpec d = Titles(3);
  d.vmg.following = {0, 0, 0, 0, 0};
  Pgc big;
  big.pre.assign(65000, kExit);
  d.vmg.menus = {UnitWithChains("en", 0), UnitWithChains("ja", 0), UnitWithChains("de", 100)};
  d.vmg.menus[0].pgcs = {big, big};
  d.vmg.menus[1].pgcs = {big, big};
  d.vmg.menus[1].pgcs[1].pre.resize(60000);
  BuiltDisc b = BuildDisc(d);
  ASSERT_LE(b.vmg.bytes.size(), std::size_t(kVmgImageCapacity));
  LoadDisc(b);
  Bytes store = At(Disc.IfoStore, b.vmg.bytes.size() + b.vts[0].bytes.size());
  DeriveActionsFromDisc(PrepareMenuTable());

  EXPECT_EQ(At(Disc.IfoStore, store.size()), store);
  EXPECT_LT(TableEnd(), kMenuTableCapacity);
  EXPECT_EQ(Count(Unit(0)), 101);
  EXPECT_EQ(ReadBe32(Table() + 28), ReadBe32(b.vmg.Ptr("VMGM_PGCI_UT", 28)));  // the third unit: not copied
  EXPECT_EQ(Table() + TableEnd() + 1, Unit(1) + UnitEnd(Unit(1)) + 1);
}

}  // namespace
