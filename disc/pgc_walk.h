// Visiting every program chain of the tables that hold them, through the
// checked lookups: a table, unit or chain that leaves its image is skipped.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

using VisitPgc = void (*)(ImageRef image, int64_t pgc, void* context);

// The First Play program chain of a video manager image (byte address at
// 0x84), or -1 when it has none or it leaves the image.
int64_t FirstPlayPgcOffset(ImageRef vmg);

// Language unit u (0-based) of a menu program chain table (VMGM_PGCI_UT or
// VTSM_PGCI_UT) starting at `table`: its offset in the image, or -1.
int64_t LanguageUnitOffset(ImageRef image, int64_t table, int u);

// The language code of unit u (e.g. 'e' << 8 | 'n'), or -1.
int LanguageUnitCode(ImageRef image, int64_t table, int u);

// The unit of a menu program chain table whose code is `code`, else the
// first unit, as players choose: its offset, or -1.
int64_t MenuLanguageUnit(ImageRef image, int64_t table, int code);

// Every program chain of a table whose count is at byte 0 and whose search
// pointers start at byte 8 (VTS_PGCIT or one language unit). `table` may be -1.
void ForEachPgc(ImageRef image, int64_t table, VisitPgc visit, void* context);

// Every program chain of every language unit of a menu program chain table.
void ForEachMenuPgc(ImageRef image, int64_t table, VisitPgc visit, void* context);
