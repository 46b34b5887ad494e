// make_fuzz_seeds OUTDIR: writes the fuzz targets' starting inputs to
// OUTDIR/TARGET, the disc targets' (OUTDIR/ifo) from the test builder's discs.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/menu_table.h"
#include "tests/fuzz/fuzz_driver.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

std::string outdir;

void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  WriteBytes(outdir + "/" + name, bytes);
  std::printf("%s/%s (%zu bytes)\n", outdir.c_str(), name.c_str(), bytes.size());
}

void Folder(const std::string& root, const char* target) {
  outdir = root + "/" + target;
  mkdir(outdir.c_str(), 0755);
}

// The images of `d`, or of `d` as execute leaves it after `preset` and both options.
fuzz::Input FromDisc(const DiscSpec& d, uint8_t flags, int preset = -1) {
  fuzz::Input in;
  in.header = {flags,
               3,
               5,
               0,
               {},
               {0, 2},
               {{{0, 0}, {0, 4}}, {{0, 1}, {0, 5}}, {{0, 2}, {0, 6}}},
               {0x30, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00},
               {}};
  for (uint8_t j = 0; j < 8; ++j) in.header.titles[j][0] = j, in.header.titles[j][1] = uint8_t(3 * j + 1);
  BuiltDisc b = BuildDisc(d);
  in.images.push_back(b.vmg.bytes);
  for (const BuiltImage& v : b.vts) in.images.push_back(v.bytes);
  if (preset < 0) return in;
  std::memset(&Disc, 0, sizeof Disc);
  LoadDisc(b);
  DeriveActionsFromDisc(PrepareMenuTable());
  Disc.PresetIndex = preset;
  ApplyBatchPreset();
  Disc.NoMenu = Disc.RandomPlay = preset > 0;
  fuzz::Require(PatchVideoManager(), "the seed disc is patched");
  PatchTitleSets();
  in.images = {{Disc.VmgImage, Disc.VmgImage + Disc.VmgSize}};
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    in.images.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  return in;
}

// Two language units with different numbers of chains, menus that use g1
// and g2, a First Play with commands.
DiscSpec LanguageUnits() {
  DiscSpec d = SimpleDisc(1, 3);
  d.titleSets[0].titlePgcs[2].post = {C("30 01 00 00 00 00 00 00")};
  d.vmg.firstPlay = Pgc{{C("71 00 00 01 00 00 00 00")}, {C("30 06 00 00 00 42 00 00")}};
  d.vmg.menus = {{"en"}, {"fr"}};
  d.vmg.menus[0].pgcs = {{{}, {C("30 02 00 00 00 01 00 00")}, {}, false, 0x82}};
  d.vmg.menus[1].pgcs = {{{C("00 a1 00 01 00 01 00 00")}, {C("20 04 00 02 00 00 00 00")}, {}, false, 0x82},
                         {{}, {C("20 04 00 03 00 00 00 00")}},
                         {{}, {C("30 02 00 00 00 02 00 00")}}};
  return d;
}

// Two title sets, each with its own menus; titles calling them.
DiscSpec TitleSetMenus() {
  DiscSpec d = SimpleDisc(2, 2);
  d.titleSets[0].titlePgcs[1].post = {C("30 08 00 00 01 83 00 00")};
  d.titleSets[1].titlePgcs[0].pre = {C("71 00 00 02 00 05 00 00")};
  d.titleSets[1].titlePgcs[1].noCommandTable = true;
  d.vmg.menus = {{"en",
                  0x80,
                  {{{C("00 a1 00 01 00 01 00 00"), C("71 00 00 01 00 01 00 00")},
                    {C("30 02 00 00 00 01 00 00")},
                    {},
                    false,
                    0x82}}}};
  for (VtsSpec& v : d.titleSets)
    v.menus = {
        {"en", 0x80, {{{C("71 00 00 02 00 05 00 00")}, {C("30 06 00 00 00 42 00 00")}, {}, false, 0x83}}}};
  d.titleSets[1].titleVobBytes = {1 << 20};
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
    return 2;
  }
  fuzz::Init();
  const std::string root = argv[1];
  mkdir(root.c_str(), 0755);
  Folder(root, "ifo");
  using namespace fuzz;
  Write("no_menus", Encode(FromDisc(SimpleDisc(1, 3), kTitleActions)));
  Write("language_units", Encode(FromDisc(LanguageUnits(), kApplyPreset | kReadBack)));
  Write("title_set_menus", Encode(FromDisc(TitleSetMenus(), kNoMenu | kSetRegister | kTitleActions)));
  DiscSpec three = SimpleDisc(3, 2, C("30 01 00 00 00 00 00 00"));
  three.vmg.menus = {{"en"}};
  three.vmg.menus[0].pgcs.resize(2);
  Write("three_title_sets", Encode(FromDisc(three, kRandomPlay | kReadBack)));
  // VIDEO_TS.IFO stretched to just under and just over what the menu table may grow it to.
  for (uint8_t size64k : {31, 32}) {
    Input big = FromDisc(LanguageUnits(), kApplyPreset);
    big.header.vmgSize64k = size64k;
    Write("language_units_" + std::to_string(size64k * 64) + "k", Encode(big));
  }
  Write("patched_language_units", Encode(FromDisc(LanguageUnits(), kReadBack, 0)));
  Write("patched_title_set_menus", Encode(FromDisc(TitleSetMenus(), kTitleActions | kNoMenu, 7)));

  Folder(root, "command");  // buffer size, title entry, command, typed text
  const char* texts[] = {"30 02 00 00 00 01 00 00", "71000001000500 00", " +1-2 zz 3"};
  const char* commands[] = {"30 08 00 02 01 C0 00 00", "00 A1 00 01 00 01 00 00", "51 00 00 81 00 00 00 00"};
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> seed = Hex(commands[i]);
    seed.insert(seed.begin(), {uint8_t(10 + 20 * i), uint8_t(i)});
    seed.insert(seed.end(), texts[i], texts[i] + std::strlen(texts[i]));
    Write("command_" + std::to_string(i + 1), seed);
  }
  Folder(root, "project");  // see project_fuzzer.cpp
  Write("whole", {0});
  Write("cut_in_half", {128});
  Write("title_counts", {0, 0, 0, 0x10, 8, 0, 0, 0, 99, 0, 0, 0, 99});
  Folder(root, "history");  // the file itself
  std::string history = "REELWRITE0140HST" + std::string(16, '\0') + "C:\\DVD\\VIDEO_TS\\" +
                        std::string(260 - 16, '\0') + std::string(4, '\3') + std::string(4, '\0');
  Write("history", std::vector<uint8_t>(history.begin(), history.end()));
  Write("short", std::vector<uint8_t>(history.begin(), history.begin() + 40));
  return 0;
}
