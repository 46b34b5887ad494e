// The language units of a menu program chain table (VMGM_PGCI_UT in the
// video manager, VTSM_PGCI_UT in a title set) and their program chains,
// located the one way every reader and writer follows them.
//
// A unit is taken to run from its start to where the next unit stored behind
// it begins (the last stored to the table's end address), so the units must
// lie inside the table and behind its search pointers; they may be stored in
// any order, and several language codes may point at one unit. A unit's
// chain search pointers must lie inside it, and each chain must start inside
// it. libdvdread reads the same tables with these bounds.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

// A menu chain's category byte (first byte of its search pointer): entry
// chain flag and menu number.
constexpr uint8_t kEntryPgc = 0x80;
constexpr uint8_t kEntryTitleMenu = kEntryPgc | 2;
// A unit's existence flags (fourth byte of its search pointer): bit 7 says
// the unit has a title menu.
constexpr int kUnitFlags = 3;
constexpr uint8_t kUnitHasTitleMenu = 0x80;

// What keeps a table or one of its units from being followed.
enum class MenuUnitFault : uint8_t {
  None,
  TableOutside,     // no table, or its end or its unit search pointers leave the image
  UnitOutside,      // a unit starts among the search pointers or past the table's end
  NoPgcs,           // a unit of no program chains
  PointersOutside,  // a unit's chain search pointers leave the unit
  PgcOutside,       // a chain starts outside its unit (or its header outside the image)
};

struct MenuTable {
  int64_t offset;  // in the image
  int64_t size;    // by its end address
  int units;
};

struct MenuUnit {
  int64_t pointer;  // its search pointer: language code, flags at kUnitFlags
  int64_t offset;   // the unit: chain count, end address, chain search pointers
  int64_t size;     // up to the next unit, the last up to the table's end
  int pgcs;         // at least 1
};

// The table starting at `table` (a TableOffset; -1 for none).
MenuUnitFault ReadMenuTable(ImageRef image, int64_t table, MenuTable* out);

// Unit u (0-based) of a table ReadMenuTable accepted. Its chains are
// checked one by one as they are looked up (MenuPgcOffset), or all at once
// by CheckMenuUnits.
MenuUnitFault ReadMenuUnit(ImageRef image, const MenuTable& table, int u, MenuUnit* unit);

// Program chain k (1-based) of a unit: its offset in the image, or -1.
int64_t MenuPgcOffset(ImageRef image, const MenuUnit& unit, int k);

// The unit whose language code is `code` ('e' << 8 | 'n'), else the first,
// as players choose. False when that unit cannot be followed.
bool FindMenuUnit(ImageRef image, int64_t table, int code, MenuUnit* unit);

// The first search pointer (0-based) that names the same stored unit as
// pointer u: u itself unless an earlier language shares its unit.
int FirstPointerToUnit(ImageRef image, const MenuTable& table, int u);

// Every unit and every chain of the table at `table`: the first fault, with
// the unit (0-based) and the chain (1-based) it lies in.
struct MenuUnitCheck {
  MenuUnitFault fault;
  int unit;
  int pgc;
};
MenuUnitCheck CheckMenuUnits(ImageRef image, int64_t table);
