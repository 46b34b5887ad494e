#include "actions/title_action.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes CommandOf(int n) { return Bytes(Disc.ActionCommand[n], Disc.ActionCommand[n] + 8); }
Bytes Of(const Cmd& c) { return Bytes(c.begin(), c.end()); }

class TitleActionTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

TEST_F(TitleActionTest, ParsesCommandTextAsTheRowsAreTyped) {
  const Bytes jumpTitleOne = {0x30, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
  const Bytes zeros(8, 0x00);
  struct Case {
    std::string text;
    Bytes bytes;
  } cases[] = {
      {"30 02 00 00 00 01 00 00", jumpTitleOne},
      {"3002 0000 0001 0000", jumpTitleOne},
      {"  3002000000010000  ", jumpTitleOne},
      {"30 02 00 00 00 01 00", zeros},        // seven pairs
      {"30 02 00 00 00 01 00 00 00", zeros},  // nine pairs
      {"", zeros},
      {"30\t02 00 00 00 01 00 00", zeros},  // a tab is not a blank: 17 characters
      {"ff ff ff ff ff ff ff ff", Bytes(8, 0xFF)},
      {"30 02 00 00 00 01 00 0G", jumpTitleOne},  // scanning stops at the G
      {"30 02 00 00 00 01 00 1G", {0x30, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01}},
      // A pair with no number is 0, not what the previous pair gave.
      {"30 ZZ 00 00 00 01 00 00", {0x30, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}},
      {"G0 02 00 00 00 01 00 00", {0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}},
      {"-1 +F -F -G 00 01 00 00", {0xFF, 0x0F, 0xF1, 0x00, 0x00, 0x01, 0x00, 0x00}},
      // A Shift-JIS full-width digit counts as two bytes and is no number.
      {"\x82\x4F"
       "02 00 00 00 01 00 00",
       {0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}},
      // Only the first 126 characters are read.
      {std::string(110, ' ') + "3002000000010000", jumpTitleOne},
      {std::string(120, ' ') + "3002000000010000", zeros},
  };
  for (const Case& c : cases) {
    std::memset(Disc.ActionCommand[4], 0xAA, 8);
    ParseCommandText(4, c.text.c_str());
    EXPECT_EQ(CommandOf(4), c.bytes) << "text \"" << c.text << "\"";
  }
}

TEST_F(TitleActionTest, FormatsUpperCaseHexPairs) {
  char text[32];
  std::memset(text, 'x', sizeof text);
  const uint8_t command[8] = {0xff, 0x0a, 0x00, 0x01, 0xc0, 0x42, 0x9b, 0x07};
  FormatCommandText(command, text);
  EXPECT_STREQ(text, "FF 0A 00 01 C0 42 9B 07");

  // What the rows show parses back to the same bytes.
  ParseCommandText(0, text);
  EXPECT_EQ(CommandOf(0), Bytes(command, command + 8));
}

TEST_F(TitleActionTest, StartUpDefaultsJumpToTitleOneAndLeaveEntry99) {
  Disc.PresetIndex = 5;
  Disc.NoMenu = 1;
  Disc.RandomPlay = 1;
  std::memset(Disc.ActionCommand, 0x77, sizeof Disc.ActionCommand);
  for (int n = 0; n < 100; ++n) Disc.ActionKind[n] = Disc.ActionTarget[n] = Disc.ActionMenu[n] = 9;

  ResetActions();
  EXPECT_EQ(Disc.PresetIndex, 0);
  EXPECT_EQ(Disc.NoMenu, 0);
  EXPECT_EQ(Disc.RandomPlay, 0);
  for (int n = 0; n < 99; ++n) {
    EXPECT_EQ(Disc.ActionKind[n], JumpTitle);
    EXPECT_EQ(Disc.ActionTarget[n], 0);
    EXPECT_EQ(Disc.ActionMenu[n], 0);
    EXPECT_EQ(CommandOf(n), (Bytes{0x30, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00}));
  }
  EXPECT_EQ(Disc.ActionKind[99], 9);
  EXPECT_EQ(CommandOf(99), Bytes(8, 0x77));
}

TEST_F(TitleActionTest, MenuChoicesCallTheirMenus) {
  struct Case {
    int code;
    const char* command;
  } cases[] = {
      {0, "30 08 00 00 01 42 00 00"},   {1, "30 08 00 00 01 83 00 00"},
      {2, "30 08 00 00 01 87 00 00"},   {3, "30 08 00 00 01 85 00 00"},
      {4, "30 08 00 00 01 84 00 00"},   {5, "30 08 00 00 01 86 00 00"},
      {6, "30 08 00 00 01 00 00 00"},   {7, "30 08 00 01 01 C0 00 00"},
      {134, "30 08 00 80 01 C0 00 00"},  // VMGM PGC 128, the last choice
      {135, "30 08 00 81 01 C0 00 00"},  // out of range: the same rule, low byte
      {-1, "30 08 00 F9 01 C0 00 00"},
  };
  for (const Case& c : cases) {
    uint8_t out[8];
    MenuCommand(c.code, out);
    EXPECT_EQ(Bytes(out, out + 8), Of(C(c.command))) << "code " << c.code;
  }
}

TEST_F(TitleActionTest, DerivesEachTitlesActionFromItsFirstPostCommand) {
  struct Row {
    const char* post;  // nullptr: no post command
    int32_t kind;
    int32_t menu;
  } rows[] = {
      {"30 01 00 00 00 00 00 00", Stop, 0},
      {"30 08 00 03 01 C0 00 00", JumpTitle, 0},  // the dispatcher's number is 3
      {"30 08 00 04 01 C0 00 00", MenuPgc, 10},
      {"30 08 00 80 01 C0 00 00", MenuPgc, 134},
      {"30 08 00 00 01 C0 00 00", Command, 0},  // menu program chain 0
      {"30 08 00 81 01 C0 00 00", Command, 0},  // 129
      {"30 08 00 00 01 42 00 00", MenuPgc, 0},
      {"30 08 00 00 01 83 00 00", MenuPgc, 1},
      {"30 08 00 00 01 87 00 00", MenuPgc, 2},
      {"30 08 00 00 01 85 00 00", MenuPgc, 3},
      {"30 08 00 00 01 84 00 00", MenuPgc, 4},
      {"30 08 00 00 01 86 00 00", MenuPgc, 5},
      {"30 08 00 00 01 00 00 00", MenuPgc, 6},
      {"30 08 00 00 01 88 00 00", Command, 0},  // no menu choice calls menu 8
      {"30 08 00 00 02 42 00 00", Command, 0},  // another resume cell
      {"30 05 00 01 00 10 00 00", Repeat, 0},   // title 16 of its set: itself
      {"30 05 00 01 00 10 00 00", Command, 0},  // the same on title 17
      {"30 02 00 00 00 01 00 00", Command, 0},
      {nullptr, Unchanged, 0},
  };
  const int count = int(sizeof rows / sizeof rows[0]);
  DiscSpec d = SimpleDisc(1, count);
  for (int n = 0; n < count; ++n) {
    Pgc& pgc = d.titleSets[0].titlePgcs[size_t(n)];
    pgc.post.clear();
    if (rows[n].post) pgc.post.push_back(C(rows[n].post));
    // Pre commands before the post command must be stepped over.
    if (n % 3 == 0) pgc.pre = {C("71 00 00 01 00 05 00 00"), C("30 01 00 00 00 00 00 00")};
  }
  LoadDisc(d);
  Disc.MenuPgcNumber = 3;
  for (int n = 0; n < count; ++n) Disc.ActionMenu[n] = Disc.ActionTarget[n] = 55;

  DeriveActionsFromDisc();
  for (int n = 0; n < count; ++n) {
    SCOPED_TRACE("title " + std::to_string(n + 1));
    EXPECT_EQ(Disc.ActionKind[n], rows[n].kind);
    EXPECT_EQ(Disc.ActionMenu[n], rows[n].menu);
    EXPECT_EQ(CommandOf(n), rows[n].post ? Of(C(rows[n].post)) : Bytes(8, 0xFF));
    EXPECT_EQ(Disc.ActionTarget[n], 55);
  }
}

TEST_F(TitleActionTest, TitlesWithoutAReachableEndCommandAreUnchanged) {
  DiscSpec d = SimpleDisc(1, 6, C("30 01 00 00 00 00 00 00"));
  d.titleSets[0].titlePgcs[1].noCommandTable = true;
  BuiltDisc b = BuildDisc(d);
  *b.vmg.Ptr("title 3", 6) = 0;  // title set 0
  *b.vmg.Ptr("title 4", 6) = 2;  // a title set the disc does not have
  *b.vmg.Ptr("title 5", 7) = 0;  // title 0 within its set
  *b.vmg.Ptr("title 6", 7) = 7;  // past the set's program chains
  LoadDisc(b);
  Disc.MenuPgcNumber = 1;

  DeriveActionsFromDisc();
  EXPECT_EQ(Disc.ActionKind[0], Stop);
  for (int n = 1; n < 6; ++n) {
    EXPECT_EQ(Disc.ActionKind[n], Unchanged) << "title " << n + 1;
    EXPECT_EQ(CommandOf(n), Bytes(8, 0xFF)) << "title " << n + 1;
  }
}

TEST_F(TitleActionTest, ADispatcherPastTheMenuChoicesIsStillAJump) {
  DiscSpec d = SimpleDisc(1, 2, C("30 08 00 C8 01 C0 00 00"));
  d.titleSets[0].titlePgcs[1].post = {C("30 08 01 2C 01 C0 00 00")};
  LoadDisc(d);
  Disc.MenuPgcNumber = 300;
  DeriveActionsFromDisc();
  EXPECT_EQ(Disc.ActionKind[0], Command);  // program chain 200: beyond the 128 choices
  EXPECT_EQ(Disc.ActionKind[1], JumpTitle);
}

}  // namespace
