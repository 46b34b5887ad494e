// The prepared video manager menu table: a dispatcher under one number in
// every language unit, recognised again on a disc patched before.
#include "disc/menu_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"

namespace {

using namespace testdisc;
using Bytes = std::vector<uint8_t>;

const Cmd kExit = C("30 01 00 00 00 00 00 00");

// A command-only program chain as the format lays it out: no programs or
// cells, frame-rate bits 0xC0, the command table right behind the header.
Bytes CommandOnlyPgc(const std::vector<Cmd>& pre) {
  Bytes b(0xF4 + 8 * pre.size(), 0);
  b[7] = 0xC0;
  WriteBe16(&b[0xE4], 0xEC);
  WriteBe16(&b[0xEC], int(pre.size()));
  WriteBe16(&b[0xF2], int(8 * pre.size() + 7));
  for (std::size_t i = 0; i < pre.size(); ++i) std::memcpy(&b[0xF4 + 8 * i], pre[i].data(), 8);
  return b;
}
Bytes EmptyDispatcher(int titles) { return CommandOnlyPgc(std::vector<Cmd>(2 * titles, Cmd{})); }
Bytes Filler() { return CommandOnlyPgc({kExit}); }

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

// A menu chain told apart from the others by the chain it links to.
Pgc MenuChain(int mark, uint8_t category = 0) {
  Pgc p;
  p.pre = {C("20 04 00 00 00 00 00 00")};
  p.pre[0][7] = uint8_t(mark);
  p.category = category;
  return p;
}
LanguageUnit UnitWithChains(const char* lang, int chains) {
  LanguageUnit lu;
  lu.lang = lang;
  for (int k = 1; k <= chains; ++k) lu.pgcs.push_back(MenuChain(k, k == 1 ? 0x82 : 0));
  return lu;
}

// The commands an execute leaves in a dispatcher for titles 1..n going to
// `to` (1-based title numbers), registers r and r + 1.
std::vector<Cmd> DispatcherCommands(int r, const std::vector<int>& to) {
  uint8_t q = uint8_t((r + 1) % 16);
  std::vector<Cmd> c = {C("61 00 00 00 00 84 00 00")};
  c[0][3] = uint8_t(r);
  for (std::size_t j = 0; j + 1 < to.size(); ++j) {
    c.push_back({0x71, 0, 0, q, 0, uint8_t(j + 1), 0, 0});
    c.push_back({0x30, 0x22, 0, 0, 0, uint8_t(to[j]), uint8_t(r), q});
  }
  c.push_back({0x30, 0x02, 0, 0, 0, uint8_t(to.back()), 0, 0});
  return c;
}
Pgc DispatcherChain(const std::vector<Cmd>& commands) {
  Pgc p;
  p.pre = commands;
  return p;
}

// `titles` titles in one title set, each ending with `post`.
DiscSpec Titles(int titles, Cmd post = C("30 02 00 00 00 01 00 00")) { return SimpleDisc(1, titles, post); }

class MenuTableTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

TEST_F(MenuTableTest, DiscWithoutMenusGetsATableHoldingOnlyTheDispatcher) {
  struct Case {
    int titles;
    std::vector<Cmd> commands;
    std::vector<int> targets;
  };
  const Case cases[] = {
      {0, {}, {}},
      {1, {C("61 00 00 00 00 84 00 00"), C("30 02 00 00 00 01 00 00")}, {0}},
      {3,
       {C("61 00 00 00 00 84 00 00"), C("71 00 00 01 00 01 00 00"), C("30 22 00 00 00 02 00 01"),
        C("71 00 00 01 00 02 00 00"), C("30 22 00 00 00 03 00 01"), C("30 02 00 00 00 01 00 00")},
       {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.titles);
    std::memset(&Disc, 0, sizeof Disc);
    for (int& t : Disc.ActionTarget) t = 77;
    LoadDisc(Titles(c.titles));
    PrepareMenuTable();

    int size = 276 + 16 * c.titles;
    Bytes expected = {0, 1, 0, 0, 0, 0, 0, 0, 'j',  'a', 0, 0x80, 0, 0, 0, 16,
                      0, 1, 0, 0, 0, 0, 0, 0, 0x82, 0,   0, 0,    0, 0, 0, 16};
    WriteBe32(&expected[4], size - 1);
    WriteBe32(&expected[20], size - 17);
    Bytes dispatcher = CommandOnlyPgc(c.commands);
    expected.insert(expected.end(), dispatcher.begin(), dispatcher.end());
    expected.resize(size + 2048, 0);
    EXPECT_EQ(At(Table(), expected.size()), expected);
    EXPECT_EQ(DispatcherPgcSize(), 244 + 16 * c.titles);
    EXPECT_EQ(Disc.MenuPgcNumber, 1);
    EXPECT_EQ(Targets(), c.targets);
    EXPECT_EQ(Disc.ActionTarget[c.titles], 77);
    EXPECT_EQ(Disc.VmgSize, Disc.IfoSize[0]);
    EXPECT_EQ(0, std::memcmp(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.VmgSize)));
  }
}

TEST_F(MenuTableTest, RegisterPairIsOneTheDiscDoesNotUse) {
  struct Case {
    const char* name;
    bool menus;
    std::vector<int> used;
    int before;
    int expected;
  };
  const Case cases[] = {
      {"g0 and g2 taken, no menus", false, {0, 2}, 9, 3},
      {"g0 and g2 taken, own menus", true, {0, 2}, 9, 3},
      {"nothing taken", true, {}, 9, 0},
      {"all taken, no menus: kept", false, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 9, 9},
      {"all taken, own menus", true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 9, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec d = Titles(2);
    d.vmg.firstPlay = Pgc{};
    for (int r : c.used) d.vmg.firstPlay->pre.push_back({0x71, 0, 0, uint8_t(r), 0, 1, 0, 0});
    if (c.menus) d.vmg.menus = {UnitWithChains("en", 2)};
    LoadDisc(d);
    Disc.MenuRegister = c.before;
    PrepareMenuTable();
    EXPECT_EQ(Disc.MenuRegister, c.expected);
    if (!c.menus && c.expected == 3) {
      // A new table's dispatcher is built with the chosen pair.
      EXPECT_EQ(At(Chain(Unit(0), 1), 276),
                CommandOnlyPgc({C("61 00 00 03 00 84 00 00"), C("71 00 00 04 00 01 00 00"),
                                C("30 22 00 00 00 02 03 04"), C("30 02 00 00 00 01 00 00")}));
    }
  }
}

TEST_F(MenuTableTest, UnitGainsTheDispatcherBehindItsOwnChains) {
  DiscSpec d = Titles(3);
  d.vmg.menus = {UnitWithChains("en", 4)};
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  PrepareMenuTable();

  const uint8_t* source = b.vmg.Ptr("lu 1");
  int oldSize = ReadBe32(source + 4) + 1;
  int d3 = 244 + 16 * 3;
  const uint8_t* unit = Unit(0);
  EXPECT_EQ(Count(unit), 5);
  EXPECT_EQ(UnitEnd(unit), oldSize + 8 + d3 - 1);
  EXPECT_EQ(TableEnd(), ReadBe32(b.vmg.Ptr("VMGM_PGCI_UT", 4)) + 8 + d3);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(ReadBe32(unit + 12 + 8 * (k - 1)), ReadBe32(source + 12 + 8 * (k - 1)) + 8);
    EXPECT_EQ(Category(unit, k), k == 1 ? 0x82 : 0);
    EXPECT_EQ(At(Chain(unit, k), 0xFC), At(b.vmg.Ptr("lu 1 pgc " + std::to_string(k)), 0xFC));
  }
  EXPECT_EQ(ReadBe32(unit + 12 + 8 * 4), oldSize + 8);
  EXPECT_EQ(Category(unit, 5), 0);
  EXPECT_EQ(At(Chain(unit, 5), d3), EmptyDispatcher(3));
  EXPECT_EQ(Disc.MenuPgcNumber, 5);
  EXPECT_EQ(Targets(), (std::vector<int>{0, 1, 0}));
}

TEST_F(MenuTableTest, EveryUnitHoldsTheDispatcherUnderOneNumber) {
  const std::vector<std::vector<int>> cases = {{3, 3}, {2, 4}, {4, 2}, {1, 3, 2}};
  for (const auto& counts : cases) {
    SCOPED_TRACE(::testing::PrintToString(counts));
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec d = Titles(2);
    int longest = 0;
    for (std::size_t u = 0; u < counts.size(); ++u) {
      d.vmg.menus.push_back(UnitWithChains(u % 2 ? "ja" : "en", counts[u]));
      longest = std::max(longest, counts[u]);
    }
    BuiltDisc b = BuildDisc(d);
    LoadDisc(b);
    PrepareMenuTable();

    int number = longest + 1;
    EXPECT_EQ(Disc.MenuPgcNumber, number);
    EXPECT_EQ(ReadBe16(Table()), int(counts.size()));
    int expectedAt = 8 + 8 * int(counts.size());
    for (std::size_t u = 0; u < counts.size(); ++u) {
      SCOPED_TRACE(u + 1);
      const uint8_t* unit = Unit(int(u));
      std::string lu = "lu " + std::to_string(u + 1);
      ASSERT_EQ(unit - Table(), expectedAt);
      ASSERT_EQ(Count(unit), number);
      for (int k = 1; k <= counts[u]; ++k)
        EXPECT_EQ(At(Chain(unit, k), 0xFC), At(b.vmg.Ptr(lu + " pgc " + std::to_string(k)), 0xFC));
      for (int k = counts[u] + 1; k < number; ++k) {
        EXPECT_EQ(Category(unit, k), 0);
        EXPECT_EQ(At(Chain(unit, k), 0xFC), Filler());
      }
      // Chains follow one another; the dispatcher is the last, and the unit
      // ends with it.
      for (int k = 1; k < number; ++k) EXPECT_EQ(Chain(unit, k) + 0xFC, Chain(unit, k + 1));
      EXPECT_EQ(At(Chain(unit, number), 276), EmptyDispatcher(2));
      EXPECT_EQ(unit + UnitEnd(unit) + 1, Chain(unit, number) + 276);
      expectedAt += UnitEnd(unit) + 1;
    }
    EXPECT_EQ(TableEnd(), expectedAt - 1);
    if (counts == std::vector<int>{3, 3}) {
      EXPECT_EQ(ReadBe32(Table() + 20), ReadBe32(b.vmg.Ptr("VMGM_PGCI_UT", 20)) + 8 + 276);
    }
  }
}

TEST_F(MenuTableTest, DispatcherLeftByAnEarlierRunGivesBackRegisterAndDestinations) {
  struct Case {
    const char* name;
    std::vector<Cmd> commands;  // for three titles
    bool recognised;
    int reg;
    std::vector<int> targets;
  };
  std::vector<Cmd> plain = DispatcherCommands(5, {3, 1, 2});
  std::vector<Cmd> notAJump = plain;
  notAJump[2][1] = 0x02;
  std::vector<Cmd> toNoTitle = DispatcherCommands(5, {3, 1, 0});
  std::vector<Cmd> random = plain;
  random[0] = C("78 00 00 05 00 03 00 00");
  std::vector<Cmd> wraps = DispatcherCommands(15, {2, 3, 1});
  std::vector<Cmd> wrongPartner = plain;
  wrongPartner[1][3] = 7;
  const Case cases[] = {
      {"as execute writes it", plain, true, 5, {2, 0, 1}},
      {"pair without a conditional jump", notAJump, true, 5, {0, 0, 1}},
      {"last jump to title 0", toNoTitle, true, 5, {2, 0, 0}},
      {"random play", random, true, 5, {2, 0, 1}},
      {"register 15 pairs with 0", wraps, true, 15, {1, 2, 0}},
      {"second register not the partner", wrongPartner, false, 0, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec d = Titles(3, C("30 08 00 03 01 C0 00 00"));
    d.vmg.menus = {UnitWithChains("en", 2)};
    d.vmg.menus[0].pgcs.push_back(DispatcherChain(c.commands));
    LoadDisc(d);
    PrepareMenuTable();

    int number = c.recognised ? 3 : 4;
    EXPECT_EQ(Disc.MenuPgcNumber, number);
    EXPECT_EQ(Count(Unit(0)), number);
    EXPECT_EQ(Disc.MenuRegister, c.recognised ? c.reg : 0);
    EXPECT_EQ(Targets(), c.targets);
    EXPECT_EQ(At(Chain(Unit(0), number), 292), EmptyDispatcher(3));
    EXPECT_EQ(Disc.ActionKind[0], c.recognised ? JumpTitle : MenuPgc);
  }
}

TEST_F(MenuTableTest, EarlierDispatcherIsResizedForTheTitleCount) {
  // Written for three titles; the disc now has two.
  DiscSpec d = Titles(2);
  d.vmg.menus = {UnitWithChains("en", 2)};
  d.vmg.menus[0].pgcs.push_back(DispatcherChain(DispatcherCommands(4, {3, 2, 1})));
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  PrepareMenuTable();

  const uint8_t* unit = Unit(0);
  int dispatcherAt = ReadBe32(b.vmg.Ptr("lu 1", 12 + 16));
  EXPECT_EQ(Count(unit), 3);
  EXPECT_EQ(Disc.MenuPgcNumber, 3);
  EXPECT_EQ(Disc.MenuRegister, 4);
  EXPECT_EQ(Targets(), (std::vector<int>{2, 1}));
  EXPECT_EQ(ReadBe32(unit + 12 + 16), dispatcherAt);
  EXPECT_EQ(At(unit + dispatcherAt, 276), EmptyDispatcher(2));
  EXPECT_EQ(UnitEnd(unit), dispatcherAt + 276 - 1);
  EXPECT_EQ(TableEnd(), int(unit - Table()) + dispatcherAt + 276 - 1);
}

TEST_F(MenuTableTest, DiscPatchedWithUnequalUnitsIsMended) {
  // An older run put the dispatcher behind each unit's own chains, so it
  // had number 3 in one unit and 5 in the other; the titles call 3.
  DiscSpec d = Titles(3, C("30 08 00 03 01 C0 00 00"));
  d.vmg.menus = {UnitWithChains("en", 2), UnitWithChains("ja", 4)};
  d.vmg.menus[0].pgcs.push_back(DispatcherChain(DispatcherCommands(5, {2, 3, 1})));
  d.vmg.menus[1].pgcs.push_back(DispatcherChain(DispatcherCommands(7, {2, 3, 1})));
  LoadDisc(d);
  PrepareMenuTable();

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

TEST_F(MenuTableTest, ExecutedDiscReadsBackTheSame) {
  MessageRecorder messages;
  DiscSpec d = Titles(3);
  d.vmg.menus = {UnitWithChains("en", 2), UnitWithChains("ja", 4)};
  BuiltDisc b = BuildDisc(d);
  LoadDisc(b);
  PrepareMenuTable();
  Bytes prepared = At(Table(), std::size_t(TableEnd()) + 1 + 2048);
  Disc.MenuRegister = 6;  // the user's choice in the register box
  const int to[3] = {2, 0, 1};
  for (int j = 0; j < 3; ++j) {
    Disc.ActionKind[j] = JumpTitle;
    Disc.ActionTarget[j] = to[j];
  }
  ASSERT_TRUE(PatchVideoManager());
  PatchTitleSets();
  ASSERT_TRUE(messages.messages().empty());

  b.vmg.bytes.assign(Disc.VmgImage, Disc.VmgImage + Disc.VmgSize);
  ImageRef vts = VtsImageRef(1);
  b.vts[0].bytes.assign(vts.data, vts.data + vts.size);
  std::memset(&Disc, 0, sizeof Disc);
  LoadDisc(b);
  PrepareMenuTable();

  EXPECT_EQ(Disc.MenuPgcNumber, 5);
  EXPECT_EQ(Disc.MenuRegister, 6);
  EXPECT_EQ(Targets(), (std::vector<int>{2, 0, 1}));
  for (int j = 0; j < 3; ++j) EXPECT_EQ(Disc.ActionKind[j], JumpTitle);
  EXPECT_EQ(At(Table(), prepared.size()), prepared);
}

TEST_F(MenuTableTest, TableWithoutLanguageUnitsStillDerivesTheActions) {
  DiscSpec d = Titles(3, kExit);
  d.vmg.menuTable = true;
  LoadDisc(d);
  Disc.MenuPgcNumber = 9;
  for (int& t : Disc.ActionTarget) t = 77;
  PrepareMenuTable();

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
  PrepareMenuTable();

  EXPECT_EQ(At(Disc.IfoStore, store.size()), store);
  EXPECT_LT(TableEnd(), kMenuTableCapacity);
  EXPECT_EQ(Count(Unit(0)), 101);
  EXPECT_EQ(ReadBe32(Table() + 28), ReadBe32(b.vmg.Ptr("VMGM_PGCI_UT", 28)));  // the third unit: not copied
  EXPECT_EQ(Table() + TableEnd() + 1, Unit(1) + UnitEnd(Unit(1)) + 1);
}

}  // namespace
