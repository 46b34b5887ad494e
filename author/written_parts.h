// What execute writes into the information files, named once. The patches
// write these parts and no other byte; a stored image (a project's, or one
// read before the folder changed) is trusted where it equals a file of the
// folder outside them, since writing it then changes nothing else.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"
#include "disc/menu_units.h"
#include "disc/title_chain.h"

// The sector fields, recomputed from the file sizes.
constexpr int kVmgSectorFields[3] = {kVmgLastSector, kVmgIfoLastSector, kVmgMenuVobsSector};
constexpr int kVtsSectorFields[4] = {kVtsLastSector, kVtsIfoLastSector, kVtsMenuVobsSector,
                                     kVtsTitleVobsSector};
// In each title's search pointer entry: its title set's first sector.
constexpr int kTitleEntryStartSector = 8;

// Where VIDEO_TS.IFO's menu table lies, and is put when the disc has none:
// `sectors` 0 then, and the field at kVmgMenuPgciUtSector gets `sector`.
// The tables behind it move with it, their fields by as many sectors.
struct MenuTableSpan {
  int64_t sector;
  int64_t sectors;
  bool fieldWasZero;
};
// False when the fields do not say where a table can go: it would overlap
// First Play, the title table or a following table, or leave the image.
bool FindMenuTableSpan(ImageRef vmg, MenuTableSpan* span);

// Title j's (0-based) chain and the slot its end action goes to (its first
// post command, or its last cell's command where that ends it); false when
// nothing of the title is written: it is out of range, or the slot is yet
// to be added.
bool WrittenPostSlot(ImageRef vmg, int j, TitleChain* chain, int64_t* slot);

// Where the commands of a unit's dispatcher (its last program chain) start
// in the prepared menu table: 2 x TitleCount of them, written at every
// execute. -1 when the chain or such a command table is not where the
// table's own offsets say.
int64_t WrittenDispatcherCommands(ImageRef table, const MenuUnit& unit);

// Whether the prepared menu table is the one preparing the stored
// VIDEO_TS.IFO gives, outside the dispatchers' commands: it goes into the
// file as it stands. Leaves Disc as it was.
bool PreparedTableIsStoredOnes();

// Whether information file n as stored (in IfoStore) equals `file` outside
// the parts above and First Play (the area behind VMGI_MAT and its two
// fields), the menu table allowed to have moved what follows it.
bool SameOutsideWrittenParts(int n, ImageRef file);
