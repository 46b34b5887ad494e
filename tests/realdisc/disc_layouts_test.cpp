// Discs laid out as other authoring programs and pressed discs lay them out,
// made from dvdauthor's by re-laying out their tables: what libdvdread reads
// and libdvdnav plays is accepted, patched, played as chosen and burnt; a
// folder whose VOBs lack sectors its tables name is refused untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"

namespace {

using Trace = std::vector<std::string>;
using Names = std::vector<std::string>;

uint32_t Get32(const std::string& b, std::size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
         uint32_t(uint8_t(b[at + 2])) << 8 | uint8_t(b[at + 3]);
}
void Put32(std::string& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (24 - 8 * i));
}

// An information file and its BUP, changed alike.
void EditInfo(const std::string& copy, const std::string& ifo, void (*edit)(std::string& bytes)) {
  std::string bytes = ReadFolder(copy, true).at(ifo);
  edit(bytes);
  for (const char* extension : {"IFO", "BUP"})
    std::ofstream(copy + "/" + ifo.substr(0, 9) + extension, std::ios::binary) << bytes;
}

// The title set ends on the next ECC block (16 sectors), its BUP behind the gap.
void GapBeforeBup(const std::string& copy) {
  EditInfo(copy, "VTS_01_0.IFO",
           [](std::string& ifo) { Put32(ifo, 0x0C, (Get32(ifo, 0x0C) + 1) / 16 * 16 + 31); });
}

void CutVob(const std::string& copy, const char* name, int sectors) {
  const std::filesystem::path vob = copy + "/" + name;
  std::filesystem::resize_file(vob, std::filesystem::file_size(vob) - 2048 * std::uintmax_t(sectors));
}

// The video manager's menu language units stored again: `stored` lists the
// units (as authored, 0-based) in the order they are stored, `named[i]` the
// unit language i points at; each language keeps its code.
template <int... Named>
void RelayUnits(std::string& ifo, std::vector<int> stored) {
  const std::vector<int> named = {Named...};
  const std::size_t table = 2048 * std::size_t(Get32(ifo, 0xC8)), end = table + Get32(ifo, table + 4) + 1;
  const std::size_t pointers = 8 + 8 * named.size();
  std::vector<std::string> units;
  for (std::size_t i = 0; i < named.size(); ++i) {
    const std::size_t from = table + Get32(ifo, table + 12 + 8 * i);
    units.push_back(
        ifo.substr(from, (i + 1 < named.size() ? table + Get32(ifo, table + 20 + 8 * i) : end) - from));
  }
  std::string out = ifo.substr(table, pointers);
  std::vector<std::size_t> at(units.size());
  for (int u : stored) at[u] = out.size(), out += units[u];
  for (std::size_t i = 0; i < named.size(); ++i) Put32(out, 12 + 8 * i, uint32_t(at[named[i]]));
  Put32(out, 4, uint32_t(out.size() - 1));
  ifo.replace(table, end - table, out + std::string(end - table - out.size(), '\0'));
}
void SharedUnit(const std::string& copy) {
  EditInfo(copy, "VIDEO_TS.IFO", [](std::string& ifo) { RelayUnits<0, 0>(ifo, {0}); });
}
void UnitsOutOfOrder(const std::string& copy) {
  EditInfo(copy, "VIDEO_TS.IFO", [](std::string& ifo) { RelayUnits<0, 1>(ifo, {1, 0}); });
}

// As a Linux ISO 9660 mount shows the files.
void LowerCaseNames(const std::string& copy) {
  for (const auto& [name, bytes] : ReadFolder(copy)) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::filesystem::rename(copy + "/" + name, copy + "/" + lower);
  }
}

Trace Play(const std::string& disc, const char* lang, int titles) {
  std::vector<std::string> args = {"nav_trace", disc, "--max-titles", std::to_string(titles)};
  if (*lang) args.insert(args.end(), {"--lang", lang});
  Trace lines;
  std::istringstream out(RunProgram(args).out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  return lines;
}

TEST(DiscLayouts, ValidLayoutsArePatchedAndPlayedAndIncompleteOnesRefused) {
  const char* const M = "MENU";
  const char* const T1 = "TITLE 1";
  const char* const T2 = "TITLE 2";
  const char* const T3 = "TITLE 3";
  const char* const S = "STOP";
  const struct {
    const char* what;
    const char* disc;
    void (*edit)(const std::string& copy);
    std::string refused;  // part of the refusal; empty: accepted
    std::vector<std::string> args = {};
    Trace trace = {};  // libdvdnav after apply, from the folder and from the burnt image
    const char* lang = "";
    bool burn = false;  // and play the image genisoimage -dvd-video makes of it
  } layouts[] = {
      {"video manager set smaller than recorded",
       "smallvmg",
       nullptr,
       "",
       {"--preset", "3"},
       {M, T1, T2, T1, T2},
       "",
       true},
      {"gap before a BUP", "sample", GapBeforeBup, "", {"--preset", "2"}, {M, T1, T2, T3, S}, "", true},
      {"menu VOB cut under the recorded padding", "smallvmg",
       [](const std::string& copy) { CutVob(copy, "VIDEO_TS.VOB", 2); },
       "VIDEO_TS.VOBが足りません（VIDEO_TS.IFOは7セクタ目まで参照していますが, ファイルは5セクタです）"},
      {"title VOB cut before a gap", "sample",
       [](const std::string& copy) {
         GapBeforeBup(copy);
         CutVob(copy, "VTS_01_1.VOB", 1);
       },
       "VTS_01_1.VOB〜が足りません"},
      {"IFOs without their VOBs", "sample",
       [](const std::string& copy) {
         for (const char* vob : {"VIDEO_TS.VOB", "VTS_01_1.VOB"}) std::filesystem::remove(copy + "/" + vob);
       },
       "VIDEO_TS.VOBが足りません"},
      {"two languages sharing a unit",
       "langunits",
       SharedUnit,
       "",
       {"--preset", "3"},
       {M, T1, T2, T3, T1, T2},
       "fr"},
      {"units stored out of order",
       "langunits",
       UnitsOutOfOrder,
       "",
       {"--preset", "3"},
       {M, T2, T3, T1, T2, T3},
       "fr"},
      {"units stored out of order",
       "langunits",
       UnitsOutOfOrder,
       "",
       {"--preset", "0"},
       {M, T1, T2, T3, M, T1},
       "en"},
      {"lower-case names", "sample", LowerCaseNames, "", {"--preset", "3"}, {M, T1, T2, T3, T1, T2}},
  };
  for (const auto& l : layouts) {
    SCOPED_TRACE(std::string(l.what) + " " + l.lang);
    TempFolder folder;
    const std::string copy = CopyOfDisc(folder, l.disc);
    if (l.edit) l.edit(copy);
    const FolderFiles before = ReadFolder(copy);
    ProgramRun info = Reelwrite({"info", copy});
    std::vector<std::string> apply = {"apply", copy, "--yes"};
    apply.insert(apply.end(), l.args.begin(), l.args.end());
    ProgramRun run = Reelwrite(
        l.refused.empty() ? apply : std::vector<std::string>{"apply", copy, "--yes", "--preset", "3"});
    if (!l.refused.empty()) {
      EXPECT_NE(info.err.find(l.refused), std::string::npos) << info.err;
      EXPECT_EQ(run.exit, 1) << run.err;
      EXPECT_EQ(Differences(ReadFolder(copy), before), Names{});
      EXPECT_FALSE(std::filesystem::exists(folder.HostName("ORIGINAL_IFO")));
      continue;
    }
    ASSERT_EQ(info.exit, 0) << info.err;
    ASSERT_EQ(run.exit, 0) << run.err;
    ProgramRun listing = RunProgram({"dvdread_list", copy});
    EXPECT_EQ(listing.exit, 0) << listing.out;
    // Every file under the name it was found with, none beside it.
    Names found, kept;
    for (const auto& f : before) found.push_back(f.first);
    for (const auto& f : ReadFolder(copy)) kept.push_back(f.first);
    EXPECT_EQ(kept, found);
    const int titles = int(std::count_if(
        l.trace.begin(), l.trace.end(), [](const std::string& line) { return line.rfind("TITLE", 0) == 0; }));
    const int play = l.trace.back() == S ? titles + 1 : titles;
    EXPECT_EQ(Play(copy, l.lang, play), l.trace);
    if (!l.burn) continue;
    TempFolder image('D');
    const std::string iso = image.HostName("disc.iso");
    run = RunProgram({"/usr/bin/genisoimage", "-quiet", "-dvd-video", "-o", iso, folder.host()});
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Play(iso, l.lang, play), l.trace);
  }
}

}  // namespace
