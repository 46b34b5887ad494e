#include "cli/dry_run.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "actions/playback_warnings.h"
#include "actions/title_action.h"
#include "author/patch_preview.h"
#include "cli/console.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/nav_vm.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"

namespace {

std::string FirstPostText(int t) {
  TitleChain chain;
  if (!FindTitleChain(StoredVmgRef(), t, &chain)) return "(no program chain)";
  ImageRef vts = VtsImageRef(chain.titleSet);
  EndSlot end = FindEndSlot(vts, chain.pgc, t + 1);
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
                    CountChanged(asRead + OffsetAsRead(n), SizeAsRead(n), VtsImage(n), Disc.IfoSize[n]));
      PrintUtf8(stdout, line);
    }
    for (const std::string& grows : PatchGrowth()) PrintUtf8(stdout, grows + " (its BUP the same)\n");
  });
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

std::vector<std::string> PrintWarnings(const NavPreview* after) {
  std::vector<std::string> warnings = PlaybackWarnings(after);
  for (const std::string& w : warnings) PrintUtf8(stderr, "reelwrite: warning: " + w + "\n");
  return warnings;
}
