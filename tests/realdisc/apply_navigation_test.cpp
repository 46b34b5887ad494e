// libdvdnav plays what `reelwrite apply` chose. Unpatched, the discs play as
// authored_discs_test.cpp shows; each case names where playback must go now.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/realdisc/cli_run.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/temp_folder.h"

namespace {

using Trace = std::vector<std::string>;

struct NavCase {
  const char* disc;
  std::vector<std::string> args;
  const char* lang;
  int maxTitles;
  Trace trace;
};

// A fresh copy of the disc, patched with these arguments and played.
Trace PlayPatched(const std::string& disc, const std::vector<std::string>& args, const std::string& lang,
                  int maxTitles) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, disc);
  std::vector<std::string> apply = {"apply", copy, "--yes"};
  apply.insert(apply.end(), args.begin(), args.end());
  ProgramRun run = Reelwrite(apply);
  if (run.exit != 0) return {"APPLY FAILED " + std::to_string(run.exit) + ": " + run.err};
  return NavTrace(copy, maxTitles, lang);
}

void ExpectTraces(const std::vector<NavCase>& cases) {
  for (const NavCase& c : cases) {
    std::string name = std::string(c.disc) + " " + c.lang;
    for (const std::string& a : c.args) name += " " + a;
    SCOPED_TRACE(name);
    EXPECT_EQ(PlayPatched(c.disc, c.args, c.lang, c.maxTitles), c.trace);
  }
}

const char* const M = "MENU";
const char* const T1 = "TITLE 1";
const char* const T2 = "TITLE 2";
const char* const T3 = "TITLE 3";
const char* const T4 = "TITLE 4";
const char* const S = "STOP";

TEST(ApplyNavigation, PresetsPlayAsNamed) {
  ExpectTraces({
      // Endless: on a disc without menus (the dispatcher comes in a new
      // table), with a video manager menu, and across two title sets.
      {"nomenu", {"--preset", "3"}, "", 5, {T1, T2, T3, T1, T2}},
      {"sample", {"--preset", "3"}, "", 5, {M, T1, T2, T3, T1, T2}},
      {"menus2vts", {"--preset", "3"}, "", 5, {M, T1, T2, T3, T1, T2}},
      {"nomenu", {"--preset", "2"}, "", 5, {T1, T2, T3, S}},
      {"sample", {"--preset", "2"}, "", 5, {M, T1, T2, T3, S}},
      {"menus2vts", {"--preset", "6"}, "", 5, {M, T1, S}},
      {"nomenu", {"--preset", "7"}, "", 3, {T1, T1, T1}},
      {"sample", {"--preset", "0"}, "", 5, {M, T1, T2, T3, M, T1, T2}},
      // This title menu's pre-command sends every visit after the first to
      // title 3 before a cell shows: title 3 playing again is the menu.
      {"menus2vts", {"--preset", "0"}, "", 5, {M, T1, T2, T3, T3, T3}},
      // Title 4 has no post command to replace; it ends as authored.
      {"postcmds", {"--preset", "3"}, "", 5, {M, T1, T2, T3, T4, S}},
  });
}

TEST(ApplyNavigation, AHandMadeMapPlaysInItsOrder) {
  const std::vector<std::string> map = {"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop"};
  ExpectTraces({
      {"nomenu", map, "", 5, {T1, T3, T2, S}},
      {"menus2vts", map, "", 5, {M, T1, T3, T2, S}},
      {"postcmds", map, "", 5, {M, T1, T3, T2, S}},
  });
}

TEST(ApplyNavigation, NoMenuStartsWithTitleOneWhereFirstPlayWentToAMenu) {
  ExpectTraces({
      {"sample", {"--preset", "3", "--no-menu"}, "", 5, {T1, T2, T3, T1, T2}},
      {"menus2vts", {"--preset", "3", "--no-menu"}, "", 5, {T1, T2, T3, T1, T2}},
      {"langunits", {"--preset", "3", "--no-menu"}, "fr", 5, {T1, T2, T3, T1, T2}},
  });
}

TEST(ApplyNavigation, RandomStartsAndGoesOnWithTitlesOfTheDisc) {
  for (const char* disc : {"sample", "nomenu", "menus2vts"}) {
    SCOPED_TRACE(disc);
    // Endless, so every draw must lead to another title of the three.
    Trace trace = PlayPatched(disc, {"--preset", "3", "--random"}, "", 5);
    ASSERT_EQ(trace.size(), 5u) << ::testing::PrintToString(trace);
    for (const std::string& line : trace) {
      EXPECT_TRUE(line == T1 || line == T2 || line == T3) << line;
    }
  }
}

// langunits has two menu language units: "en" with one program chain, "fr"
// with three, so the dispatcher must have the same number in both. Before
// the first title the units differ as authored (fr's menus start title 2);
// from there on the chosen jumps and menus hold in either language.
TEST(ApplyNavigation, JumpsHoldInEveryMenuLanguage) {
  ExpectTraces({
      {"langunits", {"--preset", "3"}, "en", 5, {M, T1, T2, T3, T1, T2}},
      {"langunits", {"--preset", "3"}, "fr", 5, {M, T2, T3, T1, T2, T3}},
      // The title menu called at the end is the player's language's own.
      {"langunits", {"--preset", "0"}, "en", 4, {M, T1, T2, T3, M, T1}},
      {"langunits", {"--preset", "0"}, "fr", 3, {M, T2, T3, M, T2}},
      {"langunits", {"--title", "2=stop"}, "fr", 5, {M, T2, S}},
  });
}

}  // namespace
