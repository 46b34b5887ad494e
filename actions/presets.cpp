#include "actions/presets.h"

#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_end.h"

namespace {

struct Preset {
  int32_t kind;
  int32_t menu;     // menu choice given with the kind; -1: menu choices stay
  bool everyTitle;  // false: only the last title; the others jump on to the next
};

const Preset kPresets[kPresetCount] = {
    {MenuPgc, 0, false},     // play on, title menu at the end
    {MenuPgc, 1, false},     // play on, root menu at the end
    {Stop, -1, false},       // play on, stop at the end
    {JumpTitle, -1, false},  // endless: the last title jumps back to title 1
    {MenuPgc, 0, true},      // title menu after each title
    {MenuPgc, 1, true},      // root menu after each title
    {Stop, -1, true},        // stop after each title
    {Repeat, -1, true},      // repeat each title
};

void SetKind(int n, const Preset& preset) {
  Disc.ActionKind[n] = preset.kind;
  if (preset.menu >= 0) Disc.ActionMenu[n] = preset.menu;
}

}  // namespace

void ApplyBatchPreset() {
  int count = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  if (count <= 0) return;
  // Every preset leaves the targets chained, so switching a title to a jump
  // afterwards preselects the next title.
  for (int n = 0; n < count; ++n) {
    Disc.ActionKind[n] = JumpTitle;
    Disc.ActionTarget[n] = n + 1 < count ? n + 1 : 0;
  }
  // No selection (or any other index) leaves the endless pattern.
  if (Disc.PresetIndex >= 0 && Disc.PresetIndex < kPresetCount) {
    const Preset& preset = kPresets[Disc.PresetIndex];
    if (preset.everyTitle) {
      for (int n = 0; n < count; ++n) SetKind(n, preset);
    } else {
      SetKind(count - 1, preset);
    }
  }
  // A title whose end cannot be changed keeps it; execute refuses a change
  // to one only when it is asked for title by title.
  static TitleEnds ends;
  FindTitleEnds(StoredVmgRef(), &ends);
  for (int n = 0; n < ends.count && n < count; ++n)
    if (ends.title[n].fixed != EndFixed::No) Disc.ActionKind[n] = Unchanged;
}
