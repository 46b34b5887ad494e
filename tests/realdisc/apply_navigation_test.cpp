// libdvdnav plays what `reelwrite apply` chose. Unpatched, the discs play as
// scripts/make_disc describes; each case names where playback must go now.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

using Trace = std::vector<std::string>;

// A fresh copy of the disc, patched with these arguments and played by
// nav_trace until maxTitles titles have started: its lines, and "CRASH" when
// it ended other than by itself.
Trace PlayPatched(const std::string& disc, const std::vector<std::string>& args, const std::string& lang,
                  int maxTitles, void (*edit)(const std::string& copy) = nullptr) {
  TempFolder folder;
  const std::string copy = CopyOfDisc(folder, disc);
  if (edit) edit(copy);
  std::vector<std::string> apply = {"apply", copy, "--yes"};
  apply.insert(apply.end(), args.begin(), args.end());
  ProgramRun run = Reelwrite(apply);
  if (run.exit != 0) return {"APPLY FAILED " + std::to_string(run.exit) + ": " + run.err};
  std::vector<std::string> trace = {"nav_trace", copy, "--max-titles", std::to_string(maxTitles)};
  if (!lang.empty()) trace.insert(trace.end(), {"--lang", lang});
  run = RunProgram(trace);
  Trace lines;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  if (run.exit > 2) lines.push_back("CRASH " + std::to_string(run.exit));
  return lines;
}

const char* const M = "MENU";
const char* const T1 = "TITLE 1";
const char* const T2 = "TITLE 2";
const char* const T3 = "TITLE 3";
const char* const T4 = "TITLE 4";
const char* const S = "STOP";

// VTS_01_0.IFO's chain table points outside the file; its BUP is whole.
void DamageTitleSetIfo(const std::string& copy) {
  std::fstream ifo(copy + "/VTS_01_0.IFO", std::ios::in | std::ios::out | std::ios::binary);
  ifo.seekp(0xCC);
  ifo.write("\x00\x00\x7F\xFF", 4);
}

// An earlier apply that started the disc through an option.
void RandomBefore(const std::string& copy) { Reelwrite({"apply", copy, "--random", "--yes"}); }
void NoMenuBefore(const std::string& copy) { Reelwrite({"apply", copy, "--no-menu", "--yes"}); }

// Titles 1 and 3 of title set 1 trade chains in its chapter table: title 1
// now plays chain 3 and ends with its post commands.
void SwapTitlesOneAndThree(const std::string& copy) {
  std::string ifo = ReadFolder(copy, true)["VTS_01_0.IFO"];
  const std::size_t table = 2048 * std::size_t(uint8_t(ifo[0xCB]));  // VTS_PTT_SRPT, sector < 256
  const std::size_t first = table + (uint8_t(ifo[table + 11])), third = table + (uint8_t(ifo[table + 19]));
  std::swap(ifo[first + 1], ifo[third + 1]);
  for (const char* name : {"/VTS_01_0.IFO", "/VTS_01_0.BUP"})
    std::ofstream(copy + name, std::ios::binary) << ifo;
}

TEST(ApplyNavigation, PlaysAsChosen) {
  const std::vector<std::string> map = {"--title", "1=jump:3", "--title", "3=jump:2", "--title", "2=stop"};
  const struct {
    const char* disc;
    std::vector<std::string> args;
    Trace trace;
    const char* lang = "";
    void (*edit)(const std::string& copy) = nullptr;
  } cases[] = {
      // Titles found through the chapter table: title 1's end is chain 3's.
      {"nomenu", {"--preset", "2"}, {T1, T2, T3, S}, "", SwapTitlesOneAndThree},
      // The option switched off: the disc starts as authored again, its
      // First Play and its title menu back from the backup.
      {"sample", {"--preset", "3"}, {M, T1, T2, T3, T1, T2}, "", RandomBefore},
      {"menus2vts", {"--preset", "3"}, {M, T1, T2, T3, T1, T2}, "", NoMenuBefore},
      // Read from the BUP, written into both.
      {"nomenu", {"--preset", "2"}, {T1, T2, T3, S}, "", DamageTitleSetIfo},
      // Endless on a disc without menus: the dispatcher comes in a new table.
      {"nomenu", {"--preset", "3"}, {T1, T2, T3, T1, T2}},
      {"menus2vts", {"--preset", "6"}, {M, T1, S}},
      {"nomenu", {"--preset", "7"}, {T1, T1, T1}},
      {"sample", {"--preset", "0"}, {M, T1, T2, T3, M, T1, T2}},
      // This title menu's pre-command sends every visit after the first to
      // title 3 before a cell shows: title 3 playing again is the menu.
      {"menus2vts", {"--preset", "0"}, {M, T1, T2, T3, T3, T3}},
      // Title 4's chain gets a post command of its own.
      {"postcmds", {"--preset", "3"}, {M, T1, T2, T3, T4, T1}},
      {"nomenu", map, {T1, T3, T2, S}},
      {"menus2vts", map, {M, T1, T3, T2, S}},
      // First Play went to a menu; in French, to one that starts title 2.
      {"menus2vts", {"--preset", "3", "--no-menu"}, {T1, T2, T3, T1, T2}},
      {"langunits", {"--preset", "3", "--no-menu"}, {T1, T2, T3, T1, T2}, "fr"},
      // langunits' menu language units differ: "en" has one program chain,
      // "fr" three, so the dispatcher must have the same number in both.
      // Before the first title the units go their own ways as authored; from
      // there on the chosen jumps and menus hold in either language, and the
      // title menu called at the end is the player's language's own.
      {"langunits", {"--preset", "3"}, {M, T1, T2, T3, T1, T2}, "en"},
      {"langunits", {"--preset", "3"}, {M, T2, T3, T1, T2, T3}, "fr"},
      {"langunits", {"--preset", "0"}, {M, T1, T2, T3, M, T1}, "en"},
      {"langunits", {"--preset", "0"}, {M, T2, T3, M, T2}, "fr"},
      {"langunits", {"--title", "2=stop"}, {M, T2, S}, "fr"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.disc) + " " + c.lang + " " + ::testing::PrintToString(c.args));
    // Enough titles to reach a STOP, and no more than the trace shows.
    const int titles = std::count_if(c.trace.begin(), c.trace.end(),
                                     [](const std::string& line) { return line.rfind("TITLE", 0) == 0; });
    EXPECT_EQ(PlayPatched(c.disc, c.args, c.lang, c.trace.back() == S ? titles + 1 : titles, c.edit),
              c.trace);
  }
}

}  // namespace
