// A dispatcher an earlier run left is ours only by every byte we write: it
// gives back its register pair and destinations, and anything else is a
// chain of the disc's own (the tables written: the real-disc apply matrix).
#include "disc/menu_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

// The chain an execute leaves for titles 1..n going to `to` (title numbers),
// registers r and r + 1.
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

TEST(MenuTable, AnEarlierDispatcherGivesBackItsRegisterAndDestinations) {
  Pgc plain = DispatcherChain(5, {3, 1, 2}), random = plain, notAJump = plain;
  random.pre[0] = C("78 00 00 05 00 03 00 00");
  notAJump.pre[2][1] = 0x02;
  const struct {
    Pgc dispatcher;
    int reg;  // 0: not ours
    std::vector<int> targets;
  } cases[] = {
      {plain, 5, {2, 0, 1}},
      {random, 5, {2, 0, 1}},
      {DispatcherChain(15, {2, 3, 1}), 15, {1, 2, 0}},
      {DispatcherChain(7, {1}), 7, {0}},
      {notAJump, 0, {0, 1, 0}},
      {DispatcherChain(5, {3, 1, 2, 1}), 0, {0, 1, 0}},  // written for four titles
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reg);
    std::memset(&Disc, 0, sizeof Disc);
    int titles = int(c.targets.size());
    DiscSpec d = SimpleDisc(1, titles, C("30 08 00 02 01 C0 00 00"));  // CallSS VMGM PGC 2
    d.vmg.menus = {{"en", 0x80, {Pgc{{C("20 04 00 00 00 00 00 01")}}, c.dispatcher}}};
    LoadDisc(d);
    DeriveActionsFromDisc(PrepareMenuTable());
    EXPECT_EQ(Disc.MenuRegister, c.reg);
    EXPECT_EQ(Disc.MenuPgcNumber, c.reg ? 2 : 3);
    EXPECT_EQ(std::vector<int>(Disc.ActionTarget, Disc.ActionTarget + titles), c.targets);
    EXPECT_EQ(Disc.ActionKind[0], c.reg ? JumpTitle : MenuPgc);
  }
}

}  // namespace
