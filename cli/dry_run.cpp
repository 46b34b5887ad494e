#include "cli/dry_run.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "actions/title_action.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "cli/console.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"

namespace {

std::string FirstPostText(int t) {
  TitleChain chain;
  if (!FindTitleChain(StoredVmgRef(), t, &chain)) return "(no program chain)";
  ImageRef vts = VtsImageRef(chain.titleSet);
  int64_t post = FirstPostCommand(vts, chain.pgc);
  if (post < 0) return "(no post command)";
  char text[24];
  FormatCommandText(vts.data + post, text);
  return text;
}

long CountChanged(const uint8_t* before, long beforeSize, const uint8_t* after, long afterSize) {
  long changed = beforeSize > afterSize ? beforeSize - afterSize : afterSize - beforeSize;
  long common = beforeSize < afterSize ? beforeSize : afterSize;
  for (long i = 0; i < common; ++i) changed += before[i] != after[i];
  return changed;
}

}  // namespace

bool PrintDryRun() {
  // The title set images are patched in place, so keep the bytes as read to
  // compare against and to put back afterwards.
  std::vector<uint8_t> asRead(
      Disc.IfoStore, Disc.IfoStore + Disc.IfoOffset[Disc.TitleSetCount] + Disc.IfoSize[Disc.TitleSetCount]);
  std::vector<std::string> before;
  for (int t = 0; t < Disc.TitleCount; ++t) before.push_back(FirstPostText(t));

  if (!CheckSharedChains() || !PatchVideoManager()) return false;
  PatchTitleSets();

  char line[256];
  PrintUtf8(stdout, "Dry run: nothing is written.\nTitle  End command now          ->  after\n");
  for (int t = 0; t < Disc.TitleCount; ++t) {
    std::snprintf(line, sizeof line, "%5d  %-23s  ->  %s\n", t + 1, before[t].c_str(),
                  FirstPostText(t).c_str());
    PrintUtf8(stdout, line);
  }
  PrintUtf8(stdout, "\nFile            Bytes changed (IFO; its BUP the same)\n");
  std::snprintf(line, sizeof line, "VIDEO_TS.IFO  %8ld\n",
                CountChanged(asRead.data(), Disc.IfoSize[0], Disc.VmgImage, Disc.VmgSize));
  PrintUtf8(stdout, line);
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    std::snprintf(
        line, sizeof line, "VTS_%02d_0.IFO  %8ld\n", n,
        CountChanged(asRead.data() + Disc.IfoOffset[n], Disc.IfoSize[n], VtsImage(n), Disc.IfoSize[n]));
    PrintUtf8(stdout, line);
  }

  std::memcpy(Disc.IfoStore, asRead.data(), asRead.size());
  std::memcpy(Disc.VmgImage, Disc.IfoStore, Disc.IfoSize[0]);
  Disc.VmgSize = Disc.IfoSize[0];
  return true;
}
