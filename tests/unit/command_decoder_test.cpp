#include "disc/command_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

uint16_t G(std::initializer_list<int> registers) {
  uint16_t mask = 0;
  for (int r : registers) mask |= uint16_t(1u << r);
  return mask;
}

std::string Describe(const Cmd& c, std::size_t capacity = 128) {
  char out[128];
  DescribeCommand(c.data(), out, capacity);
  return out;
}

TEST(CommandDecoderTest, NamesRegistersAndDescribesKnownEncodings) {
  struct Case {
    const char* bytes;
    uint16_t registers;
    const char* words;
  } cases[] = {
      // The dispatcher's own commands.
      {"61 00 00 03 00 84 00 00", G({3}), "g3 = s4"},
      {"71 00 00 01 00 05 00 00", G({1}), "g1 = 5"},
      {"30 22 00 00 00 03 00 01", G({0, 1}), "if (g0 == g1) JumpTT 3"},
      {"78 00 00 02 00 03 00 00", G({2}), "g2 = random(3)"},
      {"30 08 00 05 01 C0 00 00", 0, "CallSS VMGM PGC 5, resume cell 1"},
      // Jumps and calls.
      {"30 01 00 00 00 00 00 00", 0, "Exit"},
      {"30 05 00 01 00 02 00 00", 0, "JumpVTS_PTT 2:1"},
      {"30 08 00 00 01 42 00 00", 0, "CallSS VMGM title menu, resume cell 1"},
      {"30 08 00 00 01 83 00 00", 0, "CallSS VTSM root menu, resume cell 1"},
      {"30 06 00 01 02 87 00 00", 0, "JumpSS VTSM vts 2 title 1, chapter menu"},
      {"30 32 00 00 00 07 86 03", G({3}), "if (s6 != g3) JumpTT 7"},
      // Special instructions, with a comparison against an immediate.
      {"00 00 00 00 00 00 00 00", 0, "Nop"},
      {"00 A1 00 03 00 07 00 05", G({3}), "if (g3 == 7) Goto 5"},
      {"00 03 00 00 00 00 04 09", 0, "SetTmpPML 4, Goto 9"},
      // Links.
      {"20 34 00 04 00 06 00 07", G({4, 6}), "if (g4 != g6) LinkPGCN 7"},
      {"20 01 00 00 00 00 0C 01", 0, "LinkTopC, button 3"},
      // SetSystem, from a register and immediate.
      {"41 00 00 83 00 00 00 00", G({3}), "s1 = g3"},
      {"51 00 00 00 82 81 00 00", 0, "s2 = 2, s3 = 1"},
      {"56 00 00 00 04 00 00 00", 0, "s8 = 1024"},
      {"46 20 00 00 00 05 01 02", G({1, 2, 5}), "if (g1 == g2) s8 = g5"},
      {"52 00 00 3C 00 05 00 00", 0, "s9 = 60, s10 = 5"},
      {"53 00 00 0A 00 87 00 00", G({7}), "g7 = 10 (counter mode)"},
      {"43 00 00 09 00 04 00 00", G({4, 9}), "g4 = g9 (register mode)"},
      // Set with a comparison or a link.
      {"62 00 00 01 00 02 00 00", G({1, 2}), "g1 <-> g2"},
      {"71 A0 05 02 00 01 00 09", G({2, 5}), "if (g5 == 9) g2 = 1"},
      {"63 40 06 02 00 03 00 88", G({2, 3, 6}), "if (g6 >= s8) g2 += g3"},
      {"71 04 00 01 00 05 00 03", G({1}), "g1 = 5; LinkPGCN 3"},
      {"60 00 00 00 00 00 00 00", 0, "Nop"},
      // Set, compare and link-by-sub-instruction forms.
      {"91 A1 00 07 00 03 00 01", G({1}), "g1 = 7; if (g1 == 3) LinkTopC"},
      {"81 02 00 08 00 00 00 00", G({2, 8}), "g2 = g8"},
      {"A1 22 03 04 00 05 00 01", G({2, 3, 4, 5}), "if (g4 == g5) { g2 = g3; LinkTopC }"},
      {"D1 31 00 09 06 07 00 10", G({1, 6, 7}), "if (g6 != g7) { g1 = 9 }; RSM"},
      {"D1 01 00 02 00 00 00 0D", G({1}), "g1 = 2; LinkTailPGC"},
  };
  for (const Case& c : cases) {
    Cmd cmd = C(c.bytes);
    EXPECT_EQ(RegistersNamed(cmd.data()), c.registers) << c.bytes;
    EXPECT_EQ(Describe(cmd), c.words) << c.bytes;
  }
}

TEST(CommandDecoderTest, UnknownEncodingsShowTheirBytes) {
  for (const char* bytes : {"E0 00 00 00 00 00 00 00", "30 04 00 00 00 00 00 00", "20 00 00 00 00 00 00 00",
                            "00 05 00 00 00 00 00 00", "7C 00 00 01 00 05 00 00", "45 00 00 00 00 00 00 00",
                            "20 01 00 00 00 00 00 04"})
    EXPECT_EQ(Describe(C(bytes)), std::string("unknown ") + bytes);
}

TEST(CommandDecoderTest, DescriptionsStopAtTheCapacity) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  DescribeCommand(C("30 22 00 00 00 03 00 01").data(), out, sizeof out);
  EXPECT_STREQ(out, "if (g0 ");
}

TEST(CommandDecoderTest, FreeRegisterPairWrapsFrom15To0) {
  const std::pair<uint16_t, int> cases[] = {{0x0001, 1},  {0x0002, 2},  {0x3FFF, 14},
                                            {0x7FFE, 15}, {0x7FFF, -1}, {0x5555, -1}};
  for (auto [used, first] : cases) EXPECT_EQ(FreeRegisterPair(used), first) << std::hex << used;
}

class RegistersUsedByDiscTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

// Each place a disc keeps commands names its own register; the first menu
// chain is a dispatcher an earlier execute left, whose pair (g11, g12) is
// ours, not the disc's.
DiscSpec EveryPlace() {
  DiscSpec d = SimpleDisc(2, 1, C("30 01 00 00 00 00 00 00"));
  d.vmg.firstPlay = Pgc{{C("71 00 00 01 00 05 00 00")}};  // g1
  d.vmg.menus = {{"en", 0x80, {Pgc{}}}, {"ja", 0x80, {Pgc{}, Pgc{}}}};
  d.vmg.menus[0].pgcs[0].pre = {C("61 00 00 0B 00 84 00 00"), C("71 00 00 0C 00 01 00 00"),
                                C("30 22 00 00 00 02 0B 0C"), C("30 02 00 00 00 01 00 00")};
  d.vmg.menus[1].pgcs[1].post = {C("30 22 00 00 00 03 03 03")};  // g3
  d.titleSets[0].menus = {{"en", 0x80, {Pgc{}}}};
  d.titleSets[0].menus[0].pgcs[0].cell = {C("61 00 00 05 00 84 00 00")};                            // g5
  d.titleSets[0].titlePgcs[0].pre = {C("78 00 00 07 00 03 00 00")};                                 // g7
  d.titleSets[1].titlePgcs[0].post = {C("30 01 00 00 00 00 00 00"), C("71 00 00 09 00 01 00 00")};  // g9
  return d;
}

TEST_F(RegistersUsedByDiscTest, SeesFirstPlayMenusAndTitlesButNotAnEarlierDispatcherNorPastTheImage) {
  LoadDisc(EveryPlace());
  EXPECT_EQ(RegistersUsedByDisc(), G({1, 3, 5, 7, 9}));
  BuiltDisc b = BuildDisc(EveryPlace());
  WriteBe16(b.vts[0].Ptr("pgc 1 cmd", 0), 5000);                    // more pre commands than the image holds
  WriteBe32(b.vmg.Ptr("VMGM_PGCI_UT", 8 + 8 * 1 + 4), 0x7FFFFFF0);  // language unit 2 far outside
  LoadDisc(b);
  EXPECT_EQ(RegistersUsedByDisc(), G({1, 5, 9}));
}

// A damaged menu table, wholly inside its file, whose one language unit
// names one chain of 8000 commands 65000 times: half a billion command
// decodes if walked pointer by pointer.
TEST_F(RegistersUsedByDiscTest, StopsWalkingTablesThatNameTheSameChainOverAndOver) {
  BuiltDisc b = BuildDisc(EveryPlace());
  std::vector<uint8_t>& vts = b.vts[1].bytes;
  const int names = 65000, commands = 8000;
  std::size_t table = vts.size(), unit = table + 16, chain = unit + 8 + 8 * names;
  vts.resize(chain + 0xF4 + 8 * commands);
  WriteBe16(&vts[table], 1);
  WriteBe32(&vts[table + 4], int32_t(vts.size() - table - 1));
  WriteBe32(&vts[table + 12], 16);
  WriteBe16(&vts[unit], names);
  for (int i = 0; i < names; ++i) WriteBe32(&vts[unit + 12 + 8 * i], int32_t(chain - unit));
  WriteBe16(&vts[chain + 0xE4], 0xEC);
  WriteBe16(&vts[chain + 0xEC], commands);
  for (int i = 0; i < commands; ++i)
    std::memcpy(&vts[chain + 0xF4 + 8 * i], C("71 00 00 0D 00 01 00 00").data(), 8);
  WriteBe32(&vts[0xD0], int32_t(table / 2048));  // VTSM_PGCI_UT
  LoadDisc(b);
  EXPECT_EQ(RegistersUsedByDisc(), G({1, 3, 5, 7, 9, 13}));
}

}  // namespace
