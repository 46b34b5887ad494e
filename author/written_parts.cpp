#include "author/written_parts.h"

#include <cstring>

#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/menu_table.h"
#include "disc/title_end.h"

namespace {

// The first of the tables that follow the menu table on disc, or 0 when
// none of the five fields is set. They are taken to lie in field order.
int64_t FirstFollowingSector(const uint8_t* vmg) {
  for (int field : kVmgFollowingTables) {
    int32_t sector = ReadBe32(vmg + field);
    if (sector > 0) return sector;
  }
  return 0;
}

// Sectors the menu table at `sector` takes by its own end address, at least
// one. Where no other table follows it, this is all it can be said to hold:
// taking one sector for a longer table would leave the rest of it behind the
// new one, and every execute would grow the file again.
int64_t OwnSectors(ImageRef vmg, int64_t sector) {
  int64_t at = sector * kSectorSize;
  if (sector < 1 || !SpanInside(vmg.size, at, 8)) return 1;
  int64_t size = int64_t(ReadBe32(vmg.data + at + 4)) + 1;
  return size > kSectorSize ? (size + kSectorSize - 1) / kSectorSize : 1;
}

// Bytes left out of a comparison, one per byte of the image.
uint8_t Skipped[kIfoStoreCapacity];

void Skip(int64_t at, int64_t size, int64_t imageSize) {
  if (SpanInside(imageSize, at, size)) std::memset(Skipped + at, 1, size_t(size));
}

bool EqualOutsideSkipped(const uint8_t* a, const uint8_t* b, int64_t size) {
  for (int64_t i = 0; i < size; ++i) {
    if (a[i] != b[i] && !Skipped[i]) return false;
  }
  return true;
}

bool SameTitleSet(int n, ImageRef stored, ImageRef file) {
  if (stored.size != file.size || !SpanInside(kIfoStoreCapacity, 0, stored.size)) return false;
  std::memset(Skipped, 0, size_t(stored.size));
  for (int field : kVtsSectorFields) Skip(field, 4, stored.size);
  for (int j = 0; j < Disc.TitleCount; ++j) {
    TitleChain chain;
    int64_t slot;
    if (WrittenPostSlot(StoredVmgRef(), j, &chain, &slot) && chain.titleSet == n)
      Skip(slot, kCommandSize, stored.size);
  }
  return EqualOutsideSkipped(stored.data, file.data, stored.size);
}

// The menu table lies at the same sector in both; what follows it may have
// moved by the sectors the table grew, and the fields naming it with it.
bool SameVideoManager(ImageRef stored, ImageRef file) {
  MenuTableSpan s, f;
  if (!FindMenuTableSpan(stored, &s) || !FindMenuTableSpan(file, &f) || s.sector != f.sector) return false;
  int64_t head = s.sector * kSectorSize;
  int64_t storedTail = (s.sector + s.sectors) * kSectorSize;
  int64_t fileTail = (f.sector + f.sectors) * kSectorSize;
  if (stored.size - storedTail != file.size - fileTail ||
      std::memcmp(stored.data + storedTail, file.data + fileTail, size_t(stored.size - storedTail)) != 0)
    return false;
  int64_t growth = f.sectors - s.sectors;
  for (int field : kVmgFollowingTables) {
    int64_t was = ReadBe32(stored.data + field);
    if (int64_t(ReadBe32(file.data + field)) != (was > 0 ? was + growth : was)) return false;
  }
  std::memset(Skipped, 0, size_t(head));
  for (int field : kVmgSectorFields) Skip(field, 4, head);
  for (int field : kVmgFollowingTables) Skip(field, 4, head);
  Skip(kVmgMenuPgciUtSector, 4, head);
  Skip(kVmgMatEnd, kFirstPlayFieldsSize, head);
  Skip(kFirstPlayArea, kFirstPlayAreaSize, head);
  for (int j = 0; j < Disc.TitleCount; ++j) {
    int64_t entry = TitleEntryOffset(stored, j);
    if (entry >= 0) Skip(entry + kTitleEntryStartSector, 4, head);
  }
  return EqualOutsideSkipped(stored.data, file.data, head);
}

}  // namespace

bool FindMenuTableSpan(ImageRef vmg, MenuTableSpan* span) {
  // VMGI_MAT and the First Play area must be there, and the image must fit
  // the working copy before anything is computed from it.
  if (!SpanInside(kVmgImageCapacity, 0, vmg.size) ||
      !SpanInside(vmg.size, 0, kFirstPlayArea + kFirstPlayAreaSize))
    return false;
  int64_t p = ReadBe32(vmg.data + kVmgMenuPgciUtSector);
  int64_t next = FirstFollowingSector(vmg.data);
  if (p != 0) {
    *span = MenuTableSpan{p, next > 0 ? next - p : OwnSectors(vmg, p), false};
  } else {
    *span = MenuTableSpan{next > 0 ? next : int64_t(ReadBe32(vmg.data + kVmgTtSrptSector)) + 1, 0, true};
  }
  // The table must lie after the First Play area and wholly inside the file;
  // a following table that starts before it means the fields disagree.
  int64_t start = span->sector * kSectorSize;
  if (span->sector < 1 || !SpanInside(vmg.size, start, span->sectors * kSectorSize)) return false;
  // The title table stays where it is and its entries are rewritten there,
  // so it must lie before the menu table; every following table is moved and
  // renumbered, so each must lie behind the old one. A disc whose fields say
  // otherwise would be written with tables that point at the wrong bytes.
  int64_t titleTable = ReadBe32(vmg.data + kVmgTtSrptSector);
  if (titleTable < 1 || titleTable >= span->sector) return false;
  for (int field : kVmgFollowingTables) {
    int32_t sector = ReadBe32(vmg.data + field);
    if (sector > 0 && sector < span->sector + span->sectors) return false;
  }
  return true;
}

bool WrittenPostSlot(ImageRef vmg, int j, TitleChain* chain, int64_t* slot) {
  if (j < 0 || j >= Disc.TitleCount || j >= kMaxTitles || !FindTitleChain(vmg, j, chain)) return false;
  *slot = FindEndSlot(VtsImageRef(chain->titleSet), chain->pgc, j + 1).slot;
  return *slot >= 0;
}

int64_t WrittenDispatcherCommands(ImageRef table, const MenuUnit& unit) {
  int64_t pgc = MenuPgcOffset(table, unit, unit.pgcs);
  CommandTable commands;
  if (pgc < 0 || !ReadCommandTable(table, pgc, &commands)) return -1;
  if (!commands.present || commands.pre != 2 * Disc.TitleCount) return -1;
  return commands.offset + kTableHeaderSize;
}

bool PreparedTableIsStoredOnes() {
  // What preparing changes besides the table, put back afterwards.
  static struct {
    uint8_t table[kMenuTableCapacity];
    uint8_t vmg[kVmgImageCapacity];
    int32_t vmgSize, menuPgcNumber, menuRegister;
    int32_t kinds[sizeof Disc.ActionKind / sizeof Disc.ActionKind[0]];
    int32_t targets[sizeof Disc.ActionTarget / sizeof Disc.ActionTarget[0]];
  } kept;
  std::memcpy(kept.table, Disc.MenuTableImage, sizeof kept.table);
  std::memcpy(kept.vmg, Disc.VmgImage, sizeof kept.vmg);
  kept.vmgSize = Disc.VmgSize;
  kept.menuPgcNumber = Disc.MenuPgcNumber;
  kept.menuRegister = Disc.MenuRegister;
  std::memcpy(kept.kinds, Disc.ActionKind, sizeof kept.kinds);
  std::memcpy(kept.targets, Disc.ActionTarget, sizeof kept.targets);

  PrepareMenuTable();
  ImageRef prepared{Disc.MenuTableImage, kMenuTableCapacity};
  std::memset(Skipped, 0, kMenuTableCapacity);
  MenuTable units;
  if (ReadMenuTable(prepared, 0, &units) == MenuUnitFault::None) {
    for (int u = 0; u < units.units; ++u) {
      MenuUnit unit;
      int64_t commands = ReadMenuUnit(prepared, units, u, &unit) == MenuUnitFault::None
                             ? WrittenDispatcherCommands(prepared, unit)
                             : -1;
      if (commands >= 0) Skip(commands, 2 * kCommandSize * int64_t(Disc.TitleCount), kMenuTableCapacity);
    }
  }
  bool same = Disc.MenuPgcNumber == kept.menuPgcNumber &&
              EqualOutsideSkipped(Disc.MenuTableImage, kept.table, kMenuTableCapacity);

  std::memcpy(Disc.MenuTableImage, kept.table, sizeof kept.table);
  std::memcpy(Disc.VmgImage, kept.vmg, sizeof kept.vmg);
  Disc.VmgSize = kept.vmgSize;
  Disc.MenuPgcNumber = kept.menuPgcNumber;
  Disc.MenuRegister = kept.menuRegister;
  std::memcpy(Disc.ActionKind, kept.kinds, sizeof kept.kinds);
  std::memcpy(Disc.ActionTarget, kept.targets, sizeof kept.targets);
  return same;
}

bool SameOutsideWrittenParts(int n, ImageRef file) {
  return n == 0 ? SameVideoManager(StoredVmgRef(), file) : SameTitleSet(n, VtsImageRef(n), file);
}
