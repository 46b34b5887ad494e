// The playback preview of a 99-title disc: as read, and patched endless
// with random play, where every end is a draw over all 99 titles.
#include <cstdio>

#include "actions/presets.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/get_info.h"
#include "disc/nav_vm.h"
#include "tests/bench/synthetic_disc.h"

int main() {
  std::string host = bench::MakeSyntheticDisc();
  platform::SetMessageBoxHandler(bench::Quiet, nullptr);
  if (GetInfo("B:\\", 0, 0) != FolderRead) std::abort();
  // The builder's chains have no cells; give each title's one, so that
  // reaching it starts the title as on a real disc.
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    ImageRef vts = VtsImageRef(n);
    int64_t table = TableOffset(vts, kVtsPgcitSector);
    for (int k = 1; PgcOffset(vts, table, k) >= 0; ++k) VtsImage(n)[PgcOffset(vts, table, k) + 3] = 1;
  }
  static NavPreview preview;
  double asRead = bench::MedianMicroseconds(21, [] { PreviewDisc(StoredVmgRef(), 0, &preview); });

  Disc.PresetIndex = 3;
  ApplyBatchPreset();
  Disc.RandomPlay = 1;
  if (!PatchVideoManager()) std::abort();
  PatchTitleSets();
  double random = bench::MedianMicroseconds(5, [] { PreviewDisc(VmgImageRef(), 0, &preview); });

  int faults = 0;
  for (int t = 0; t < preview.titleCount; ++t) faults += preview.after[t].kind == NextKind::Fault;
  std::printf("preview, %d titles as read: median %.0f us\n", Disc.TitleCount, asRead);
  std::printf("preview, endless random play (99 draws per end): median %.0f us, %d faults\n", random, faults);
  bench::RemoveSyntheticDisc(host);
  return 0;
}
