// The copy of a folder's IFO and BUP files as they were before Reelwrite
// first wrote into it, kept in a sibling folder "ORIGINAL_IFO" (of a VIDEO_TS
// folder; "ORIGINAL_IFO_<folder>" of any other) together with a record of
// the disc it was taken from.
#pragma once

#include <cstddef>

#include "disc/ifo_tables.h"

// Where a new backup of an edit folder goes
// ("D:\DISC1\VIDEO_TS\" -> "D:\DISC1\ORIGINAL_IFO\"), beside the folder
// symbolic links lead to.
bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity);
// The backup an earlier execute made of the disc in an edit folder, under
// its name or the ones older versions gave it ("D:\DISC1\ORIGINAL_IFO_VIDEO_TS\",
// "D:\DISC1\VIDEO_TS_ORIGINAL_IFO\"), that passes its record; false when
// there is none. The one place that knows those names.
bool FindOriginalBackup(const char* editFolder, char* out, std::size_t capacity);
// VIDEO_TS.IFO as the disc's backup holds it; size 0 without one.
ImageRef OriginalVmgImage(const char* editFolder);
// Makes the backup when there is none. Asks whether to go on when it cannot
// be made, or when its place holds a backup of another disc or one that
// fails its record, which is never used nor overwritten
// (Question::kGoOnWithoutBackup); false when the user says no. Says so
// (kAlreadyChangedText) when the files backed up hold an earlier execute's
// changes.
bool EnsureOriginalBackup(const char* editFolder);
extern const char kAlreadyChangedText[];
// Puts the backup's files back over the folder's, all or nothing, once each
// has passed the backup's record; refuses a backup taken from another disc
// than the one in the folder now, or one that fails its record.
bool RestoreOriginalBackup(const char* editFolder);
