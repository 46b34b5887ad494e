// The copy of a folder's IFO and BUP files as they were before Reelwrite
// first wrote into it, kept in a sibling folder "<folder>_ORIGINAL_IFO".
#pragma once

#include <cstddef>

// Backup folder of an edit folder ("D:\DISC1\VIDEO_TS\" -> "D:\DISC1\VIDEO_TS_ORIGINAL_IFO\").
bool BackupFolderOf(const char* editFolder, char* out, std::size_t capacity);
// Makes the backup when there is none. Asks whether to go on when it cannot
// be made; false when the user says no.
bool EnsureOriginalBackup(const char* editFolder);
// Puts the backup's files back over the folder's, all or nothing.
bool RestoreOriginalBackup(const char* editFolder);
