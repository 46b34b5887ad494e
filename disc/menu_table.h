// The prepared video manager menu table: the disc's own menu program chains
// with a dispatcher chain added as the same-numbered last chain of every
// language unit.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

// Sets MenuPgcNumber to the dispatcher's number in the prepared table;
// returns the number the disc's titles call today (an earlier dispatcher's).
int PrepareMenuTable();
// The chain at `pgc` holds exactly the bytes of a dispatcher we write for
// the current TitleCount (any register pair, destinations and draw).
bool IsOurDispatcher(ImageRef image, int64_t pgc);
// Bytes the prepared table adds to the disc's table at `tableAt` (0 when it
// cannot be followed): a dispatcher and fillers where a unit lacks them.
int64_t MenuTableGrowth(ImageRef vmg, int64_t tableAt);

// Whether a VIDEO_TS.IFO image already holds what an execute writes: our
// dispatcher, whole and in its place, as the last chain of its first menu
// language unit, or an option's First Play. Such files are no disc's originals.
bool HoldsEarlierExecute(ImageRef vmg);
// Writes an empty dispatcher chain sized for the current TitleCount.
void InitDispatcherPgc(uint8_t* d);
// The dispatcher's commands from `at`, 2 x TitleCount of them: the title
// just played (SPRM 4), or with `random` a random title number, goes to
// targets[title - 1] + 1; pair j compares with j + 1, and a number that
// matches none ends at the last title's target.
void WriteDispatcherCommands(uint8_t* at, const int32_t* targets, bool random);
// Size of a dispatcher chain for the current TitleCount.
int DispatcherPgcSize();
