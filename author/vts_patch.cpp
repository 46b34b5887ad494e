// The title set patch: each title's first post command becomes the command
// its end action stands for, and the title sets' sector fields are
// recomputed from the file sizes.
#include "author/vts_patch.h"

#include <cstdio>
#include <cstring>

#include "actions/title_action.h"
#include "author/written_parts.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/title_chain.h"
#include "disc/title_end.h"
#include "disc/written_commands.h"
#include "platform/platform.h"

namespace {

bool CommandForAction(int j, int titleInSet, uint8_t out[8]) {
  switch (Disc.ActionKind[j]) {
    case JumpTitle: {  // CallSS the dispatcher, resume cell 1
      CallDispatcherCommand(Disc.MenuPgcNumber, out);
      return true;
    }
    case Command:
      std::memcpy(out, Disc.ActionCommand[j], 8);
      return true;
    case MenuPgc:
      MenuCommand(Disc.ActionMenu[j], out);
      return true;
    case Stop: {  // Exit
      std::memcpy(out, kExitCommand, 8);
      return true;
    }
    case Repeat: {  // JumpVTS_PTT: chapter 1 of the same title
      RepeatCommand(titleInSet, out);
      return true;
    }
    default:  // Unchanged, and the kinds that are never assigned
      return false;
  }
}

// Written once per title that belongs to the set, always with the same
// values: IFO, menu VOB, title VOBs and backup, as a disc lays them out.
void WriteTitleSetSectors(int v) {
  ImageRef vts = VtsImageRef(v);
  if (!SpanInside(vts.size, 0, kVtsTitleVobsSector + 4)) return;
  uint8_t* image = VtsImage(v);
  int64_t ifoSectors = int64_t(Disc.IfoSize[v]) / kSectorSize;
  int64_t menuSectors = int64_t(uint32_t(Disc.MenuVobSize[v])) / kSectorSize;
  const int64_t values[] = {Disc.TitleVobSectors[v] + 2 * ifoSectors + menuSectors - 1, ifoSectors - 1,
                            menuSectors > 0 ? ifoSectors : 0, ifoSectors + menuSectors};
  static_assert(sizeof values / sizeof values[0] == sizeof kVtsSectorFields / sizeof kVtsSectorFields[0], "");
  for (int i = 0; i < int(sizeof values / sizeof values[0]); ++i)
    WriteBe32(image + kVtsSectorFields[i], int32_t(values[i]));
}

}  // namespace

bool ActionWritesEnd(int j) {
  uint8_t command[8];
  return CommandForAction(j, 1, command);
}

bool EndCommandFor(int j, unsigned char out[8]) {
  TitleChain chain;
  int64_t slot = -1;
  return WrittenPostSlot(VmgImageRef(), j, &chain, &slot) && CommandForAction(j, chain.titleInSet, out);
}

int FindDisagreeingEnds(bool disagree[kMaxTitles]) {
  ImageRef vmg = VmgImageRef();
  int count = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  static TitleChain chains[kMaxTitles];
  static uint8_t ends[kMaxTitles][8];
  static bool written[kMaxTitles];
  static int64_t slots[kMaxTitles];
  int first = -1;
  for (int j = 0; j < count; ++j) {
    disagree[j] = false;
    int64_t& slot = slots[j];
    slot = -1;
    written[j] = WrittenPostSlot(vmg, j, &chains[j], &slot);
    // A chain without a post command is told apart by where it starts; the
    // one it gets is shared as much.
    if (!written[j] && chains[j].pgc >= 0) {
      written[j] = true;
      slot = -1 - chains[j].pgc;
    }
    if (!written[j]) continue;
    // A title whose action leaves the command ends as the chain does now.
    if (!CommandForAction(j, chains[j].titleInSet, ends[j])) {
      if (slot >= 0)
        std::memcpy(ends[j], VtsImage(chains[j].titleSet) + slot, 8);
      else
        std::memset(ends[j], 0xFF, 8);  // no command: the chain ends as authored
    }
    for (int i = 0; i < j; ++i) {
      // Chains whose command tables are one table share their post commands
      // as much as titles ending in one chain do.
      if (!written[i] || chains[i].titleSet != chains[j].titleSet || slots[i] != slots[j] ||
          std::memcmp(ends[i], ends[j], 8) == 0)
        continue;
      disagree[i] = disagree[j] = true;
      if (first < 0) first = i;
    }
  }
  return first;
}

bool CheckSharedChains() {
  static bool disagree[kMaxTitles];
  if (FindDisagreeingEnds(disagree) < 0) return true;
  // Post commands take an end for each title behind a test of its number;
  // a cell command leaves before any of them runs.
  int first = -1, second = -1;
  for (int j = 0; j < Disc.TitleCount && j < kMaxTitles; ++j) {
    TitleChain chain;
    if (!disagree[j] || !FindTitleChain(VmgImageRef(), j, &chain) ||
        FindEndSlot(VtsImageRef(chain.titleSet), chain.pgc, j + 1).cellCommand == 0)
      continue;
    (first < 0 ? first : second) = j;
    if (second >= 0) break;
  }
  if (second < 0) return true;
  char text[256];
  std::snprintf(text, sizeof text,
                "タイトル%dとタイトル%dは同じPGCで終わるため, 別々の終了動作を設定できません.\n"
                "同じ終了動作を設定してください.",
                first + 1, second + 1);
  platform::ShowMessage(text, "エラー", platform::kWarningBox);
  return false;
}

bool CheckFixedEnds() {
  static TitleEnds ends;
  FindTitleEnds(VmgImageRef(), &ends);
  for (int j = 0; j < ends.count; ++j) {
    uint8_t command[8];
    if (ends.title[j].fixed == EndFixed::No || !CommandForAction(j, 1, command)) continue;
    char text[512];
    FixedEndRefusal(j, ends.title[j], text, sizeof text);
    platform::ShowMessage(text, "エラー", platform::kWarningBox);
    return false;
  }
  return true;
}

void PatchTitleSets() {
  ImageRef vmg = VmgImageRef();
  for (int j = 0; j < Disc.TitleCount; ++j) {
    TitleChain chain{0, 0, -1, -1};
    int64_t slot = -1;
    bool found = WrittenPostSlot(vmg, j, &chain, &slot);
    int v = chain.titleSet;
    if (v < 1 || v > Disc.TitleSetCount || v > kMaxTitleSets || chain.titleInSet < 1 ||
        chain.titleInSet > kMaxTitles)
      continue;
    WriteTitleSetSectors(v);
    // The command table never grows: a title without a post command keeps
    // its program chain as it is.
    uint8_t command[8];
    if (found && CommandForAction(j, chain.titleInSet, command)) std::memcpy(VtsImage(v) + slot, command, 8);
  }
}
