// The record a backup keeps of the disc it was taken from, and the test
// every use of a backup passes first: the folder still holds that disc's
// video files, and each backed-up file is as it was when taken.
#pragma once

enum class BackupTrust {
  None,       // no backup there
  Own,        // taken from the disc in the folder, every file as it was
  OtherDisc,  // the folder's video files are not those of the disc it was taken from
  Changed,    // a file changed, went missing or was added since it was taken
  Unproven,   // made before records were kept, and its IFO files do not
              // hold together with the folder's video files
};

// The record inside the backup: one line per VOB file of the disc
// ("<size> <name>"), then one per IFO and BUP file of the backup with its
// checksum.
constexpr char kBackupRecordName[] = "DISC.TXT";

// Writes the record of `into` (a new backup, ending in a backslash) of the
// disc in `editFolder`, once the files are copied.
bool WriteBackupRecord(const char* editFolder, const char* into);

// How far the backup in `backup` can be trusted for `editFolder` (both end
// in a backslash). A backup without a record, or with the names-and-sizes
// record of the version before, passes when its IFO files pass a folder
// read's checks beside the folder's video files.
BackupTrust CheckBackupRecord(const char* editFolder, const char* backup);

// What is wrong with a backup that is not Own, one sentence.
const char* BackupFault(BackupTrust trust);
