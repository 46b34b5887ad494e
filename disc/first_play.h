// The First Play program chain the two start options write, and telling it
// apart from a disc's own, so that switching an option off can put the
// disc's own back.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

// VMGI_MAT ends at 0x3FF; the option's First Play takes the next 1024 bytes.
// Writing it or the disc's own back changes these and the two fields from
// kVmgMatEnd (the MAT's end and First Play's address), nothing else.
constexpr int kFirstPlayArea = 0x400;
constexpr int kFirstPlayAreaSize = 0x400;
constexpr int kFirstPlayFieldsSize = 8;

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
