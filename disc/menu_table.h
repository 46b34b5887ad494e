// The prepared video manager menu table: the disc's own menu program chains
// with a dispatcher chain added as the same-numbered last chain of every
// language unit.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

// Sets MenuPgcNumber to the dispatcher's number in the prepared table;
// returns the number the disc's titles call today (an earlier dispatcher's).
int PrepareMenuTable();
// p: the first 16 bytes of a program chain's command area. Sets MenuRegister
// (0 when not recognised).
bool FindDispatcherPgc(const uint8_t* p);
// The same test without touching MenuRegister.
bool IsDispatcherStart(const uint8_t* p);

// Whether a VIDEO_TS.IFO image already holds what an execute writes: a
// dispatcher as the last chain of its first menu language unit, or an
// option's First Play. Such files are no disc's originals.
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
