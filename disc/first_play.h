// The First Play program chain the two start options write, and telling it
// apart from a disc's own, so that switching an option off can put the
// disc's own back.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

enum FirstPlayKind { DiscFirstPlay, RandomFirstPlay, NoMenuFirstPlay };

// Replaces the First Play of a VIDEO_TS.IFO image (at least 0x800 bytes)
// by a chain with no programs or cells whose one pre-command is `command`.
// It takes the 1024 bytes behind VMGI_MAT, whatever the old one took.
void WriteOptionFirstPlay(uint8_t* vmg, const uint8_t command[8]);

// Which First Play the image holds: exactly what an option writes, or else
// the disc's own.
FirstPlayKind ReadFirstPlayKind(ImageRef vmg);

// The disc's own First Play out of `from` (VIDEO_TS.IFO as backed up) into
// `vmg`: the area behind VMGI_MAT and the two fields that locate it.
void CopyFirstPlay(ImageRef from, uint8_t* vmg);
