// The benchmarks, on a disc of 99 title sets of one title each and a menu
// table of one language unit, in a temporary folder behind drive B:. Get info
// and execute are set against plain fread and fwrite of the same files.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "actions/get_info.h"
#include "actions/presets.h"
#include "author/execute.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/nav_vm.h"
#include "platform/platform.h"
#include "tests/unit/ifo_builder.h"

namespace {

template <typename F>
double MedianMicroseconds(int runs, F&& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Reads every information file (with `backups` its BUP as well, as get info
// compares them); with `copy`, writes each as copy_NAME.IFO and .BUP, flushed
// to the disk with `flush` as execute flushes.
void PlainIfoAccess(const std::string& host, bool copy, bool flush, bool backups = false) {
  static std::vector<unsigned char> buffer(kVmgImageCapacity);
  for (int n = 0; n <= 99; ++n) {
    char name[24] = "VIDEO_TS";
    if (n > 0) std::snprintf(name, sizeof name, "VTS_%02d_0", n);
    std::size_t size = 0;
    for (const char* extension : {".IFO", ".BUP"}) {
      if (extension[1] == 'B' && !backups) break;
      std::FILE* in = std::fopen((host + "/" + name + extension).c_str(), "rb");
      if (!in) std::abort();
      size = std::fread(buffer.data(), 1, buffer.size(), in);
      std::fclose(in);
    }
    for (const char* extension : {".IFO", ".BUP"}) {
      if (!copy) break;
      std::FILE* out = std::fopen((host + "/copy_" + name + extension).c_str(), "wb");
      if (!out || std::fwrite(buffer.data(), 1, size, out) != size) std::abort();
      if (flush && (std::fflush(out) != 0 || fsync(fileno(out)) != 0)) std::abort();
      std::fclose(out);
    }
  }
}

// The preview of 99 titles of 100 chapters, each chapter its own chain and
// every chain ending in a link to a chain of no title that links to itself:
// finding a chain's title must not cost a walk of every chapter.
void PreviewOfLongTitles() {
  testdisc::DiscSpec layout = testdisc::SimpleDisc(99, 1);
  const int chapters = 100, loop = chapters + 1;
  for (testdisc::Title& title : layout.vmg.titles) title.chapters = chapters;
  for (testdisc::VtsSpec& vts : layout.titleSets) {
    vts.titlePgcs.assign(loop, testdisc::Pgc{{}, {testdisc::C("20 04 00 00 00 00 00 65")}});  // LinkPGCN 101
    vts.chapters = {{}};
    for (int k = 1; k <= chapters; ++k) vts.chapters[0].push_back(k);
  }
  testdisc::LoadDisc(layout);
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    ImageRef vts = VtsImageRef(n);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    for (int k = 1; PgcOffset(vts, table, k) >= 0; ++k) VtsImage(n)[PgcOffset(vts, table, k) + 3] = 1;
  }
  static NavPreview preview;
  double time = MedianMicroseconds(5, [] { PreviewDisc(StoredVmgRef(), 0, &preview); });
  std::printf(
      "preview, 99 titles of 100 chapters ending in a looping chain: median %.0f us (goal 50000); "
      "after title 1: %s\n",
      time, preview.after[0].kind == NextKind::Repeat ? "repeats" : "not a repeat");
}

}  // namespace

int main() {
  char pattern[] = "/tmp/reelwrite-bench-XXXXXX";
  const std::string host = mkdtemp(pattern);
  testdisc::DiscSpec layout = testdisc::SimpleDisc(99, 1, testdisc::C("30 01 00 00 00 00 00 00"));
  layout.vmg.menus = {{"en", 0x80, {{{}, {}, {}, false, 0x82}, {}}}};
  for (testdisc::VtsSpec& vts : layout.titleSets) vts.titleVobBytes = {1 << 20};
  testdisc::WriteDisc(host, layout);
  platform::MapDrive('B', host.c_str());
  platform::SetMessageBoxHandler([](const char*, const char*, int style, platform::Question,
                                    void*) { return (style & 15) == 4 ? 6 : 1; },
                                 nullptr);

  double getInfo = MedianMicroseconds(101, [] {
    if (GetInfo("B:\\", 0, 0) != FolderRead) std::abort();
  });
  double read = MedianMicroseconds(101, [&] { PlainIfoAccess(host, false, false); });
  double readBoth = MedianMicroseconds(101, [&] { PlainIfoAccess(host, false, false, true); });
  std::printf("get info, 99 title sets, %d titles: median %.0f us\n", Disc.TitleCount, getInfo);
  std::printf("plain fread of the same 100 IFO files:  median %.0f us; ratio %.2f\n", read, getInfo / read);
  std::printf(
      "plain fread of those IFOs and their BUPs, the files get info reads:  median %.0f us; ratio %.2f\n",
      readBoth, getInfo / readBoth);

  // The builder's chains have no cells; give each title's one, so that
  // reaching it starts the title as on a real disc.
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    ImageRef vts = VtsImageRef(n);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    for (int k = 1; PgcOffset(vts, table, k) >= 0; ++k) VtsImage(n)[PgcOffset(vts, table, k) + 3] = 1;
  }
  static NavPreview preview;
  double asRead = MedianMicroseconds(21, [] { PreviewDisc(StoredVmgRef(), 0, &preview); });
  Disc.PresetIndex = 3;
  ApplyBatchPreset();
  Disc.RandomPlay = 1;
  if (!PatchVideoManager()) std::abort();
  PatchTitleSets();
  double random = MedianMicroseconds(5, [] { PreviewDisc(VmgImageRef(), 0, &preview); });
  int faults = 0;
  for (int t = 0; t < preview.titleCount; ++t) faults += preview.after[t].kind == NextKind::Fault;
  std::printf("preview, %d titles as read: median %.0f us\n", Disc.TitleCount, asRead);
  std::printf("preview, endless random play (99 draws per end): median %.0f us, %d faults\n", random, faults);

  PreviewOfLongTitles();
  if (GetInfo("B:\\", 0, 0) != FolderRead) return 1;
  Disc.PresetIndex = 3;
  ApplyBatchPreset();
  if (Execute("B:\\") != ExecuteSucceeded) return 1;  // the first one also makes the backup
  double execute = MedianMicroseconds(21, [] {
    if (Execute("B:\\") != ExecuteSucceeded) std::abort();
  });
  double copy = MedianMicroseconds(21, [&] { PlainIfoAccess(host, true, false); });
  double flushed = MedianMicroseconds(21, [&] { PlainIfoAccess(host, true, true); });
  std::printf("execute, 99 title sets (200 files): median %.0f us\n", execute);
  std::printf("plain fread/fwrite copy of the same IFO and BUP bytes: median %.0f us\n", copy);
  std::printf("the same copy with fsync per file:  median %.0f us\n", flushed);
  std::printf("ratio execute / copy: %.2f; execute / flushed copy: %.2f\n", execute / copy,
              execute / flushed);
  const std::size_t slash = host.rfind('/');
  const std::string backup = host.substr(0, slash + 1) + "ORIGINAL_IFO_" + host.substr(slash + 1);
  return std::system(("rm -rf '" + host + "' '" + backup + "'").c_str()) == 0 ? 0 : 1;
}
