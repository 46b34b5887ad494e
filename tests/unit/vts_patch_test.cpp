// The title set patch: one command per title, and the sector fields.
#include "author/vts_patch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "author/command_table_growth.h"
#include "author/written_parts.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/message_recorder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Image(int n) { return Bytes(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]); }

// Last sector, IFO last sector, menu VOB start, title VOB start.
const int kSectorFields[4] = {kVtsLastSector, kVtsIfoLastSector, kVtsMenuVobsSector, kVtsTitleVobsSector};

// Loads the disc as get info would leave it for the patch (VmgImage a copy
// of VIDEO_TS.IFO) and spoils the title sets' sector fields in memory, so
// that only a recomputation puts them right.
BuiltDisc Load(const DiscSpec& layout) {
  std::memset(&Disc, 0, sizeof Disc);
  BuiltDisc disc = BuildDisc(layout);
  LoadDisc(disc);
  std::memcpy(Disc.VmgImage, Disc.IfoStore, std::size_t(Disc.IfoSize[0]));
  Disc.VmgSize = Disc.IfoSize[0];
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    for (int field : kSectorFields) WriteBe32(VtsImage(n) + field, 0x777);
  for (int j = 0; j < Disc.TitleCount; ++j) Disc.ActionKind[j] = Unchanged;
  return disc;
}

// Title set 1: title 1 with a pre-command and two post commands, title 2
// without post commands, title 3 without a command table; title set 2:
// titles 4 to 6 with one post command each.
DiscSpec TwoTitleSets() {
  DiscSpec d = SimpleDisc(2, 3);
  std::vector<Pgc>& set1 = d.titleSets[0].titlePgcs;
  set1[0].pre = {C("71 00 00 05 00 07 00 00")};
  set1[0].post.push_back(C("30 02 00 00 00 03 00 00"));
  set1[1].post.clear();
  set1[2].noCommandTable = true;
  d.titleSets[0].menuVobBytes = 5 * kSectorSize + 100;
  d.titleSets[0].titleVobBytes = {100 * kSectorSize, 50 * kSectorSize + 7};
  return d;
}

void SetSectorFields(Bytes& image, std::array<int32_t, 4> values) {
  for (int i = 0; i < 4; ++i) WriteBe32(image.data() + kSectorFields[i], values[std::size_t(i)]);
}

TEST(VtsPatch, EachKindWritesItsCommandIntoTheFirstPostCommand) {
  struct Case {
    int kind;
    const char* command;  // nullptr: the slot keeps its command
  } cases[] = {
      {JumpTitle, "30 08 00 05 01 C0 00 00"},
      {Command, "12 34 56 78 9A BC DE F0"},
      {MenuPgc, "30 08 00 01 01 C0 00 00"},  // menu choice 7, as MenuCommand gives it
      {Stop, "30 01 00 00 00 00 00 00"},
      {Repeat, "30 05 00 01 00 03 00 00"},
      {Unchanged, nullptr},
      {3, nullptr},  // a kind never assigned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    BuiltDisc disc = Load(TwoTitleSets());
    Disc.MenuPgcNumber = 5;
    const int j = 5;  // the third title of title set 2
    Disc.ActionKind[j] = c.kind;
    Disc.ActionMenu[j] = 7;
    std::memcpy(Disc.ActionCommand[j], C("12 34 56 78 9A BC DE F0").data(), 8);
    Cmd expected = C(c.command ? c.command : "30 02 00 00 00 01 00 00");

    Cmd fromLookup;
    EXPECT_EQ(EndCommandFor(j, fromLookup.data()), c.command != nullptr);
    if (c.command) {
      EXPECT_EQ(fromLookup, expected);
    }
    PatchTitleSets();
    const uint8_t* slot = VtsImage(2) + disc.vts[1].At("pgc 3 post");
    EXPECT_EQ(Bytes(slot, slot + 8), Bytes(expected.begin(), expected.end()));
  }
}

TEST(VtsPatch, OnlyTheFirstPostCommandAndTheSectorFieldsChange) {
  BuiltDisc disc = Load(TwoTitleSets());
  for (int j = 0; j < 6; ++j) Disc.ActionKind[j] = Stop;
  PatchTitleSets();

  const Cmd exit = C("30 01 00 00 00 00 00 00");
  // Set 1: 5-sector IFO, 5 menu VOB sectors, 150 title VOB sectors.
  Bytes set1 = disc.vts[0].bytes;
  SetSectorFields(set1, {164, 4, 5, 10});
  std::copy(exit.begin(), exit.end(), set1.begin() + long(disc.vts[0].At("pgc 1 post")));
  EXPECT_EQ(Image(1), set1);  // titles 2 and 3, and title 1's second post command, as they were

  Bytes set2 = disc.vts[1].bytes;  // no VOBs
  SetSectorFields(set2, {9, 4, 0, 5});
  for (const char* slot : {"pgc 1 post", "pgc 2 post", "pgc 3 post"})
    std::copy(exit.begin(), exit.end(), set2.begin() + long(disc.vts[1].At(slot)));
  EXPECT_EQ(Image(2), set2);

  uint8_t out[8];
  EXPECT_FALSE(EndCommandFor(1, out));  // no post command
  EXPECT_FALSE(EndCommandFor(2, out));  // no command table
}

TEST(VtsPatch, TitlesOutsideTheRangesLeaveTheirTitleSetsAlone) {
  DiscSpec layout = SimpleDisc(2, 1);
  layout.vmg.titles[1].titleInSet = 100;     // title set 2's only title
  layout.vmg.titles.push_back(Title{0, 1});  // no title set
  layout.vmg.titles.push_back(Title{3, 1});  // beyond the title sets
  Load(layout);
  for (int j = 0; j < 4; ++j) Disc.ActionKind[j] = Stop;
  Bytes set2 = Image(2);
  PatchTitleSets();
  EXPECT_EQ(Image(2), set2);
  EXPECT_EQ(ReadBe32(VtsImage(1) + kVtsIfoLastSector), Disc.IfoSize[1] / kSectorSize - 1);
  uint8_t out[8];
  for (int j = 1; j < 4; ++j) EXPECT_FALSE(EndCommandFor(j, out)) << j;
}

}  // namespace

// Titles sharing one end that are given different ones each get theirs
// behind a test of their number; one given no change keeps the chain's own.
TEST(VtsPatch, TitlesEndInTheirLastChaptersChainAndTitlesSharingOneEndEachTheirOwn) {
  // Title 1 in chain 3, title 2 over chains 1 and 2, title 3 ending in chain 2 too.
  DiscSpec layout = SimpleDisc(1, 3);
  layout.titleSets[0].chapters = {{3}, {1, 2}, {2}};
  const std::array<int, 3> cases[] = {
      {Stop, Stop, Stop}, {Stop, JumpTitle, JumpTitle}, {Stop, Stop, Repeat}, {Stop, Unchanged, Stop}};
  for (const auto& kinds : cases) {
    SCOPED_TRACE(kinds[1] * 10 + kinds[2]);
    Load(layout);
    for (int j = 0; j < 3; ++j) Disc.ActionKind[j] = kinds[std::size_t(j)];
    MessageRecorder messages;
    ASSERT_TRUE(CheckSharedChains() && CheckCommandTableGrowth());
    GrowCommandTables();
    PatchTitleSets();
    int64_t slots[3];
    for (int j = 0; j < 3; ++j) {
      TitleChain chain;
      ASSERT_TRUE(WrittenPostSlot(VmgImageRef(), j, &chain, &slots[j]));
      uint8_t command[8];
      if (EndCommandFor(j, command)) {
        EXPECT_EQ(std::memcmp(VtsImage(1) + slots[j], command, 8), 0) << j;
      }
    }
    EXPECT_EQ(slots[1] == slots[2], kinds[1] == kinds[2]);
    ImageRef vts = VtsImageRef(1);
    int64_t first = FirstPostCommand(vts, PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), 1));
    EXPECT_EQ(vts.data[first + 5], 0x01);  // title 2's first chain goes on to its second as it was
  }
}

namespace {

// What a chain plays and its commands before the post commands: all that
// must come through a growing command table as it was.
Bytes ChainParts(int v, int k) {
  ImageRef vts = VtsImageRef(v);
  int64_t pgc = PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), k);
  EXPECT_GE(pgc, 0);
  if (pgc < 0) return {};
  const uint8_t* p = vts.data + pgc;
  int cells = p[kPgcCellCount];
  Bytes parts(p + ReadBe16(p + kPgcProgramMapOffset),
              p + ReadBe16(p + kPgcProgramMapOffset) + p[kPgcProgramCount]);
  parts.insert(parts.end(), p + ReadBe16(p + kPgcCellPlaybackOffset),
               p + ReadBe16(p + kPgcCellPlaybackOffset) + 24 * cells);
  parts.insert(parts.end(), p + ReadBe16(p + kPgcCellPositionOffset),
               p + ReadBe16(p + kPgcCellPositionOffset) + 4 * cells);
  CommandTable table;
  EXPECT_TRUE(ReadCommandTable(vts, pgc, &table));
  if (table.present)
    parts.insert(parts.end(), vts.data + table.offset + 8, vts.data + table.offset + 8 + 8 * table.pre);
  return parts;
}

}  // namespace

// Title 2's chain has a command table without post commands, title 3's none;
// each gets a post command, the chains behind them and title set 2 behind
// set 1 move, and a chain already holding as many commands as a chain may
// is refused.
TEST(VtsPatch, ChainsWithoutAPostCommandGetOneUpToTheLimitOfCommands) {
  for (int pre : {0, 127, 128}) {
    SCOPED_TRACE(pre);
    DiscSpec layout = TwoTitleSets();
    layout.titleSets[0].titlePgcs[1].pre.assign(std::size_t(pre), C("00 00 00 00 00 00 00 01"));
    Load(layout);
    for (int j = 0; j < 6; ++j) Disc.ActionKind[j] = Stop;
    MessageRecorder messages;
    ASSERT_EQ(CheckFixedEnds(), pre < 128);
    if (pre == 128) {
      EXPECT_NE(messages.messages().at(0).text.find("コマンドが上限の128個"), std::string::npos);
      continue;
    }
    std::vector<Bytes> before;
    for (int v = 1; v <= 2; ++v)
      for (int k = 1; k <= 3; ++k) before.push_back(ChainParts(v, k));
    ASSERT_TRUE(CheckCommandTableGrowth());
    GrowCommandTables();
    PatchTitleSets();
    for (int v = 1, i = 0; v <= 2; ++v)
      for (int k = 1; k <= 3; ++k, ++i) {
        EXPECT_EQ(ChainParts(v, k), before[std::size_t(i)]) << v << " " << k;
        ImageRef vts = VtsImageRef(v);
        int64_t post = FirstPostCommand(vts, PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), k));
        ASSERT_GE(post, 0);
        EXPECT_EQ(Bytes(vts.data + post, vts.data + post + 8), (Bytes{0x30, 0x01, 0, 0, 0, 0, 0, 0}));
      }
  }
}

// Title 2 is chain 1 alone, which title 1 plays on through to chain 2: title
// 2's end goes in front of chain 1's post commands behind a test of its
// number, and the chain's own Goto follows its line.
TEST(VtsPatch, AnEndAnotherTitlePlaysOnThroughIsGuardedByTheTitleNumber) {
  DiscSpec layout = SimpleDisc(1, 2);
  layout.titleSets[0].chapters = {{1, 2}, {1}};
  layout.titleSets[0].titlePgcs[0].post = {C("00 01 00 00 00 00 00 02"), C("20 04 00 00 00 00 00 02")};
  Load(layout);
  Disc.ActionKind[1] = Stop;
  MessageRecorder messages;
  ASSERT_TRUE(CheckFixedEnds() && CheckSharedChains() && CheckCommandTableGrowth());
  GrowCommandTables();
  PatchTitleSets();
  ImageRef vts = VtsImageRef(1);
  int64_t post = FirstPostCommand(vts, PgcOffset(vts, TableOffset(vts, kVtsPgcitSector), 1));
  ASSERT_GE(post, 0);
  EXPECT_EQ(Bytes(vts.data + post, vts.data + post + 32),
            (Bytes{0x00, 0xB1, 0, 0x84, 0, 2, 0, 3,     // if (SPRM 4 != 2) Goto 3
                   0x30, 0x01, 0, 0,    0, 0, 0, 0,     // Exit
                   0x00, 0x01, 0, 0,    0, 0, 0, 4,     // Goto 4, as Goto 2 was
                   0x20, 0x04, 0, 0,    0, 0, 0, 2}));  // LinkPGCN 2
}

// Titles 2 and 3 end in chain 2 with different ends: two guards of two
// commands each, which must stay within the 128 commands a chain may hold.
TEST(VtsPatch, GuardsStayWithinTheCommandsAChainMayHold) {
  for (int pre : {123, 124}) {
    SCOPED_TRACE(pre);
    DiscSpec layout = SimpleDisc(1, 3);
    layout.titleSets[0].chapters = {{3}, {1, 2}, {2}};
    layout.titleSets[0].titlePgcs[1].pre.assign(std::size_t(pre), C("00 00 00 00 00 00 00 01"));
    Load(layout);
    Disc.ActionKind[1] = Stop;
    Disc.ActionKind[2] = Repeat;
    MessageRecorder messages;
    EXPECT_EQ(CheckCommandTableGrowth(), pre + 1 + 4 <= 128);
  }
}
