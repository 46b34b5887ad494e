// make_fuzz_seeds OUTDIR: writes the fuzzers' starting inputs, valid discs
// from the test builder, to OUTDIR/ifo and OUTDIR/command.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "actions/presets.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/menu_table.h"
#include "platform/platform.h"
#include "tests/fuzz/disc_input.h"
#include "tests/unit/ifo_builder.h"

using namespace testdisc;

namespace {

std::string outdir;

void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
  WriteBytes(outdir + "/" + name, bytes);
  std::printf("%s/%s (%zu bytes)\n", outdir.c_str(), name.c_str(), bytes.size());
}

fuzzdisc::Input FromBuilt(const BuiltDisc& b, uint8_t flags) {
  fuzzdisc::Input in;
  in.flags = flags;
  in.presetIndex = 3;
  in.menuRegister = 5;
  in.vmgMenuVob64k = 2;
  for (int n = 0; n < fuzzdisc::kMaxTitleSetImages; ++n) {
    in.menuVob64k[n] = uint16_t(n);
    in.titleVobSectors256[n] = uint16_t(4 + n);
  }
  const uint8_t command[8] = {0x30, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00};
  std::memcpy(in.command, command, 8);
  for (int j = 0; j < fuzzdisc::kTitleActions; ++j) in.titles[j] = {uint8_t(j), uint8_t(3 * j + 1)};
  in.images.push_back(b.vmg.bytes);
  for (const BuiltImage& v : b.vts) in.images.push_back(v.bytes);
  return in;
}

Pgc MenuPgc(std::vector<Cmd> pre, std::vector<Cmd> post, uint8_t category = 0) {
  Pgc p;
  p.pre = std::move(pre);
  p.post = std::move(post);
  p.category = category;
  return p;
}

// Two language units with different numbers of chains, menus that use g1
// and g2, a First Play with commands.
DiscSpec LanguageUnits() {
  DiscSpec d = SimpleDisc(1, 3);
  d.titleSets[0].titlePgcs[2].post = {C("30 01 00 00 00 00 00 00")};
  d.vmg.firstPlay = MenuPgc({C("71 00 00 01 00 00 00 00")}, {C("30 06 00 00 00 42 00 00")});
  d.vmg.menus = {{"en"}, {"fr"}};
  d.vmg.menus[0].pgcs = {MenuPgc({}, {C("30 02 00 00 00 01 00 00")}, 0x82)};
  d.vmg.menus[1].pgcs = {MenuPgc({C("00 a1 00 01 00 01 00 00")}, {C("20 04 00 02 00 00 00 00")}, 0x82),
                         MenuPgc({}, {C("20 04 00 03 00 00 00 00")}),
                         MenuPgc({}, {C("30 02 00 00 00 02 00 00")})};
  return d;
}

// Two title sets, each with its own menus; titles calling them.
DiscSpec TitleSetMenus() {
  DiscSpec d = SimpleDisc(2, 2);
  d.titleSets[0].titlePgcs[1].post = {C("30 08 00 00 01 83 00 00")};
  d.titleSets[1].titlePgcs[0].pre = {C("71 00 00 02 00 05 00 00")};
  d.titleSets[1].titlePgcs[1].noCommandTable = true;
  d.vmg.menus = {{"en"}};
  d.vmg.menus[0].pgcs = {MenuPgc({C("00 a1 00 01 00 01 00 00"), C("71 00 00 01 00 01 00 00")},
                                 {C("30 02 00 00 00 01 00 00")}, 0x82)};
  for (VtsSpec& v : d.titleSets) {
    v.menus = {{"en"}};
    v.menus[0].pgcs = {MenuPgc({C("71 00 00 02 00 05 00 00")}, {C("30 06 00 00 00 42 00 00")}, 0x83)};
  }
  d.titleSets[1].titleVobBytes = {1 << 20};
  return d;
}

// The disc as execute leaves it.
std::vector<std::vector<uint8_t>> Patched(const DiscSpec& d, int preset, bool noMenu, bool random) {
  std::memset(&Disc, 0, sizeof Disc);
  LoadDisc(d);
  PrepareMenuTable();
  Disc.PresetIndex = preset;
  ApplyBatchPreset();
  Disc.NoMenu = noMenu;
  Disc.RandomPlay = random;
  if (!PatchVideoManager()) throw std::runtime_error("the seed disc was refused");
  PatchTitleSets();
  std::vector<std::vector<uint8_t>> images{{Disc.VmgImage, Disc.VmgImage + Disc.VmgSize}};
  for (int n = 1; n <= Disc.TitleSetCount; ++n)
    images.emplace_back(VtsImage(n), VtsImage(n) + Disc.IfoSize[n]);
  return images;
}

void WriteIfoSeeds() {
  using fuzzdisc::Encode;
  Write("no_menus", Encode(FromBuilt(BuildDisc(SimpleDisc(1, 3)), fuzzdisc::kTitleActionsGiven)));
  Write("language_units",
        Encode(FromBuilt(BuildDisc(LanguageUnits()), fuzzdisc::kApplyPreset | fuzzdisc::kReadBack)));
  Write("title_set_menus",
        Encode(FromBuilt(BuildDisc(TitleSetMenus()),
                         fuzzdisc::kNoMenu | fuzzdisc::kSetRegister | fuzzdisc::kTitleActionsGiven)));
  DiscSpec three = SimpleDisc(3, 2, C("30 01 00 00 00 00 00 00"));
  three.vmg.menus = {{"en"}};
  three.vmg.menus[0].pgcs.resize(2);
  Write("three_title_sets", Encode(FromBuilt(BuildDisc(three), fuzzdisc::kRandomPlay | fuzzdisc::kReadBack)));

  // VIDEO_TS.IFO stretched to just under and to just over what the menu
  // table may grow it to.
  for (uint8_t size64k : {31, 32}) {
    fuzzdisc::Input big = FromBuilt(BuildDisc(LanguageUnits()), fuzzdisc::kApplyPreset);
    big.vmgSize64k = size64k;
    Write("language_units_" + std::to_string(size64k * 64) + "k", Encode(big));
  }

  fuzzdisc::Input patched = FromBuilt(BuildDisc(LanguageUnits()), fuzzdisc::kReadBack);
  patched.images = Patched(LanguageUnits(), 0, false, false);
  Write("patched_language_units", Encode(patched));
  patched = FromBuilt(BuildDisc(TitleSetMenus()), fuzzdisc::kTitleActionsGiven | fuzzdisc::kNoMenu);
  patched.images = Patched(TitleSetMenus(), 7, true, true);
  Write("patched_title_set_menus", Encode(patched));
}

void WriteCommandSeeds() {
  const char* texts[] = {"30 02 00 00 00 01 00 00", "71000001000500 00", " +1-2 zz 3"};
  const uint8_t commands[][8] = {{0x30, 0x08, 0x00, 0x02, 0x01, 0xC0, 0x00, 0x00},
                                 {0x00, 0xA1, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00},
                                 {0x51, 0x00, 0x00, 0x81, 0x00, 0x00, 0x00, 0x00}};
  for (int i = 0; i < 3; ++i) {
    std::vector<uint8_t> seed = {uint8_t(10 + 20 * i), uint8_t(i)};
    seed.insert(seed.end(), commands[i], commands[i] + 8);
    seed.insert(seed.end(), texts[i], texts[i] + std::strlen(texts[i]));
    Write("command_" + std::to_string(i + 1), seed);
  }
}

int Ignore(const char*, const char*, int, void*) { return 1; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds OUTDIR\n");
    return 2;
  }
  platform::SetMessageBoxHandler(Ignore, nullptr);
  std::string root = argv[1];
  mkdir(root.c_str(), 0755);
  outdir = root + "/ifo";
  mkdir(outdir.c_str(), 0755);
  WriteIfoSeeds();
  outdir = root + "/command";
  mkdir(outdir.c_str(), 0755);
  WriteCommandSeeds();
  // The project harness changes a saved project where its input says; the
  // history harness reads its input as the file.
  outdir = root + "/project";
  mkdir(outdir.c_str(), 0755);
  Write("whole", {0});
  Write("cut_in_half", {128});
  Write("title_counts", {0, 0, 0, 0x10, 8, 0, 0, 0, 99, 0, 0, 0, 99});
  outdir = root + "/history";
  mkdir(outdir.c_str(), 0755);
  std::string history = "REELWRITE0140HST" + std::string(8, '\0') + std::string(8, '\0') +
                        "C:\\DVD\\VIDEO_TS\\" + std::string(260 - 16, '\0') + std::string(4, '\3') +
                        std::string(4, '\0');
  Write("history", std::vector<uint8_t>(history.begin(), history.end()));
  Write("short", std::vector<uint8_t>(history.begin(), history.begin() + 40));
  return 0;
}
