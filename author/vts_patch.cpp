// The title set patch: each title's first post command becomes the command
// its end action stands for, and the title sets' sector fields are
// recomputed from the file sizes.
#include "author/vts_patch.h"

#include <cstring>

#include "actions/title_action.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"

namespace {

// Title j's title set and number within it, when both are ones a title can
// have; titles outside these ranges are left alone entirely.
bool TitlePlace(ImageRef vmg, int j, int* titleSet, int* titleInSet) {
  if (j < 0 || j >= Disc.TitleCount || j >= kMaxTitles) return false;
  int64_t entry = TitleEntryOffset(vmg, j);
  if (entry < 0) return false;
  int v = vmg.data[entry + 6];
  int t = vmg.data[entry + 7];
  if (v < 1 || v > Disc.TitleSetCount || v > kMaxTitleSets || t < 1 || t > 99) return false;
  *titleSet = v;
  *titleInSet = t;
  return true;
}

// The slot of title j's first post command in its title set, or -1 when
// its program chain has none (no command table, or no post commands).
int64_t FirstPostSlot(ImageRef vmg, int j, int titleSet) {
  int64_t pgc = TitlePgc(vmg, j, nullptr, nullptr);
  return pgc < 0 ? -1 : FirstPostCommand(VtsImageRef(titleSet), pgc);
}

bool CommandForAction(int j, int titleInSet, uint8_t out[8]) {
  switch (Disc.ActionKind[j]) {
    case JumpTitle: {  // CallSS the dispatcher, resume cell 1
      const uint8_t call[8] = {0x30, 0x08, 0x00, 0x00, 0x01, 0xC0, 0x00, 0x00};
      std::memcpy(out, call, 8);
      WriteBe16(out + 2, Disc.MenuPgcNumber);
      return true;
    }
    case Command:
      std::memcpy(out, Disc.ActionCommand[j], 8);
      return true;
    case MenuPgc:
      MenuCommand(Disc.ActionMenu[j], out);
      return true;
    case Stop: {  // Exit
      const uint8_t exit[8] = {0x30, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
      std::memcpy(out, exit, 8);
      return true;
    }
    case Repeat: {  // JumpVTS_PTT: chapter 1 of the same title
      const uint8_t repeat[8] = {0x30, 0x05, 0x00, 0x01, 0x00, uint8_t(titleInSet), 0x00, 0x00};
      std::memcpy(out, repeat, 8);
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
  WriteBe32(image + kVtsLastSector, int32_t(Disc.TitleVobSectors[v] + 2 * ifoSectors + menuSectors - 1));
  WriteBe32(image + kVtsIfoLastSector, int32_t(ifoSectors - 1));
  WriteBe32(image + kVtsMenuVobsSector, int32_t(menuSectors > 0 ? ifoSectors : 0));
  WriteBe32(image + kVtsTitleVobsSector, int32_t(ifoSectors + menuSectors));
}

}  // namespace

bool EndCommandFor(int j, unsigned char out[8]) {
  ImageRef vmg = VmgImageRef();
  int v, t;
  return TitlePlace(vmg, j, &v, &t) && FirstPostSlot(vmg, j, v) >= 0 && CommandForAction(j, t, out);
}

void PatchTitleSets() {
  ImageRef vmg = VmgImageRef();
  for (int j = 0; j < Disc.TitleCount; ++j) {
    int v, t;
    if (!TitlePlace(vmg, j, &v, &t)) continue;
    WriteTitleSetSectors(v);
    // The command table never grows: a title without a post command keeps
    // its program chain as it is.
    int64_t slot = FirstPostSlot(vmg, j, v);
    uint8_t command[8];
    if (slot >= 0 && CommandForAction(j, t, command)) std::memcpy(VtsImage(v) + slot, command, 8);
  }
}
