#include "disc/menu_table.h"

#include <cstring>

#include "disc/byte_order.h"
#include "disc/command_decoder.h"
#include "disc/disc_state.h"
#include "disc/first_play.h"
#include "disc/ifo_tables.h"
#include "disc/menu_units.h"
#include "disc/written_commands.h"

namespace {

constexpr int kCommandTableHeaderSize = 8;
constexpr int kFirstCommand = kPgcHeaderSize + kCommandTableHeaderSize;  // 0xF4
constexpr int kMaxPgcCount = 0xFFFF;                                     // a 16-bit count

// A filler holds a dispatcher's number in a language unit that has fewer
// chains of its own than the longest unit. Nothing on the disc names it:
// titles call the dispatcher, the title menu key finds entry chains, and a
// filler is neither. A player that reaches it anyway, through a button or a
// call that named a chain this unit never had, stops (Exit) instead of
// running cell-less playback whose ending is left to the player.
constexpr int kFillerPgcSize = kFirstCommand + kCommandSize;  // 252

// One language unit of the disc's menu table, as it is copied.
struct UnitScan {
  const uint8_t* data;  // its first byte in VmgImage
  int64_t size;         // up to the next unit, or the table end
  int count;            // program chains
  int64_t last;         // offset of the last chain from the unit start
  bool dispatcher;      // the last chain is a dispatcher an earlier run left
};

int64_t PointerTableEnd(int count) { return kTableHeaderSize + int64_t(kSearchPointerSize) * count; }

// Chains the unit keeps as ordinary chains (an earlier dispatcher is not one).
int OrdinaryCount(const UnitScan& unit) { return unit.count - (unit.dispatcher ? 1 : 0); }

void WriteCommands(uint8_t* at, const int32_t* targets, bool random, int n, uint8_t r) {
  uint8_t q = uint8_t((r + 1) % 16);
  auto put = [&at](uint8_t b0, uint8_t b1, uint8_t b3, uint8_t b5, uint8_t b6, uint8_t b7) {
    const uint8_t command[8] = {b0, b1, 0x00, b3, 0x00, b5, b6, b7};
    std::memcpy(at, command, kCommandSize);
    at += kCommandSize;
  };
  auto target = [targets](int j) { return uint8_t(uint32_t(targets[j]) + 1u); };
  if (random) {
    put(0x78, 0x00, r, uint8_t(n), 0x00, 0x00);  // GPRM r = random 1..N
  } else {
    put(0x61, 0x00, r, 0x84, 0x00, 0x00);  // GPRM r = SPRM 4, the title just played
  }
  for (int j = 0; j + 1 < n; ++j) {
    put(0x71, 0x00, q, uint8_t(j + 1), 0x00, 0x00);  // GPRM q = j + 1
    put(0x30, 0x22, 0x00, target(j), r, q);          // if GPRM r == GPRM q: JumpTT
  }
  put(0x30, 0x02, 0x00, target(n - 1), 0x00, 0x00);  // JumpTT
}

int DispatcherSizeFor(int n) { return kFirstCommand + 2 * kCommandSize * n; }

void InitDispatcherFor(uint8_t* d, int n) {
  std::memset(d, 0, size_t(DispatcherSizeFor(n)));
  d[7] = 0xC0;
  WriteBe16(d + kPgcCommandTableOffset, kPgcHeaderSize);
  WriteBe16(d + kPgcHeaderSize, 2 * n);
  WriteBe16(d + kPgcHeaderSize + 6, 16 * n + 7);
}

// Exactly the bytes of a dispatcher we write for n titles, whatever register
// pair, destinations and draw it holds.
bool IsDispatcherFor(ImageRef image, int64_t pgc, int n) {
  int size = DispatcherSizeFor(n);
  if (n < 1 || n > kMaxTitles || !SpanInside(image.size, pgc, size)) return false;
  const uint8_t* d = image.data + pgc;
  const uint8_t* commands = d + kFirstCommand;
  int32_t targets[kMaxTitles];
  for (int j = 0; j < n; ++j)
    targets[j] = commands[kCommandSize * (j + 1 < n ? 2 * j + 2 : 2 * n - 1) + 5] - 1;
  uint8_t ours[kFirstCommand + 2 * kCommandSize * kMaxTitles];
  InitDispatcherFor(ours, n);
  WriteCommands(ours + kFirstCommand, targets, commands[0] == 0x78, n, uint8_t(commands[3] & 15));
  return std::memcmp(ours, d, size_t(size)) == 0;
}

// The dispatcher an earlier run left is the unit's last chain, stored behind
// every other chain and ending the unit, with exactly the bytes we write.
// Anything else is a chain of the disc's own, however it begins.
bool UnitEndsInDispatcher(ImageRef vmg, const MenuUnit& unit, int n) {
  int64_t last = MenuPgcOffset(vmg, unit, unit.pgcs);
  if (last < unit.offset + PointerTableEnd(unit.pgcs) ||
      last + DispatcherSizeFor(n) != unit.offset + unit.size)
    return false;
  for (int k = 1; k < unit.pgcs; ++k)
    if (MenuPgcOffset(vmg, unit, k) >= last) return false;
  return IsDispatcherFor(vmg, last, n);
}

// False when the unit cannot be followed; the reading side refuses such
// tables, so this only keeps the copies inside their buffers.
bool ScanUnit(ImageRef vmg, const MenuTable& table, int u, UnitScan* unit) {
  MenuUnit found;
  if (ReadMenuUnit(vmg, table, u, &found) != MenuUnitFault::None) return false;
  unit->data = vmg.data + found.offset;
  unit->size = found.size;
  unit->count = found.pgcs;
  int64_t last = MenuPgcOffset(vmg, found, found.pgcs);
  unit->last = last < 0 ? -1 : last - found.offset;
  unit->dispatcher = UnitEndsInDispatcher(vmg, found, Disc.TitleCount);
  return true;
}

// The units the copy can follow, and through `number` the dispatcher's
// number: behind the longest unit's own chains. Fillers added by an earlier
// run count as the unit's own, so reading a patched disc again arrives at
// the same number.
int UsableUnits(ImageRef vmg, const MenuTable& table, int* number, UnitScan* first) {
  int usable = 0;
  int longest = 0;
  for (UnitScan unit{}; usable < table.units && ScanUnit(vmg, table, usable, &unit); ++usable) {
    if (usable == 0) *first = unit;
    if (OrdinaryCount(unit) > longest) longest = OrdinaryCount(unit);
  }
  *number = longest + 1;
  return usable;
}

// Every title preselects itself, except the last, which preselects title 1.
void DefaultDestinations() {
  int n = Disc.TitleCount;
  for (int j = 0; j < n; ++j) {
    Disc.ActionTarget[j] = j + 1 < n ? j : 0;
    Disc.ActionKind[j] = Command;
  }
}

// The destinations an earlier execute wrote into the dispatcher. A command
// that the image does not hold reads as one that names no title.
void TakeDestinationsBack(ImageRef vmg, const uint8_t* dispatcher) {
  int n = Disc.TitleCount;
  int64_t commands = dispatcher + kFirstCommand - vmg.data;
  for (int j = 0; j < n; ++j) {
    bool last = j + 1 == n;
    int i = last ? 2 * n - 1 : 2 * j + 2;
    int target = 0;
    int64_t at = CommandOffset(vmg, commands, i);
    if (at >= 0) {
      const uint8_t* c = vmg.data + at;
      if (last || (c[0] == 0x30 && c[1] == 0x22)) target = c[5] - 1;
    }
    Disc.ActionTarget[j] = target < 0 ? 0 : target;
  }
}

void InitFillerPgc(uint8_t* d) {
  std::memset(d, 0, kFillerPgcSize);
  d[7] = 0xC0;
  WriteBe16(d + kPgcCommandTableOffset, kPgcHeaderSize);
  WriteBe16(d + kPgcHeaderSize, 1);
  WriteBe16(d + kPgcHeaderSize + 6, kCommandTableHeaderSize + kCommandSize - 1);
  std::memcpy(d + kFirstCommand, kExitCommand, kCommandSize);
}

void WritePointer(uint8_t* unit, int k, const uint8_t* category, int64_t offset) {
  uint8_t* p = unit + PointerTableEnd(k);
  if (category) {
    std::memcpy(p, category, 4);
  } else {
    std::memset(p, 0, 4);
  }
  WriteBe32(p + 4, int32_t(offset));
}

// Writes the unit at MenuTableImage + w with its dispatcher as chain
// `number`: the disc's own chains first, fillers for the numbers this unit
// lacks, then the dispatcher. An earlier dispatcher and whatever follows it
// are replaced. Returns the unit's new size, or -1 when it would not fit.
struct UnitLayout {
  int fillers;
  int64_t shift;         // of everything behind the search pointers
  int64_t cut;           // where an earlier dispatcher began, else the unit's end
  int64_t dispatcherAt;  // from the unit's start
  int64_t newSize;
  int64_t written;  // bytes the copy touches, the new size or more
};

UnitLayout LayOutUnit(const UnitScan& unit, int number) {
  UnitLayout l;
  l.fillers = number - 1 - OrdinaryCount(unit);
  l.shift = int64_t(kSearchPointerSize) * (number - unit.count);
  l.cut = unit.dispatcher ? unit.last : unit.size;
  l.dispatcherAt = l.cut + l.shift + int64_t(kFillerPgcSize) * l.fillers;
  l.newSize = l.dispatcherAt + DispatcherPgcSize();
  l.written = unit.size + l.shift > l.newSize ? unit.size + l.shift : l.newSize;
  return l;
}

int64_t WriteUnit(const UnitScan& unit, int number, int64_t w) {
  const int keep = OrdinaryCount(unit);
  const UnitLayout l = LayOutUnit(unit, number);
  const int64_t pointersEnd = PointerTableEnd(unit.count);
  if (number > kMaxPgcCount || l.fillers < 0 || w + l.written > kMenuTableCapacity) return -1;

  uint8_t* out = Disc.MenuTableImage + w;
  std::memcpy(out, unit.data, size_t(pointersEnd));
  std::memcpy(out + pointersEnd + l.shift, unit.data + pointersEnd, size_t(unit.size - pointersEnd));
  WriteBe16(out, number);
  for (int k = 0; k < keep; ++k) {
    uint8_t* offset = out + PointerTableEnd(k) + 4;
    WriteBe32(offset, int32_t(uint32_t(ReadBe32(offset)) + uint32_t(l.shift)));
  }
  for (int i = 0; i < l.fillers; ++i) {
    int64_t at = l.cut + l.shift + int64_t(kFillerPgcSize) * i;
    WritePointer(out, keep + i, nullptr, at);
    InitFillerPgc(out + at);
  }
  // An earlier dispatcher keeps its category byte, as an execute with the
  // no-menu option left it.
  const uint8_t* category = unit.dispatcher ? unit.data + PointerTableEnd(unit.count - 1) : nullptr;
  WritePointer(out, number - 1, category, l.dispatcherAt);
  InitDispatcherPgc(out + l.dispatcherAt);
  WriteBe32(out + 4, int32_t(l.newSize - 1));
  return l.newSize;
}

void BuildNewTable() {
  int n = Disc.TitleCount;
  uint8_t* t = Disc.MenuTableImage;
  WriteBe16(t, 1);
  WriteBe32(t + 4, 275 + 16 * n);
  t[8] = 'j';
  t[9] = 'a';
  t[kTableHeaderSize + kUnitFlags] = kUnitHasTitleMenu;
  WriteBe32(t + 12, 16);
  uint8_t* unit = t + 16;
  WriteBe16(unit, 1);
  WriteBe32(unit + 4, 259 + 16 * n);
  unit[kTableHeaderSize] = kEntryTitleMenu;
  WriteBe32(unit + 12, 16);
  InitDispatcherPgc(unit + 16);
  // The titles in order, the last returning to title 1; execute rewrites them.
  int32_t next[kMaxTitles];
  for (int j = 0; j < n && j < kMaxTitles; ++j) next[j] = j + 1 < n ? j + 1 : 0;
  if (n >= 1 && n <= kMaxTitles) WriteDispatcherCommands(unit + 16 + kFirstCommand, next, false);
}

// A disc that carries no dispatcher of ours gets the register pair that none
// of its own commands touches, so the dispatcher cannot disturb its menus.
void ChooseFreeRegister() {
  int r = FreeRegisterPair(RegistersUsedByDisc());
  if (r >= 0) Disc.MenuRegister = r;
}

// Builds the copy of the disc's table; returns the dispatcher's number in
// every unit. `called` receives the number the disc's titles call now.
int CopyMenuTable(ImageRef vmg, int64_t tableAt, int* called) {
  MenuTable table;
  if (ReadMenuTable(vmg, tableAt, &table) != MenuUnitFault::None) {
    DefaultDestinations();
    ChooseFreeRegister();
    *called = 1;
    return 1;
  }
  int64_t headerSize = PointerTableEnd(table.units);
  std::memcpy(Disc.MenuTableImage, vmg.data + tableAt, size_t(headerSize));

  int number = 1;
  UnitScan first{};
  int usable = UsableUnits(vmg, table, &number, &first);
  bool earlier = usable > 0 && first.dispatcher;
  Disc.MenuRegister = 0;
  if (earlier) {
    TakeDestinationsBack(vmg, first.data + first.last);
    *called = first.count;
  } else {
    DefaultDestinations();
    *called = number;
  }

  // Each stored unit is written once, in the order its languages are
  // listed; a language that shares another's unit points at that copy.
  int64_t w = headerSize;
  for (int u = 0; u < usable; ++u) {
    uint8_t* offset = Disc.MenuTableImage + kTableHeaderSize + kSearchPointerSize * u + 4;
    int same = FirstPointerToUnit(vmg, table, u);
    if (same < u) {
      std::memcpy(offset, Disc.MenuTableImage + kTableHeaderSize + kSearchPointerSize * same + 4, 4);
      continue;
    }
    UnitScan unit{};
    ScanUnit(vmg, table, u, &unit);
    // Units that disagree keep the last one's register, as they always have.
    Disc.MenuRegister = unit.dispatcher ? unit.data[unit.last + kFirstCommand + 3] : 0;
    int64_t size = WriteUnit(unit, number, w);
    if (size < 0) break;
    WriteBe32(offset, int32_t(w));
    w += size;
  }
  WriteBe32(Disc.MenuTableImage + 4, int32_t(w - 1));
  if (!earlier) ChooseFreeRegister();
  return number;
}

}  // namespace

void WriteDispatcherCommands(uint8_t* at, const int32_t* targets, bool random) {
  int n = Disc.TitleCount;
  if (n < 1) return;
  WriteCommands(at, targets, random, n, uint8_t(Disc.MenuRegister & 15));
}

bool IsOurDispatcher(ImageRef image, int64_t pgc) { return IsDispatcherFor(image, pgc, Disc.TitleCount); }

int64_t MenuTableGrowth(ImageRef vmg, int64_t tableAt) {
  MenuTable table;
  if (ReadMenuTable(vmg, tableAt, &table) != MenuUnitFault::None) return 0;
  int number = 1;
  UnitScan first{};
  int usable = UsableUnits(vmg, table, &number, &first);
  int64_t grown = 0;
  for (int u = 0; u < usable; ++u) {
    if (FirstPointerToUnit(vmg, table, u) < u) continue;
    UnitScan unit{};
    ScanUnit(vmg, table, u, &unit);
    grown += LayOutUnit(unit, number).written - unit.size;
  }
  return grown;
}

int DispatcherPgcSize() { return DispatcherSizeFor(Disc.TitleCount); }

void InitDispatcherPgc(uint8_t* d) { InitDispatcherFor(d, Disc.TitleCount); }

bool HoldsEarlierExecute(ImageRef vmg) {
  if (ReadFirstPlayKind(vmg) != DiscFirstPlay) return true;
  MenuTable table;
  MenuUnit first;
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  if (titles < 0 ||
      ReadMenuTable(vmg, TableOffset(vmg, kVmgMenuPgciUtSector), &table) != MenuUnitFault::None ||
      ReadMenuUnit(vmg, table, 0, &first) != MenuUnitFault::None)
    return false;
  return UnitEndsInDispatcher(vmg, first, ReadBe16(vmg.data + titles));
}

int PrepareMenuTable() {
  ImageRef stored = StoredVmgRef();
  int64_t size = stored.size <= kVmgImageCapacity ? stored.size : 0;
  Disc.VmgSize = int32_t(size);
  std::memcpy(Disc.VmgImage, stored.data, size_t(size));
  std::memset(Disc.MenuTableImage, 0, kMenuTableCapacity);

  ImageRef vmg = VmgImageRef();
  if (FieldValue(vmg, kVmgMenuPgciUtSector) <= 0) {
    ChooseFreeRegister();
    BuildNewTable();
    DefaultDestinations();
    Disc.MenuPgcNumber = 1;
    return 1;
  }

  // The titles' calls are recognised by the number the disc uses today;
  // execute then points every such call at the dispatcher's new number.
  int called = 1;
  Disc.MenuPgcNumber = CopyMenuTable(vmg, TableOffset(vmg, kVmgMenuPgciUtSector), &called);
  return called;
}
