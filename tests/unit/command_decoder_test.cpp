// Commands in words where the disc's own commands are shown, and the
// registers a disc's chains name, which the dispatcher must leave alone.
#include "disc/command_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

TEST(CommandDecoder, DescribesComparisonsEveryGroupAndButtonOnlyLinks) {
  const std::pair<const char*, const char*> cases[] = {
      {"63 40 06 02 00 03 00 88", "if (g6 >= s8) g2 += g3"},
      {"63 50 06 02 00 03 00 88", "if (g6 > s8) g2 += g3"},
      {"D1 31 00 09 06 07 00 10", "if (g6 != g7) { g1 = 9 }; RSM"},
      {"91 01 00 07 00 00 0C 00", "g1 = 7; LinkNoLink, button 3"},
  };
  for (const auto& [bytes, words] : cases) {
    char out[128];
    DescribeCommand(C(bytes).data(), out, sizeof out);
    EXPECT_STREQ(out, words) << bytes;
  }
}

// The last chain of a title set's table and of its menus' language unit.
TEST(CommandDecoder, RegistersUsedByDiscAreThoseOfEveryChain) {
  std::memset(&Disc, 0, sizeof Disc);
  DiscSpec d = SimpleDisc(1, 2, C("30 01 00 00 00 00 00 00"));
  d.titleSets[0].titlePgcs[1].pre = {C("78 00 00 07 00 03 00 00")};
  d.titleSets[0].menus = {{"en", 0x80, {Pgc{}, Pgc{{}, {}, {C("61 00 00 05 00 84 00 00")}}}}};
  LoadDisc(d);
  EXPECT_EQ(RegistersUsedByDisc(), 1 << 5 | 1 << 7);
}
