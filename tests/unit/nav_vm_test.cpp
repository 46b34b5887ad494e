#include "disc/nav_vm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

std::string Words(const NavNext& n) {
  if (n.kind == NextKind::Fault) return n.reason;
  if (n.kind == NextKind::Stop) return "stop";
  if (n.kind == NextKind::Title) return "title " + std::to_string(n.title);
  if (n.kind == NextKind::Repeat) return "repeats chain " + std::to_string(n.pgc);
  std::string w = "random";
  for (int t = 1; t <= 3; ++t)
    if (CanReach(n, t)) w += " " + std::to_string(t);
  return w;
}

// What the authored discs cannot show: every title a draw reaches, register
// arithmetic at its bounds, a loop of chains without cells and one of chains
// with cells (video for ever), a title named by its own number where two
// titles share its chain, faults at the start and at a title's end. The
// titles' chains (with `cells`, chains 1 to 5) get a cell each, so reaching
// one starts its title.
TEST(NavVmTest, RandomDrawsLoopsAndFaults) {
  const struct {
    std::vector<const char*> firstPlay;
    const char* title1Post;
    const char* start;
    const char* after1;
    int cells = 3;
    std::vector<std::vector<int>> chapters = {};
  } cases[] = {
      // g0 = random(2); if (g0 == 2) Goto 4; JumpTT 2; JumpTT 3
      {{"78 00 00 00 00 02 00 00", "00 A1 00 00 00 02 00 04", "30 02 00 00 00 02 00 00",
        "30 02 00 00 00 03 00 00"},
       "30 01 00 00 00 00 00 00",
       "random 2 3",
       "stop"},
      // g0 = 5; g0 -= 7 (stops at 0); g0 += 3; if (g0 == 3) Goto 6; JumpTT 1; JumpTT 2
      {{"71 00 00 00 00 05 00 00", "74 00 00 00 00 07 00 00", "73 00 00 00 00 03 00 00",
        "00 A1 00 00 00 03 00 06", "30 02 00 00 00 01 00 00", "30 02 00 00 00 02 00 00"},
       "30 01 00 00 00 00 00 00",
       "title 2",
       "stop"},
      // Chain 4, of no title, links to chain 5, which links back.
      {{"30 02 00 00 00 02 00 00"}, "20 04 00 00 00 00 00 04", "title 2", "a loop that plays nothing"},
      {{"30 02 00 00 00 02 00 00"}, "20 04 00 00 00 00 00 04", "title 2", "repeats chain 4", 5},
      // Titles 1 and 2 are both chain 1.
      {{"30 02 00 00 00 02 00 00"}, "30 01 00 00 00 00 00 00", "title 2", "stop", 3, {{1}, {1}, {3}}},
      {{"30 02 00 00 00 04 00 00"},
       "30 02 00 00 00 01 00 00",
       "JumpTT 4: the disc has 3 titles",
       "JumpTT 1 from a title or title set menu"},
      // g0 = random(2); if (g0 > 2) Goto 4; JumpTT 2; JumpTT 3
      {{"78 00 00 00 00 02 00 00", "00 D1 00 00 00 02 00 04", "30 02 00 00 00 02 00 00",
        "30 02 00 00 00 03 00 00"},
       "30 01 00 00 00 00 00 00",
       "title 2",
       "stop"},
      // JumpSS to title set 1's chapter menu (as title 3), which stops.
      {{"30 06 00 03 01 87 00 00"}, "30 01 00 00 00 00 00 00", "stop", "stop"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    DiscSpec d = SimpleDisc(1, 3);
    d.vmg.firstPlay = Pgc{};
    d.titleSets[0].chapters = c.chapters;
    d.titleSets[0].menus = {
        LanguageUnit{"en", 0x80, {Pgc{{}, {C("30 01 00 00 00 00 00 00")}, {}, false, 0x87}}}};
    for (const char* command : c.firstPlay) d.vmg.firstPlay->pre.push_back(C(command));
    d.titleSets[0].titlePgcs[0].post = {C(c.title1Post)};
    d.titleSets[0].titlePgcs.push_back(Pgc{{}, {C("20 04 00 00 00 00 00 05")}});
    d.titleSets[0].titlePgcs.push_back(Pgc{{}, {C("20 04 00 00 00 00 00 04")}});
    BuiltDisc b = BuildDisc(d);
    for (int k = 1; k <= c.cells; ++k) *b.vts[0].Ptr("pgc " + std::to_string(k), 3) = 1;
    LoadDisc(b);
    static NavPreview p;
    PreviewDisc(StoredVmgRef(), 0, &p);
    EXPECT_EQ(Words(p.start), c.start);
    EXPECT_EQ(Words(p.after[0]), c.after1);
  }
}

}  // namespace
