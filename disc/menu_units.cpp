#include "disc/menu_units.h"

#include "disc/byte_order.h"

namespace {

int64_t PointersEnd(int count) { return kTableHeaderSize + int64_t(kSearchPointerSize) * count; }

// Where unit u starts, from the table's start: behind the search pointers,
// with room for its header before the table ends; else -1.
int64_t UnitStart(ImageRef image, const MenuTable& table, int u) {
  int64_t pointer = table.offset + PointersEnd(u);
  int64_t start = uint32_t(ReadBe32(image.data + pointer + 4));
  return start >= PointersEnd(table.units) && start + kTableHeaderSize <= table.size ? start : -1;
}

// Where the unit stored at `start` ends: at the next unit stored behind it,
// whichever pointer names that one, or at the table's end. Units may be
// stored in any order, and several pointers may name one unit.
int64_t UnitEnd(ImageRef image, const MenuTable& table, int64_t start) {
  int64_t end = table.size;
  for (int u = 0; u < table.units; ++u) {
    int64_t other = UnitStart(image, table, u);
    if (other > start && other < end) end = other;
  }
  return end;
}

}  // namespace

MenuUnitFault ReadMenuTable(ImageRef image, int64_t table, MenuTable* out) {
  *out = MenuTable{-1, 0, 0};
  if (!SpanInside(image.size, table, kTableHeaderSize)) return MenuUnitFault::TableOutside;
  int units = ReadBe16(image.data + table);
  int64_t size = int64_t(uint32_t(ReadBe32(image.data + table + 4))) + 1;
  if (size < PointersEnd(units) || !SpanInside(image.size, table, size)) return MenuUnitFault::TableOutside;
  *out = MenuTable{table, size, units};
  return MenuUnitFault::None;
}

MenuUnitFault ReadMenuUnit(ImageRef image, const MenuTable& table, int u, MenuUnit* unit) {
  *unit = MenuUnit{-1, -1, 0, 0};
  if (u < 0 || u >= table.units) return MenuUnitFault::UnitOutside;
  int64_t start = UnitStart(image, table, u);
  if (start < 0) return MenuUnitFault::UnitOutside;
  int64_t end = UnitEnd(image, table, start);
  *unit = MenuUnit{table.offset + PointersEnd(u), table.offset + start, end - start, 0};
  unit->pgcs = ReadBe16(image.data + unit->offset);
  if (unit->pgcs == 0) return MenuUnitFault::NoPgcs;
  if (PointersEnd(unit->pgcs) > unit->size) return MenuUnitFault::PointersOutside;
  return MenuUnitFault::None;
}

int64_t MenuPgcOffset(ImageRef image, const MenuUnit& unit, int k) {
  if (k < 1 || k > unit.pgcs) return -1;
  int64_t pgc = PgcOffset(image, unit.offset, k);
  return pgc >= 0 && pgc < unit.offset + unit.size ? pgc : -1;
}

bool FindMenuUnit(ImageRef image, int64_t table, int code, MenuUnit* unit) {
  MenuTable t;
  if (ReadMenuTable(image, table, &t) != MenuUnitFault::None) return false;
  for (int u = 0; u < t.units; ++u) {
    if (ReadMenuUnit(image, t, u, unit) == MenuUnitFault::None &&
        ReadBe16(image.data + unit->pointer) == code)
      return true;
  }
  return ReadMenuUnit(image, t, 0, unit) == MenuUnitFault::None;
}

int FirstPointerToUnit(ImageRef image, const MenuTable& table, int u) {
  int64_t start = UnitStart(image, table, u);
  for (int j = 0; j < u; ++j) {
    if (UnitStart(image, table, j) == start) return j;
  }
  return u;
}

MenuUnitCheck CheckMenuUnits(ImageRef image, int64_t table) {
  MenuTable t;
  MenuUnitFault fault = ReadMenuTable(image, table, &t);
  if (fault != MenuUnitFault::None) return {fault, 0, 0};
  // Every start first, so that a unit pointing elsewhere is named rather
  // than the one before it, whose end it would be.
  for (int u = 0; u < t.units; ++u) {
    if (UnitStart(image, t, u) < 0) return {MenuUnitFault::UnitOutside, u, 0};
  }
  for (int u = 0; u < t.units; ++u) {
    MenuUnit unit;
    fault = ReadMenuUnit(image, t, u, &unit);
    if (fault != MenuUnitFault::None) return {fault, u, 0};
    for (int k = 1; k <= unit.pgcs; ++k) {
      if (MenuPgcOffset(image, unit, k) < 0) return {MenuUnitFault::PgcOutside, u, k};
    }
  }
  return {MenuUnitFault::None, 0, 0};
}
