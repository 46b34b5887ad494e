// The refusal of a disc whose information files cannot be followed safely.
#pragma once

#include "disc/read_error.h"

// Runs on the images just read into IfoStore, with TitleCount and
// TitleSetCount set. Returns false with the first fault found (naming the
// file) in `fault`, or shown when `fault` is null; the caller then drops the
// disc. Checks that every table the
// rest of the program follows lies inside its file: the title table and each
// title's entry, each valid title's program chain and its commands, the video
// manager menu table with its language units and program chains, and that
// the menu table prepared from it will fit its buffers.
bool CheckDiscTables(ReadFault* fault = nullptr);

// "<file>が異常です（<fault>）." for information file n (0 = VIDEO_TS.IFO),
// written into `to`. `fault` may hold up to two %d conversions, filled from
// a and b.
void InfoFileFault(ReadFault* to, int n, const char* fault, int a = 0, int b = 0);

// Every sector the disc's own address tables (the cell address table and
// the VOBU address map of each menu and title VOB set) name must lie in the
// VOB files that hold that set: a part missing, a VOB cut short or a folder
// of IFOs alone would otherwise be written with addresses into nothing.
// Space the layout fields record beyond the files (padding before a BUP, a
// small video manager set rounded up) is no fault: execute recomputes those
// fields from the files. Runs after CheckDiscTables, with the VOB sizes
// measured; `fault` receives the first fault.
bool CheckVobsHoldAddressedSectors(ReadFault* fault);

// Every check a folder read makes of the images in IfoStore, with the VOB
// sizes measured: what images kept elsewhere (a project's) must pass too.
bool CheckReadDisc(ReadFault* fault);
