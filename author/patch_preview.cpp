#include "author/patch_preview.h"

#include <cstdio>
#include <cstring>

#include "actions/playback_warnings.h"
#include "actions/title_action.h"
#include "author/command_table_growth.h"
#include "author/vmg_patch.h"
#include "author/vts_patch.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "platform/platform.h"

namespace {

// The title set images are patched in place: the bytes as read, to compare
// against and to put back afterwards.
uint8_t imagesAsRead[kIfoStoreCapacity];

int32_t offsetsAsRead[kMaxTitleSets + 1], sizesAsRead[kMaxTitleSets + 1];
std::vector<std::string> growth;

void NoteGrowth() {
  growth.clear();
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    int sectors = (Disc.IfoSize[n] - sizesAsRead[n]) / kSectorSize;
    if (sectors <= 0) continue;
    char line[64];
    std::snprintf(line, sizeof line, "VTS_%02d_0.IFO grows by %d sector%s", n % 100, sectors,
                  sectors == 1 ? "" : "s");
    growth.push_back(line);
  }
}

void Refuse(const char* text) { platform::ShowMessage(text, "エラー", platform::kWarningBox); }

// A title's jump target goes into the dispatcher whatever its end: players
// follow it when the title ends with a jump, and from any title once an
// option makes the dispatcher the disc's start or title menu.
bool TargetFollowed(int t) {
  return Disc.ActionKind[t] == JumpTitle || Disc.NoMenu == 1 || Disc.RandomPlay == 1;
}

// Whether the title's end command as read is already the menu call chosen.
bool EndsSoAsRead(int t) {
  TitleChain chain;
  if (!FindTitleChain(StoredVmgRef(), t, &chain)) return false;
  ImageRef vts = VtsImageRef(chain.titleSet);
  int64_t post = FindEndSlot(vts, chain.pgc, t + 1).slot;
  uint8_t call[8];
  MenuCommand(Disc.ActionMenu[t], call);
  return post >= 0 && std::memcmp(vts.data + post, call, sizeof call) == 0;
}

}  // namespace

bool WithPatchedImages(bool quiet, const std::function<void(const uint8_t* asRead)>& look) {
  std::size_t stored = std::size_t(Disc.IfoOffset[Disc.TitleSetCount] + Disc.IfoSize[Disc.TitleSetCount]);
  std::memcpy(imagesAsRead, Disc.IfoStore, stored);
  // Growing a command table moves the images behind it.
  std::memcpy(offsetsAsRead, Disc.IfoOffset, sizeof offsetsAsRead);
  std::memcpy(sizesAsRead, Disc.IfoSize, sizeof sizesAsRead);
  platform::MessageBoxHandler shown = nullptr;
  void* shownContext = platform::MessageBoxContext();
  if (quiet)
    shown = platform::SetMessageBoxHandler(
        [](const char*, const char*, int, platform::Question, void*) { return 7; }, nullptr);
  bool patched = CheckFixedEnds() && CheckSharedChains() && CheckCommandTableGrowth();
  patched = patched && GrowCommandTables() && PatchVideoManager();
  if (patched) {
    PatchTitleSets();
    NoteGrowth();
    look(imagesAsRead);
  }
  if (quiet) platform::SetMessageBoxHandler(shown, shownContext);
  std::memcpy(Disc.IfoOffset, offsetsAsRead, sizeof offsetsAsRead);
  std::memcpy(Disc.IfoSize, sizesAsRead, sizeof sizesAsRead);
  std::memcpy(Disc.IfoStore, imagesAsRead, stored);
  std::memcpy(Disc.VmgImage, Disc.IfoStore, Disc.IfoSize[0]);
  Disc.VmgSize = Disc.IfoSize[0];
  return patched;
}

int32_t OffsetAsRead(int n) { return n >= 0 && n <= kMaxTitleSets ? offsetsAsRead[n] : 0; }
int32_t SizeAsRead(int n) { return n >= 0 && n <= kMaxTitleSets ? sizesAsRead[n] : 0; }
const std::vector<std::string>& PatchGrowth() { return growth; }

bool PreviewPatched(NavPreview* out) {
  return WithPatchedImages(true, [&](const uint8_t*) { PreviewDisc(VmgImageRef(), 0, out); });
}

std::vector<std::string> PatchWarnings() {
  static NavPreview after;
  return PlaybackWarnings(PreviewPatched(&after) ? &after : nullptr);
}

bool CheckChosenEnds() {
  char text[512];
  for (int t = 0; t < Disc.TitleCount; ++t) {
    int target = Disc.ActionTarget[t];
    if (!TargetFollowed(t) || (target >= 0 && target < Disc.TitleCount)) continue;
    std::snprintf(
        text, sizeof text,
        "タイトル%02dの終了時のジャンプ先, タイトル%02dはこのディスクにありません（タイトル数 %d）.\n"
        "ジャンプ先を選び直してください.",
        t + 1, target + 1, Disc.TitleCount);
    Refuse(text);
    return false;
  }
  static NavPreview after;
  // A patch that refuses says so itself when execute runs it.
  if (!PreviewPatched(&after)) return true;
  for (int t = 0; t < Disc.TitleCount; ++t) {
    const NavNext& next = after.after[t];
    if (Disc.ActionKind[t] != MenuPgc || next.kind != NextKind::Fault || EndsSoAsRead(t)) continue;
    std::snprintf(text, sizeof text,
                  "タイトル%02dの終了時に呼ぶメニューでは, プレーヤーが再生を中断します（%s）.\n"
                  "別のメニューを選んでください.",
                  t + 1, next.reason);
    Refuse(text);
    return false;
  }
  return true;
}
