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

// The sector fields the information files hold must be what the files of
// the folder give, as they are on a complete disc: execute recomputes them
// from the files, and a folder with a VOB missing would get wrong addresses.
// Runs after CheckDiscTables, with the VOB sizes measured.
bool CheckSectorFields(ReadFault* fault);

// Every check a folder read makes of the images in IfoStore, with the VOB
// sizes measured: what images kept elsewhere (a project's) must pass too.
bool CheckReadDisc(ReadFault* fault);
