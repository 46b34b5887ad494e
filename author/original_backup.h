// The copy of a folder's IFO and BUP files as they were before Reelwrite
// first wrote into it, kept in a sibling folder "ORIGINAL_IFO" (of a VIDEO_TS
// folder; "ORIGINAL_IFO_<folder>" of any other) together with a record of
// the disc it was taken from.
#pragma once

#include <cstddef>

// Where a new backup of an edit folder goes
// ("D:\DISC1\VIDEO_TS\" -> "D:\DISC1\ORIGINAL_IFO\").
bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity);
// The backup an earlier execute made of an edit folder, under its name or
// the ones older versions gave it ("D:\DISC1\ORIGINAL_IFO_VIDEO_TS\",
// "D:\DISC1\VIDEO_TS_ORIGINAL_IFO\");
// false when there is none. The one place that knows those names.
bool FindOriginalBackup(const char* editFolder, char* out, std::size_t capacity);
// Makes the backup when there is none. Asks whether to go on when it cannot
// be made (Question::kGoOnWithoutBackup); false when the user says no.
bool EnsureOriginalBackup(const char* editFolder);
// Puts the backup's files back over the folder's, all or nothing; refuses a
// backup taken from another disc than the one in the folder now.
bool RestoreOriginalBackup(const char* editFolder);
