// Discs laid out as other authoring programs and pressed discs lay them out,
// made from dvdauthor's by re-laying out their tables: what libdvdread reads
// and libdvdnav plays is accepted, patched, played as chosen and burnt; a
// folder whose VOBs lack sectors its tables name is refused untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "disc/ifo_tables.h"
#include "tests/realdisc/disc_fixture.h"
#include "tests/realdisc/relayout.h"

namespace {

using Trace = std::vector<std::string>;
using Names = std::vector<std::string>;

// The title set ends on the next ECC block (16 sectors), its BUP behind the gap.
void GapBeforeBup(const std::string& copy) {
  IfoFile vts(copy, "VTS_01_0");
  vts.Put32(kVtsLastSector, (vts.Be32(kVtsLastSector) + 1) / 16 * 16 + 31);
  vts.Save();
}

void CutVob(const std::string& copy, const char* name, int sectors) {
  const std::filesystem::path vob = copy + "/" + name;
  std::filesystem::resize_file(vob, std::filesystem::file_size(vob) - 2048 * std::uintmax_t(sectors));
}

// The video manager's menu language units stored again: `stored` lists the
// units (1-based, as authored) in the order they are stored, `named[i]` the
// unit language i + 1 points at; each language keeps its code.
void RelayUnits(const std::string& copy, const std::vector<int>& stored, const std::vector<int>& named) {
  IfoFile vmg(copy, "VIDEO_TS");
  const std::size_t table = vmg.Table(kVmgMenuPgciUtSector), end = table + vmg.Be32(table + 4) + 1;
  std::vector<std::vector<uint8_t>> units;
  for (std::size_t u = 1; u <= named.size(); ++u) {
    auto from = vmg.bytes.begin() + std::ptrdiff_t(vmg.MenuUnit(int(u)));
    auto to = vmg.bytes.begin() + std::ptrdiff_t(u < named.size() ? vmg.MenuUnit(int(u + 1)) : end);
    units.emplace_back(from, to);
  }
  std::vector<std::size_t> at(units.size() + 1);
  std::size_t next = table + 8 + 8 * named.size();
  for (int u : stored) {
    at[std::size_t(u)] = next - table;
    std::copy(units[std::size_t(u - 1)].begin(), units[std::size_t(u - 1)].end(),
              vmg.bytes.begin() + std::ptrdiff_t(next));
    next += units[std::size_t(u - 1)].size();
  }
  std::fill(vmg.bytes.begin() + std::ptrdiff_t(next), vmg.bytes.begin() + std::ptrdiff_t(end), 0);
  for (std::size_t i = 0; i < named.size(); ++i)
    vmg.Put32(table + 12 + 8 * i, uint32_t(at[std::size_t(named[i])]));
  vmg.Put32(table + 4, uint32_t(next - table - 1));
  vmg.Save();
}
void SharedUnit(const std::string& copy) { RelayUnits(copy, {1}, {1, 1}); }
void UnitsOutOfOrder(const std::string& copy) { RelayUnits(copy, {2, 1}, {1, 2}); }

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
