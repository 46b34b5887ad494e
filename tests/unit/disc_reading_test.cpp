// What the engine reads from a disc, over builder images: the checked
// lookups (their refusals of what lies outside an image:
// read_edit_folder_test.cpp), title ends, an earlier run's dispatcher, the
// preview, commands in words and typed, and Shift JIS paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "actions/title_action.h"
#include "disc/byte_order.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/nav_vm.h"
#include "disc/sjis_text.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

void Load(const BuiltDisc& b) { std::memset(&Disc, 0, sizeof Disc), LoadDisc(b); }

// Titles in another order than their chains, title 2 over chains 3 and 1,
// title 3 ending in chain 3: that end, which title 2 plays on through, goes
// behind a test of its number; title 1's, stored before it, is no other
// title's. One entry more than the count says is no title.
TEST(IfoTables, TitlesEndInTheChainOfTheirLastChapterAndOnlyAnEndPlayedThroughIsGuarded) {
  DiscSpec d = SimpleDisc(1, 3);
  d.titleSets[0].chapters = {{2}, {3, 1}, {3}};
  BuiltDisc b = BuildDisc(d);
  Load(b);
  static TitleEnds ends;
  FindTitleEnds(StoredVmgRef(), &ends);
  TitleChain c;
  for (int t = 0, want[] = {2, 1, 3}; t < 3; ++t) {
    ASSERT_TRUE(FindTitleChain(StoredVmgRef(), t, &c)) << t;
    EXPECT_EQ(c.pgcNumber, want[t]);
    EXPECT_EQ(c.pgc, int64_t(b.vts[0].At("pgc " + std::to_string(want[t]))));
    EXPECT_EQ(ends.title[t].guarded, t == 2) << t;
  }
  char words[128];
  FixedEndWords(2, TitleEnd{EndFixed::PlayedThrough, 1, 3, -1, 1, false, 2, 1}, words, sizeof words);
  EXPECT_STREQ(words, "title 3's end is also the end of chapter 1 of title 2, which plays on through it");
  WriteBe16(Disc.IfoStore + b.vmg.At("TT_SRPT"), 2);
  EXPECT_FALSE(FindTitleChain(StoredVmgRef(), 2, &c));
}

// Switching a start option off puts the disc's own First Play back, also
// where the disc had none.
TEST(IfoTables, AStartOptionSwitchedOffLeavesTheFirstPlayAsItWas) {
  BuiltImage v = BuildDisc(SimpleDisc(1, 1)).vmg;
  std::vector<uint8_t> image = v.bytes;
  WriteOptionFirstPlay(image.data(), C("30 02 00 00 00 01 00 00").data());
  EXPECT_EQ(ReadFirstPlayKind({image.data(), int64_t(image.size())}), NoMenuFirstPlay);
  CopyFirstPlay({v.bytes.data(), int64_t(v.bytes.size())}, image.data());
  EXPECT_EQ(image, v.bytes);
}

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

// A dispatcher an earlier run left is ours only by every byte we write: it
// gives back its register pair and destinations, and anything else is a
// chain of the disc's own (the tables written: the real-disc apply matrix).
TEST(MenuTable, AnEarlierDispatcherGivesBackItsRegisterAndDestinations) {
  Pgc random = DispatcherChain(5, {3, 1, 2}), notAJump = random;
  random.pre[0] = C("78 00 00 05 00 03 00 00");
  notAJump.pre[2][1] = 0x02;
  const struct {
    Pgc dispatcher;
    int reg;  // 0: not ours
    std::vector<int> targets;
  } cases[] = {
      {random, 5, {2, 0, 1}},
      {DispatcherChain(15, {2, 3, 1}), 15, {1, 2, 0}},
      {DispatcherChain(7, {1}), 7, {0}},
      {notAJump, 0, {0, 1, 0}},
      {DispatcherChain(5, {3, 1, 2, 1}), 0, {0, 1, 0}},  // written for four titles
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reg);
    int titles = int(c.targets.size());
    DiscSpec d = SimpleDisc(1, titles, C("30 08 00 02 01 C0 00 00"));  // CallSS VMGM PGC 2
    d.vmg.menus = {{"en", 0x80, {Pgc{{C("20 04 00 00 00 00 00 01")}}, c.dispatcher}}};
    Load(BuildDisc(d));
    DeriveActionsFromDisc(PrepareMenuTable());
    EXPECT_EQ(Disc.MenuRegister, c.reg);
    EXPECT_EQ(Disc.MenuPgcNumber, c.reg ? 2 : 3);
    EXPECT_EQ(std::vector<int>(Disc.ActionTarget, Disc.ActionTarget + titles), c.targets);
    EXPECT_EQ(Disc.ActionKind[0], c.reg ? JumpTitle : MenuPgc);
  }
}

std::string Words(const NavNext& n) {
  if (n.kind == NextKind::Title) return "title " + std::to_string(n.title);
  return n.kind == NextKind::Stop ? "stop" : "other";
}

// What the authored discs cannot show the preview: register arithmetic and
// comparisons at their bounds, every value a draw takes, a JumpSS to a title
// set's menu, and a chain without post commands going on to its next chain.
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
    DiscSpec d = SimpleDisc(1, 3);
    d.vmg.firstPlay = Pgc{};
    for (const char* command : c.firstPlay) d.vmg.firstPlay->pre.push_back(C(command));
    d.titleSets[0].menus = {{"en", 0x80, {Pgc{{}, {C("30 01 00 00 00 00 00 00")}, {}, false, 0x87}}}};
    d.titleSets[0].titlePgcs[0].post.clear();
    BuiltDisc b = BuildDisc(d);
    for (int k = 1; k <= 3; ++k) *b.vts[0].Ptr("pgc " + std::to_string(k), 3) = 1;  // one cell each
    WriteBe16(b.vts[0].Ptr("pgc 1", 0x9C), 2);  // next chain, and previous
    WriteBe16(b.vts[0].Ptr("pgc 1", 0x9E), 3);
    Load(b);
    static NavPreview p;
    PreviewDisc(StoredVmgRef(), 0, &p);
    EXPECT_EQ(Words(p.start), c.start);
    EXPECT_EQ(Words(p.after[0]), "title 2");
  }
}

// Commands in words where the disc's own commands are shown; typed commands.
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

// The registers a disc's chains name, which the dispatcher must leave alone:
// the last chain of a title set's table and of its menus' language unit.
TEST(CommandDecoder, RegistersUsedByDiscAreThoseOfEveryChain) {
  DiscSpec d = SimpleDisc(1, 2, C("30 01 00 00 00 00 00 00"));
  d.titleSets[0].titlePgcs[1].pre = {C("78 00 00 07 00 03 00 00")};
  d.titleSets[0].menus = {{"en", 0x80, {Pgc{}, Pgc{{}, {}, {C("61 00 00 05 00 84 00 00")}}}}};
  Load(BuildDisc(d));
  EXPECT_EQ(RegistersUsedByDisc(), 1 << 5 | 1 << 7);
}

// What the rows' texts and menu choices become (the actions read back from
// discs: the real-disc apply matrix).
TEST(TitleAction, TypedCommandsAndMenuChoices) {
  const std::pair<const char*, const char*> typed[] = {
      {" 3002 0000 0001 00ff ", "30 02 00 00 00 01 00 FF"},
      {"30 02 00 00 00 01 00 00 00", "00 00 00 00 00 00 00 00"},  // nine pairs are no command
  };
  for (const auto& [text, bytes] : typed) {
    std::memset(Disc.ActionCommand[4], 0xAA, 8);
    ParseCommandText(4, text);
    EXPECT_EQ(0, std::memcmp(Disc.ActionCommand[4], C(bytes).data(), 8)) << text;
  }
  Cmd firstPlay;
  MenuCommand(6, firstPlay.data());
  EXPECT_EQ(firstPlay, C("30 08 00 00 01 00 00 00"));
}

// Spans at the image's edges, and paths whose double-byte characters end in
// the backslash byte 0x5C (表 is 0x95 0x5C; 0xFC leads the last row).
TEST(TextHelpers, SpansAndShiftJisPaths) {
  EXPECT_TRUE(SpanInside(4096, 0, 4096) && SpanInside(4096, 4096, 0));
  EXPECT_FALSE(SpanInside(4096, 4095, 2) || SpanInside(4096, -1, 1) || SpanInside(4096, 1, INT64_MAX));
  const struct {
    void (*change)(char*);
    const char *in, *out;
  } cases[] = {
      {AddTrailingBackslash, "C:\\\x95\x5C", "C:\\\x95\x5C\\"},
      {CutToParentFolder, "D:\\A\\B\\", "D:\\A\\"},
      {CutToParentFolder, "D:\\A\\\xFC\x5C\\", "D:\\A\\"},
  };
  for (const auto& c : cases) {
    char s[32];
    std::strcpy(s, c.in);
    c.change(s);
    EXPECT_STREQ(s, c.out) << c.in;
  }
}

}  // namespace
