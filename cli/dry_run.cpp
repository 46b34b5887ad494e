#include "cli/dry_run.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "actions/title_action.h"
#include "author/command_table_growth.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "cli/console.h"
#include "cli/trace.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/nav_vm.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "platform/platform.h"

namespace {

std::string FirstPostText(int t) {
  TitleChain chain;
  if (!FindTitleChain(StoredVmgRef(), t, &chain)) return "(no program chain)";
  ImageRef vts = VtsImageRef(chain.titleSet);
  EndSlot end = FindEndSlot(vts, chain.pgc);
  int64_t post = end.slot;
  if (post < 0) return end.cellCommand > 0 ? "(a shared cell command)" : "(no post command)";
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

// Where each information file lay in IfoStore as read, and its size.
static int32_t ReadOffset[kMaxTitleSets + 1], ReadSize[kMaxTitleSets + 1];
static std::vector<std::string> Growth;

const std::vector<std::string>& PatchGrowth() { return Growth; }

static void NoteGrowth() {
  Growth.clear();
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    int sectors = (Disc.IfoSize[n] - ReadSize[n]) / kSectorSize;
    if (sectors <= 0) continue;
    char line[64];
    std::snprintf(line, sizeof line, "VTS_%02d_0.IFO grows by %d sector%s", n % 100, sectors,
                  sectors == 1 ? "" : "s");
    Growth.push_back(line);
  }
}

bool WithPatchedImages(bool quiet, const std::function<void(const uint8_t* asRead)>& look) {
  // The title set images are patched (and may grow) in place, so keep the
  // bytes as read to compare against and to put back afterwards.
  std::vector<uint8_t> asRead(
      Disc.IfoStore, Disc.IfoStore + Disc.IfoOffset[Disc.TitleSetCount] + Disc.IfoSize[Disc.TitleSetCount]);
  std::memcpy(ReadOffset, Disc.IfoOffset, sizeof ReadOffset);
  std::memcpy(ReadSize, Disc.IfoSize, sizeof ReadSize);
  platform::MessageBoxHandler shown = nullptr;
  void* shownContext = platform::MessageBoxContext();
  if (quiet)
    shown = platform::SetMessageBoxHandler([](const char*, const char*, int, void*) { return 7; }, nullptr);
  bool patched = CheckFixedEnds() && CheckSharedChains() && CheckCommandTableGrowth();
  if (patched) GrowCommandTables();
  patched = patched && PatchVideoManager();
  if (patched) {
    PatchTitleSets();
    NoteGrowth();
    look(asRead.data());
  }
  if (quiet) platform::SetMessageBoxHandler(shown, shownContext);
  std::memcpy(Disc.IfoOffset, ReadOffset, sizeof ReadOffset);
  std::memcpy(Disc.IfoSize, ReadSize, sizeof ReadSize);
  std::memcpy(Disc.IfoStore, asRead.data(), asRead.size());
  std::memcpy(Disc.VmgImage, Disc.IfoStore, Disc.IfoSize[0]);
  Disc.VmgSize = Disc.IfoSize[0];
  return patched;
}

bool PrintDryRun() {
  std::vector<std::string> before;
  for (int t = 0; t < Disc.TitleCount; ++t) before.push_back(FirstPostText(t));
  static NavPreview now, after;
  PreviewDisc(StoredVmgRef(), 0, &now);

  return WithPatchedImages(false, [&](const uint8_t* asRead) {
    char line[512];
    PrintUtf8(stdout, "Dry run: nothing is written.\nTitle  End command now          ->  after\n");
    for (int t = 0; t < Disc.TitleCount; ++t) {
      std::snprintf(line, sizeof line, "%5d  %-23s  ->  %s\n", t + 1, before[t].c_str(),
                    FirstPostText(t).c_str());
      PrintUtf8(stdout, line);
    }
    PreviewDisc(VmgImageRef(), now.language, &after);
    PrintUtf8(stdout, "\nPlayback        now                             ->  after\n");
    for (int t = 0; t <= now.titleCount; ++t) {
      const NavNext& was = t ? now.after[t - 1] : now.start;
      const NavNext& will = t ? after.after[t - 1] : after.start;
      std::string where = t ? "after title " + std::to_string(t) : "start";
      std::snprintf(line, sizeof line, "%-14s  %-30s  ->  %s\n", where.c_str(), NextWords(was).c_str(),
                    NextWords(will).c_str());
      PrintUtf8(stdout, line);
    }
    PrintUtf8(stdout, "\nFile            Bytes changed (IFO; its BUP the same)\n");
    std::snprintf(line, sizeof line, "VIDEO_TS.IFO  %8ld\n",
                  CountChanged(asRead, Disc.IfoSize[0], Disc.VmgImage, Disc.VmgSize));
    PrintUtf8(stdout, line);
    for (int n = 1; n <= Disc.TitleSetCount; ++n) {
      std::snprintf(line, sizeof line, "VTS_%02d_0.IFO  %8ld\n", n,
                    CountChanged(asRead + ReadOffset[n], ReadSize[n], VtsImage(n), Disc.IfoSize[n]));
      PrintUtf8(stdout, line);
    }
    for (const std::string& grows : Growth) PrintUtf8(stdout, grows + " (its BUP the same)\n");
  });
}

bool PreviewPatched(NavPreview* out) {
  return WithPatchedImages(true, [&](const uint8_t*) { PreviewDisc(VmgImageRef(), 0, out); });
}

bool PreviewChoices(const ApplyOptions& options, NavPreview* after, bool* previewed, std::string* error) {
  *previewed = PreviewPatched(after);
  for (const TitleOverride& t : options.titles) {
    const NavNext& next = after->after[t.title - 1];
    if (t.kind == MenuPgc && *previewed && next.kind == NextKind::Fault) {
      *error = "title " + std::to_string(t.title) + " cannot call that menu: " + next.reason;
      return false;
    }
  }
  return true;
}
