// Finishing what a run killed while writing left in a folder, before
// anything reads or writes it (see disc/file_set_journal).
#pragma once

enum class Recovery {
  kNothing,    // no write was cut off here
  kCompleted,  // the set recorded is in: its files hold their new contents
  kUndone,     // the set recorded was being undone: its files hold what they held before
  kCleared,    // temporaries of a set that never began were removed; no file was replaced
  kPutBack,    // originals that an older version left stepped aside are back under their names
  kStuck,      // neither could be done: the record stays for the next run
};

// Quiet: does the work and says what it did. `folder` ends in a backslash.
Recovery RecoverFileSet(const char* folder);

// The same, then tells the user what it did. False, having said so, when
// the folder is left in the middle of a write and must not be read.
bool RecoverInterruptedWrite(const char* folder);
