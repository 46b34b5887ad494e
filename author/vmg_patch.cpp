// The video manager patch: puts the prepared menu table into VIDEO_TS.IFO,
// recomputes the sector fields and title set start sectors, writes the
// dispatcher's commands and, for the two options, a First Play that only
// jumps.
#include "author/vmg_patch.h"

#include <cstdio>
#include <cstring>

#include "author/original_backup.h"
#include "author/written_parts.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"
#include "disc/menu_units.h"
#include "disc/written_commands.h"
#include "platform/platform.h"

namespace {

// VMGI_MAT and the First Play area behind it.
constexpr int kFirstPlayAreaEnd = kFirstPlayArea + kFirstPlayAreaSize;

const char kCaptionError[] = "エラー";
const char kTooBigText[] = "メニューテーブルを追加するとVIDEO_TS.IFOが2MBを超えるため、更新できません.";
const char kNoOriginalText[] =
    "このディスクのFirst Playは以前の実行で『ランダム再生』または『メニューなし』に変えられています.\n"
    "元に戻すための元のIFOファイルのバックアップが見つかりません. 先に元のIFOファイルを復元してください.";
const char kDamagedText[] = "VIDEO_TS.IFOまたはメニューテーブルの構造が異常なため、更新できません.";

// Where the menu table goes and what that does to the image; worked out
// from VIDEO_TS.IFO as read, which every patch starts from.
struct TablePlacement {
  int64_t sector;      // of the old table, or where a new one is inserted
  bool fieldWasZero;   // the disc had no menu table: field 200 gets `sector`
  int64_t oldSectors;  // 0 when inserted
  int64_t newSectors;
  int64_t newSize;  // VmgSize afterwards
};

bool PlaceTable(ImageRef vmg, TablePlacement* place) {
  MenuTableSpan span;
  if (!FindMenuTableSpan(vmg, &span)) return false;
  place->sector = span.sector;
  place->fieldWasZero = span.fieldWasZero;
  place->oldSectors = span.sectors;
  int64_t endAddress = ReadBe32(Disc.MenuTableImage + 4);
  if (!SpanInside(kMenuTableCapacity, 0, endAddress + 1)) return false;
  place->newSectors = (endAddress + 1 + kSectorSize - 1) / kSectorSize;
  place->newSize = vmg.size + (place->newSectors - place->oldSectors) * kSectorSize;
  return true;
}

// Every unit of the prepared table must carry a dispatcher we can write
// before anything changes.
bool MenuTableUsable(ImageRef table) {
  MenuTable units;
  if (ReadMenuTable(table, 0, &units) != MenuUnitFault::None) return false;
  for (int u = 0; u < units.units; ++u) {
    MenuUnit unit;
    if (ReadMenuUnit(table, units, u, &unit) != MenuUnitFault::None ||
        WrittenDispatcherCommands(table, unit) < 0)
      return false;
  }
  return true;
}

void InsertMenuTable(const TablePlacement& place) {
  uint8_t* vmg = Disc.VmgImage;
  int64_t start = place.sector * kSectorSize;
  if (place.fieldWasZero) WriteBe32(vmg + kVmgMenuPgciUtSector, int32_t(place.sector));
  int64_t growth = place.newSectors - place.oldSectors;
  if (growth != 0) {
    // PlaceTable has checked that the old table lies inside the image and
    // the caller that the moved tail still fits.
    int64_t from = start + place.oldSectors * kSectorSize;
    int64_t to = start + place.newSectors * kSectorSize;
    std::memmove(vmg + to, vmg + from, size_t(Disc.VmgSize - from));
    Disc.VmgSize = int32_t(place.newSize);
    for (int field : kVmgFollowingTables) {
      int32_t sector = ReadBe32(vmg + field);
      if (sector > 0) WriteBe32(vmg + field, int32_t(sector + growth));
    }
  }
  // Always replaced, also when the sector count stays the same.
  std::memcpy(vmg + start, Disc.MenuTableImage, size_t(place.newSectors * kSectorSize));
}

// Sectors of VIDEO_TS.VOB; the size is the low 32 bits of the file's size.
int64_t MenuVobSectors(int n) { return int64_t(uint32_t(Disc.MenuVobSize[n])) / kSectorSize; }

void WriteSectorFields() {
  uint8_t* vmg = Disc.VmgImage;
  int64_t ifoSectors = (int64_t(Disc.VmgSize) + kSectorSize - 1) / kSectorSize;
  int64_t vobSectors = MenuVobSectors(0);
  const int64_t values[] = {vobSectors + 2 * ifoSectors - 1, ifoSectors - 1, vobSectors > 0 ? ifoSectors : 0};
  static_assert(sizeof values / sizeof values[0] == sizeof kVmgSectorFields / sizeof kVmgSectorFields[0], "");
  for (int i = 0; i < int(sizeof values / sizeof values[0]); ++i)
    WriteBe32(vmg + kVmgSectorFields[i], int32_t(values[i]));
}

// Each title search pointer gets its title set's first sector on disc, in
// the order a disc lays out its files: VIDEO_TS.IFO, .VOB, .BUP, then per
// title set its IFO, menu VOB, title VOBs and BUP.
void WriteTitleSetStartSectors() {
  int setCount = Disc.TitleSetCount;
  if (setCount > kMaxTitleSets) setCount = kMaxTitleSets;
  int64_t start[kMaxTitleSets + 2];
  int64_t ifoSectors = (int64_t(Disc.VmgSize) + kSectorSize - 1) / kSectorSize;
  start[1] = MenuVobSectors(0) + 2 * ifoSectors;
  for (int n = 1; n <= setCount; ++n) {
    int64_t files = 2 * int64_t(Disc.IfoSize[n]) + int64_t(uint32_t(Disc.MenuVobSize[n]));
    start[n + 1] = start[n] + files / kSectorSize + Disc.TitleVobSectors[n];
  }
  ImageRef vmg = VmgImageRef();
  int titles = Disc.TitleCount < kMaxTitles ? Disc.TitleCount : kMaxTitles;
  for (int j = 0; j < titles; ++j) {
    int64_t entry = TitleEntryOffset(vmg, j);
    if (entry < 0) continue;
    int v = Disc.VmgImage[entry + 6];
    if (v >= 1 && v <= setCount) WriteBe32(Disc.VmgImage + entry + kTitleEntryStartSector, int32_t(start[v]));
  }
}

void WriteFirstPlay() {
  // Random play wins when both options are on: its JumpSS runs the
  // dispatcher, which then starts a title anyway.
  if (Disc.RandomPlay == 1) {
    uint8_t jumpSs[8];
    JumpDispatcherCommand(Disc.MenuPgcNumber, jumpSs);
    WriteOptionFirstPlay(Disc.VmgImage, jumpSs);
  } else if (Disc.NoMenu == 1) {
    WriteOptionFirstPlay(Disc.VmgImage, kJumpTitleOneCommand);
  }
}

// VIDEO_TS.IFO as the backup holds it: what an option changed is taken
// back from there when the option is switched off.
ImageRef OriginalVmgRef{nullptr, 0};

bool UndoesFirstPlay(FirstPlayKind was) {
  return was != DiscFirstPlay && Disc.RandomPlay != 1 && Disc.NoMenu != 1;
}
bool UndoesMenuEntries(FirstPlayKind was) { return was == NoMenuFirstPlay && Disc.NoMenu != 1; }

// False when there is no backup of this disc, or its First Play is not the disc's own.
bool LoadOriginalVmg(const char* editFolder) {
  OriginalVmgRef = OriginalVmgImage(editFolder);
  return SpanInside(OriginalVmgRef.size, 0, kFirstPlayAreaEnd) &&
         ReadFirstPlayKind(OriginalVmgRef) == DiscFirstPlay;
}

// The entry flags the no-menu option changed, as the disc had them: each
// unit's, and each of its own chains'; chains the disc did not have (the
// dispatcher, fillers) are no entries.
void PutBackMenuEntries(uint8_t* at, const MenuTable& units) {
  ImageRef table = {at, units.size};
  ImageRef original = OriginalVmgRef;
  MenuTable from;
  // Without a table of its own the dispatcher stays the title menu.
  if (ReadMenuTable(original, TableOffset(original, kVmgMenuPgciUtSector), &from) != MenuUnitFault::None)
    return;
  for (int u = 0; u < units.units && u < from.units; ++u) {
    MenuUnit unit, fromUnit;
    if (ReadMenuUnit(original, from, u, &fromUnit) != MenuUnitFault::None ||
        ReadMenuUnit(table, units, u, &unit) != MenuUnitFault::None)
      continue;
    at[unit.pointer + kUnitFlags] = original.data[fromUnit.pointer + kUnitFlags];
    for (int k = 0; k < unit.pgcs; ++k) {
      int64_t category = fromUnit.offset + kTableHeaderSize + int64_t(kSearchPointerSize) * k;
      at[unit.offset + kTableHeaderSize + kSearchPointerSize * k] =
          k < fromUnit.pgcs ? original.data[category] : 0;
    }
  }
}

void WriteLanguageUnits(int64_t tableStart, int64_t tableSize) {
  uint8_t* at = Disc.VmgImage + tableStart;
  ImageRef table = {at, tableSize};
  MenuTable units;
  ReadMenuTable(table, 0, &units);
  for (int u = 0; u < units.units; ++u) {
    MenuUnit unit;
    if (ReadMenuUnit(table, units, u, &unit) != MenuUnitFault::None) continue;  // checked before patching
    int64_t commands = WrittenDispatcherCommands(table, unit);
    if (commands < 0) continue;
    if (Disc.NoMenu == 1) {
      // The old menus stop being entry chains; the title menu key runs
      // the dispatcher.
      at[unit.pointer + kUnitFlags] = kUnitHasTitleMenu;
      for (int k = 0; k < unit.pgcs; ++k)
        at[unit.offset + kTableHeaderSize + kSearchPointerSize * k] =
            k == unit.pgcs - 1 ? kEntryTitleMenu : 0;
    }
    WriteDispatcherCommands(at + commands, Disc.ActionTarget, Disc.RandomPlay == 1);
  }
  if (UndoesMenuEntries(ReadFirstPlayKind(StoredVmgRef()))) PutBackMenuEntries(at, units);
}

}  // namespace

long long PatchedVmgSize() {
  TablePlacement place{};
  return PlaceTable(StoredVmgRef(), &place) ? place.newSize : -1;
}

bool CheckVideoManagerPatch(const char* editFolder) {
  ImageRef stored = StoredVmgRef();
  TablePlacement place{};
  if (Disc.TitleCount < 1 || Disc.TitleCount > kMaxTitles || !PlaceTable(stored, &place) ||
      !MenuTableUsable({Disc.MenuTableImage, place.newSectors * kSectorSize})) {
    platform::ShowMessage(kDamagedText, kCaptionError, platform::kErrorBox);
    return false;
  }
  if (place.newSize > kVmgImageCapacity) {
    platform::ShowMessage(kTooBigText, kCaptionError, platform::kWarningBox);
    return false;
  }
  FirstPlayKind was = ReadFirstPlayKind(stored);
  if ((UndoesFirstPlay(was) || UndoesMenuEntries(was)) && !LoadOriginalVmg(editFolder)) {
    platform::ShowMessage(kNoOriginalText, kCaptionError, platform::kWarningBox);
    return false;
  }
  return true;
}

bool PatchVideoManager() {
  if (!CheckVideoManagerPatch(Disc.EditFolder)) return false;
  ImageRef stored = StoredVmgRef();
  TablePlacement place{};
  if (!PlaceTable(stored, &place)) return false;  // checked above

  // Every patch starts again from VIDEO_TS.IFO as it was read, not from the
  // image an earlier execute patched: a repeated execute then writes the
  // same bytes as the first, and switching an option off brings the disc's
  // own First Play back.
  std::memcpy(Disc.VmgImage, stored.data, size_t(stored.size));
  Disc.VmgSize = int32_t(stored.size);

  InsertMenuTable(place);
  WriteSectorFields();
  WriteTitleSetStartSectors();
  WriteFirstPlay();
  if (UndoesFirstPlay(ReadFirstPlayKind(stored))) CopyFirstPlay(OriginalVmgRef, Disc.VmgImage);
  WriteLanguageUnits(place.sector * kSectorSize, place.newSectors * kSectorSize);
  return true;
}
