// Visiting every program chain of the tables that hold them, through the
// checked lookups: a table, unit or chain that leaves its image is skipped.
#pragma once

#include <cstdint>

#include "disc/ifo_tables.h"

using VisitPgc = void (*)(ImageRef image, int64_t pgc, void* context);

// Every program chain of a table whose count is at byte 0 and whose search
// pointers start at byte 8 (VTS_PGCIT). `table` may be -1.
void ForEachPgc(ImageRef image, int64_t table, VisitPgc visit, void* context);

// Every program chain of every language unit of a menu program chain table
// (VMGM_PGCI_UT, VTSM_PGCI_UT). `table` may be -1.
void ForEachMenuPgc(ImageRef image, int64_t table, VisitPgc visit, void* context);
