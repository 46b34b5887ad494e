// What the authored discs cannot show the preview: register arithmetic and
// comparisons at their bounds, every value a draw takes, a JumpSS to a title
// set's menu, and a chain without post commands going on to its next chain.
#include "disc/nav_vm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

std::string Words(const NavNext& n) {
  if (n.kind == NextKind::Title) return "title " + std::to_string(n.title);
  return n.kind == NextKind::Stop ? "stop" : "other";
}

TEST(NavVm, FirstPlayCommandsAndAChainWithoutPostCommands) {
  const struct {
    std::vector<const char*> firstPlay;
    const char* start;
  } cases[] = {
      // g0 = 5; g0 -= 7 (stops at 0); g0 += 3; if (g0 == 3) Goto 6; JumpTT 1; JumpTT 2
      {{"71 00 00 00 00 05 00 00", "74 00 00 00 00 07 00 00", "73 00 00 00 00 03 00 00",
        "00 A1 00 00 00 03 00 06", "30 02 00 00 00 01 00 00", "30 02 00 00 00 02 00 00"},
       "title 2"},
      // g0 = random(2); if (g0 > 2) Goto 4; JumpTT 2; JumpTT 3
      {{"78 00 00 00 00 02 00 00", "00 D1 00 00 00 02 00 04", "30 02 00 00 00 02 00 00",
        "30 02 00 00 00 03 00 00"},
       "title 2"},
      {{"30 06 00 03 01 87 00 00"}, "stop"},  // title set 1's chapter menu (as title 3), which stops
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.firstPlay[0]);
    std::memset(&Disc, 0, sizeof Disc);
    DiscSpec d = SimpleDisc(1, 3);
    d.vmg.firstPlay = Pgc{};
    for (const char* command : c.firstPlay) d.vmg.firstPlay->pre.push_back(C(command));
    d.titleSets[0].menus = {{"en", 0x80, {Pgc{{}, {C("30 01 00 00 00 00 00 00")}, {}, false, 0x87}}}};
    d.titleSets[0].titlePgcs[0].post.clear();
    BuiltDisc b = BuildDisc(d);
    for (int k = 1; k <= 3; ++k) *b.vts[0].Ptr("pgc " + std::to_string(k), 3) = 1;  // one cell each
    WriteBe16(b.vts[0].Ptr("pgc 1", 0x9C), 2);  // next chain, and previous
    WriteBe16(b.vts[0].Ptr("pgc 1", 0x9E), 3);
    LoadDisc(b);
    static NavPreview p;
    PreviewDisc(StoredVmgRef(), 0, &p);
    EXPECT_EQ(Words(p.start), c.start);
    EXPECT_EQ(Words(p.after[0]), "title 2");
  }
}

}  // namespace
