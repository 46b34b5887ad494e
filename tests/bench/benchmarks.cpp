// The benchmarks, on a disc of 99 title sets of one title each and a menu
// table of one language unit, in a temporary folder behind drive B:. Get info
// and execute are set against plain fread and fwrite of the same files.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "actions/get_info.h"
#include "actions/presets.h"
#include "author/execute.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/nav_vm.h"
#include "tests/unit/ifo_builder.h"
#include "tests/unit/temp_folder.h"

static std::string folder;  // the disc's; its backup goes beside it
static std::vector<unsigned char> buffer(kVmgImageCapacity);
static NavPreview preview;

static void Require(bool holds) { return holds ? void() : std::abort(); }
int Yes(const char*, const char*, int style, platform::Question, void*) { return style % 16 == 4 ? 6 : 1; }

template <typename F>
static double Median(int runs, F&& work) {
  std::vector<double> us;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(us.begin(), us.end());
  return us[us.size() / 2];
}

// Reads every IFO (with `reads` 2 its BUP as well, as get info compares
// them); with `copy`, writes its bytes as copy_NAME.BUP and .IFO, with
// `flush` synced to the disk as execute does.
static void PlainIfoAccess(int reads, bool copy = false, bool flush = false) {
  for (int n = 0; n <= 99; ++n) {
    const std::string name = n ? "VTS_" + std::to_string(100 + n).substr(1) + "_0." : "VIDEO_TS.";
    std::size_t size = 0;
    for (int e = 0; e < reads + (copy ? 2 : 0); ++e) {
      const bool write = e >= reads;
      const std::string path = folder + (write ? "copy_" : "") + name + (e % 2 ? "BUP" : "IFO");
      std::FILE* f = std::fopen(path.c_str(), write ? "wb" : "rb");
      Require(f && (write ? std::fwrite(buffer.data(), 1, size, f) == size
                          : (size = std::fread(buffer.data(), 1, buffer.size(), f)) > 0));
      Require((!write || !flush || (std::fflush(f) == 0 && fsync(fileno(f)) == 0)) && std::fclose(f) == 0);
    }
  }
}

// The builder's chains have no cells; each gets one, so that reaching a
// title's chain starts the title as on a real disc.
static double PreviewWithCells(int runs) {
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    ImageRef vts = VtsImageRef(n);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    for (int k = 1; PgcOffset(vts, table, k) >= 0; ++k) VtsImage(n)[PgcOffset(vts, table, k) + 3] = 1;
  }
  return Median(runs, [] { PreviewDisc(StoredVmgRef(), 0, &preview); });
}

int main() {
  TempFolder drive('B');
  std::filesystem::create_directory(folder = drive.HostName("DISC/"));
  testdisc::DiscSpec layout = testdisc::SimpleDisc(99, 1, testdisc::C("30 01 00 00 00 00 00 00"));
  layout.vmg.menus = {{"en", 0x80, {{{}, {}, {}, false, 0x82}, {}}}};
  for (testdisc::VtsSpec& vts : layout.titleSets) vts.titleVobBytes = {1 << 20};
  testdisc::WriteDisc(folder, layout);
  platform::SetMessageBoxHandler(Yes, nullptr);

  const double getInfo = Median(101, [] { Require(GetInfo("B:\\DISC", 0, 0) == FolderRead); });
  std::printf("get info, 99 title sets, %d titles: median %.0f us\n", Disc.TitleCount, getInfo);
  const double read = Median(101, [] { PlainIfoAccess(1); }), both = Median(101, [] { PlainIfoAccess(2); });
  std::printf("plain fread of the same 100 IFO files:  median %.0f us; ratio %.2f\n", read, getInfo / read);
  std::printf(
      "plain fread of those IFOs and their BUPs, the files get info reads:  median %.0f us; ratio %.2f\n",
      both, getInfo / both);
  std::printf("preview, %d titles as read: median %.0f us\n", Disc.TitleCount, PreviewWithCells(21));
  Disc.PresetIndex = 3, ApplyBatchPreset();
  Disc.RandomPlay = 1;
  Require(PatchVideoManager());
  PatchTitleSets();
  const double random = Median(5, [] { PreviewDisc(VmgImageRef(), 0, &preview); });
  std::printf("preview, endless random play (99 draws per end): median %.0f us, %d faults\n", random,
              int(std::count_if(preview.after, preview.after + preview.titleCount,
                                [](const NavNext& next) { return next.kind == NextKind::Fault; })));

  // 99 titles of 100 chapters, each chapter its own chain and every chain
  // ending in a link to a chain of no title that links to itself: finding a
  // chain's title must not cost a walk of every chapter.
  testdisc::DiscSpec looping = testdisc::SimpleDisc(99, 1);
  for (testdisc::Title& title : looping.vmg.titles) title.chapters = 100;
  for (testdisc::VtsSpec& vts : looping.titleSets) {
    vts.titlePgcs.assign(101, testdisc::Pgc{{}, {testdisc::C("20 04 00 00 00 00 00 65")}});  // LinkPGCN 101
    vts.chapters = {std::vector<int>(100)};
    for (int k = 0; k < 100; ++k) vts.chapters[0][k] = k + 1;
  }
  testdisc::LoadDisc(looping);
  const double looped = PreviewWithCells(5);
  std::printf(
      "preview, 99 titles of 100 chapters ending in a looping chain: median %.0f us (goal 50000); "
      "after title 1: %s\n",
      looped, preview.after[0].kind == NextKind::Repeat ? "repeats" : "not a repeat");

  Require(GetInfo("B:\\DISC", 0, 0) == FolderRead);
  Disc.PresetIndex = 3, ApplyBatchPreset();
  Require(Execute("B:\\DISC") == ExecuteSucceeded);  // the first one also makes the backup
  const double execute = Median(21, [] { Require(Execute("B:\\DISC") == ExecuteSucceeded); });
  const double copy = Median(21, [] { PlainIfoAccess(1, true); }),
               flushed = Median(21, [] { PlainIfoAccess(1, true, true); });
  std::printf(
      "execute, 99 title sets (200 files): median %.0f us\n"
      "plain fread/fwrite copy of the same IFO and BUP bytes: median %.0f us\n"
      "the same copy with fsync per file:  median %.0f us\n"
      "ratio execute / copy: %.2f; execute / flushed copy: %.2f\n",
      execute, copy, flushed, execute / copy, execute / flushed);
}
