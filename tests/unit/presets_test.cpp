// Whole-disc patterns: each title's kind, menu choice and chained target.
#include "actions/presets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "tests/unit/ifo_builder.h"

namespace {

constexpr int kKept = 77;  // a menu choice no preset writes

class PresetsTest : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(&Disc, 0, sizeof Disc); }

  // A disc of `titles` titles whose ends can all be changed.
  void Apply(int titles, int preset) {
    testdisc::LoadDisc(testdisc::SimpleDisc(1, titles));
    Disc.PresetIndex = preset;
    std::fill_n(Disc.ActionKind, 100, Command);
    std::fill_n(Disc.ActionTarget, 100, -1);
    std::fill_n(Disc.ActionMenu, 100, kKept);
    std::memset(Disc.ActionCommand, 0x5A, sizeof Disc.ActionCommand);
    ApplyBatchPreset();
  }
};

TEST_F(PresetsTest, EachPresetOnOneAndThreeTitles) {
  struct Case {
    int preset;
    int32_t middle, last;  // kinds of titles 1 and 2 of three, and of the last
    int32_t middleMenu, lastMenu;
  } cases[] = {
      {0, JumpTitle, MenuPgc, kKept, 0},
      {1, JumpTitle, MenuPgc, kKept, 1},
      {2, JumpTitle, Stop, kKept, kKept},
      {3, JumpTitle, JumpTitle, kKept, kKept},
      {4, MenuPgc, MenuPgc, 0, 0},
      {5, MenuPgc, MenuPgc, 1, 1},
      {6, Stop, Stop, kKept, kKept},
      {7, Repeat, Repeat, kKept, kKept},
      {-1, JumpTitle, JumpTitle, kKept, kKept},  // no selection: as preset 3
      {8, JumpTitle, JumpTitle, kKept, kKept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("preset " + std::to_string(c.preset));
    Apply(3, c.preset);
    EXPECT_EQ((std::vector<int32_t>(Disc.ActionKind, Disc.ActionKind + 4)),
              (std::vector<int32_t>{c.middle, c.middle, c.last, Command}));
    EXPECT_EQ((std::vector<int32_t>(Disc.ActionMenu, Disc.ActionMenu + 4)),
              (std::vector<int32_t>{c.middleMenu, c.middleMenu, c.lastMenu, kKept}));
    // Chained targets whatever the kind; entries past the titles untouched.
    EXPECT_EQ((std::vector<int32_t>(Disc.ActionTarget, Disc.ActionTarget + 4)),
              (std::vector<int32_t>{1, 2, 0, -1}));
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Disc.ActionCommand[n][7], 0x5A);

    Apply(1, c.preset);  // the only title is also the last
    EXPECT_EQ(Disc.ActionKind[0], c.last);
    EXPECT_EQ(Disc.ActionMenu[0], c.lastMenu);
    EXPECT_EQ(Disc.ActionTarget[0], 0);
    EXPECT_EQ(Disc.ActionKind[1], Command);
  }
}

TEST_F(PresetsTest, EntriesPastTheNinetyNinthTitleAreNotTouched) {
  Apply(120, 6);
  EXPECT_EQ(Disc.ActionKind[98], Stop);
  EXPECT_EQ(Disc.ActionTarget[98], 0);  // the 99th counts as the last
  EXPECT_EQ(Disc.ActionKind[99], Command);
}

}  // namespace
