// The end action model: command text, start-up defaults, menu calls, and each
// title's action read back from its first post command.
#include "actions/title_action.h"

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

Cmd CommandOf(int n) {
  Cmd c;
  std::memcpy(c.data(), Disc.ActionCommand[n], 8);
  return c;
}

class TitleActionTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }
};

TEST_F(TitleActionTest, ParsesCommandTextAsTheRowsAreTyped) {
  const char* zeros = "00 00 00 00 00 00 00 00";
  struct Case {
    std::string text;
    const char* bytes;
  } cases[] = {
      {" 3002 0000 0001 0000  ", "30 02 00 00 00 01 00 00"},
      {"30 02 00 00 00 01 00", zeros},        // seven pairs
      {"30 02 00 00 00 01 00 00 00", zeros},  // nine pairs
      {"30\t02 00 00 00 01 00 00", zeros},    // a tab is not a blank: 17 characters
      {"ff ff ff ff ff ff ff ff", "FF FF FF FF FF FF FF FF"},
      {"30 02 00 00 00 01 00 1G", "30 02 00 00 00 01 00 01"},  // scanning stops at the G
      // A pair with no number is 0, not what the previous pair gave.
      {"30 ZZ 00 00 00 01 00 00", "30 00 00 00 00 01 00 00"},
      {"-1 +F -F -G 00 01 00 00", "FF 0F F1 00 00 01 00 00"},
      // A Shift-JIS full-width digit counts as two bytes and is no number.
      {"\x82\x4F"
       "02 00 00 00 01 00 00",
       "00 02 00 00 00 01 00 00"},
      // Only the first 126 characters are read.
      {std::string(110, ' ') + "3002000000010000", "30 02 00 00 00 01 00 00"},
      {std::string(111, ' ') + "3002000000010000", zeros},
  };
  for (const Case& c : cases) {
    std::memset(Disc.ActionCommand[4], 0xAA, 8);
    ParseCommandText(4, c.text.c_str());
    EXPECT_EQ(CommandOf(4), C(c.bytes)) << "text \"" << c.text << "\"";
  }
}

TEST_F(TitleActionTest, StartUpDefaultsJumpToTitleOneAndLeaveEntry99) {
  Disc.PresetIndex = Disc.NoMenu = Disc.RandomPlay = 1;
  std::memset(Disc.ActionCommand, 0x77, sizeof Disc.ActionCommand);
  for (int n = 0; n < 100; ++n) Disc.ActionKind[n] = Disc.ActionTarget[n] = Disc.ActionMenu[n] = 9;

  ResetActions();
  EXPECT_EQ((std::vector<int>{Disc.PresetIndex, Disc.NoMenu, Disc.RandomPlay}), std::vector<int>(3, 0));
  for (int n = 0; n < 99; ++n) {
    EXPECT_EQ(Disc.ActionKind[n], JumpTitle);
    EXPECT_EQ(std::make_pair(Disc.ActionTarget[n], Disc.ActionMenu[n]), std::make_pair(0, 0));
    EXPECT_EQ(CommandOf(n), C("30 02 00 00 00 01 00 00"));
  }
  EXPECT_EQ(Disc.ActionKind[99], 9);
  EXPECT_EQ(CommandOf(99), C("77 77 77 77 77 77 77 77"));
}

TEST_F(TitleActionTest, MenuChoicesCallTheirMenus) {
  struct Case {
    int code;
    const char* command;
  } cases[] = {
      {0, "30 08 00 00 01 42 00 00"},  {1, "30 08 00 00 01 83 00 00"}, {2, "30 08 00 00 01 87 00 00"},
      {3, "30 08 00 00 01 85 00 00"},  {4, "30 08 00 00 01 84 00 00"}, {5, "30 08 00 00 01 86 00 00"},
      {6, "30 08 00 00 01 00 00 00"},  {7, "30 08 00 01 01 C0 00 00"}, {134, "30 08 00 80 01 C0 00 00"},
      {-1, "30 08 00 F9 01 C0 00 00"},  // out of range: no table entry is read
  };
  for (const Case& c : cases) {
    Cmd out;
    MenuCommand(c.code, out.data());
    EXPECT_EQ(out, C(c.command)) << "code " << c.code;
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
      {"30 08 00 00 01 88 00 00", Command, 0},  // no menu choice calls menu 8
      {"30 08 00 00 02 42 00 00", Command, 0},  // another resume cell
      {"30 05 00 01 00 0A 00 00", Repeat, 0},   // title 10 of its set: itself
      {"30 05 00 01 00 0A 00 00", Command, 0},  // the same on title 11
      {"30 02 00 00 00 01 00 00", Command, 0},
      {nullptr, Unchanged, 0},
      {"30 01 00 00 00 00 00 00", Unchanged, 0},  // its title names a title set the disc lacks
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
  BuiltDisc b = BuildDisc(d);
  *b.vmg.Ptr("title " + std::to_string(count), 6) = 2;
  LoadDisc(b);
  Disc.MenuPgcNumber = 3;
  for (int n = 0; n < count; ++n) Disc.ActionMenu[n] = Disc.ActionTarget[n] = 55;

  DeriveActionsFromDisc(Disc.MenuPgcNumber);
  for (int n = 0; n < count; ++n) {
    SCOPED_TRACE("title " + std::to_string(n + 1));
    EXPECT_EQ(Disc.ActionKind[n], rows[n].kind);
    EXPECT_EQ(Disc.ActionMenu[n], rows[n].menu);
    EXPECT_EQ(CommandOf(n), C(rows[n].kind == Unchanged ? "FF FF FF FF FF FF FF FF" : rows[n].post));
    EXPECT_EQ(Disc.ActionTarget[n], 55);
  }
}

TEST_F(TitleActionTest, ADispatcherPastTheMenuChoicesIsStillAJump) {
  LoadDisc(SimpleDisc(1, 2, C("30 08 01 2C 01 C0 00 00")));
  Disc.MenuPgcNumber = 300;
  DeriveActionsFromDisc(Disc.MenuPgcNumber);
  EXPECT_EQ(Disc.ActionKind[0], JumpTitle);
  Disc.MenuPgcNumber = 200;  // a call beyond the 128 menu choices, but not the dispatcher's
  DeriveActionsFromDisc(Disc.MenuPgcNumber);
  EXPECT_EQ(Disc.ActionKind[0], Command);
}

}  // namespace
