// Our navigation machine previews what libdvdnav does: on every authored
// disc, as authored and after every preset and each option, the start
// equals nav_trace's first line and the end of each title its next line
// (a title, a menu, a stop; an abort or error where we see a fault).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

// A disc, and the menu language after a blank (none: the player's default, the first unit).
class PreviewAgrees : public ::testing::TestWithParam<std::string> {};

TEST_P(PreviewAgrees, WithLibdvdnavAsAuthoredAndAfterEveryPresetAndOption) {
  const std::string disc = GetParam().substr(0, GetParam().find(' '));
  const std::string lang = GetParam().substr(disc.size() + (GetParam().size() > disc.size()));
  std::vector<std::vector<std::string>> settings = {
      {},
      {"--preset", "3", "--random"},
      {"--no-menu"},
      // Faults: JumpTT from the title domain, a call to a menu no disc here has.
      {"--title", "1=command:30 02 00 00 00 02 00 00", "--title", "2=command:30 08 00 00 01 87 00 00"},
  };
  for (char preset = '0'; preset <= '7'; ++preset) settings.push_back({"--preset", std::string(1, preset)});
  for (const auto& setting : settings) {
    SCOPED_TRACE(::testing::PrintToString(setting));
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, disc);
    if (!setting.empty()) {
      std::vector<std::string> apply = {"apply", copy, "--yes"};
      apply.insert(apply.end(), setting.begin(), setting.end());
      ProgramRun run = Reelwrite(apply);
      ASSERT_EQ(run.exit, 0) << run.err;
    }
    ExpectPreviewAgrees(copy, lang);
  }
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, PreviewAgrees,
                         ::testing::Values("sample", "nomenu", "menus2vts", "postcmds", "langunits en",
                                           "langunits fr"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

}  // namespace
