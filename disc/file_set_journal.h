// Putting a set of new files into one folder so that a run killed at any
// moment, or a power cut, leaves a folder the next run finishes by itself.
// Every name always exists: a file is replaced by one rename of its
// temporary over it. Until the whole set is in, a copy of each original
// waits beside it and an intent file records the set; the next run
// (RecoverInterruptedWrite) then completes the set, or undoes it when the
// record says so. The writer (author/file_set_writer) takes these steps;
// every reader of a folder recovers it first.
#pragma once

#include "disc/disc_state.h"

// Appended to a file's name for its new content ("VIDEO_TS.IFO.rwtmp") and
// for the copy of its original ("VIDEO_TS.IFO.rwold").
constexpr char kTemporarySuffix[] = ".rwtmp";
constexpr char kOriginalSuffix[] = ".rwold";
static_assert(sizeof kOriginalSuffix == sizeof kTemporarySuffix, "FileSetPathFits measures one");
// The most files one set can hold.
constexpr int kMaxFileSet = 256;

struct SetMember {
  const char* name;  // inside the folder, e.g. "VIDEO_TS.IFO"
  bool kept;         // it existed, and a copy of it waits under name + kOriginalSuffix
};

// folder + name + suffix into a path buffer; false (the path empty) when it
// does not fit.
bool SetPath(char (&out)[kPathCapacity], const char* folder, const char* name, const char* suffix = "");
// True when folder + name + a suffix fits a path buffer; then so do the
// names of the intent file, which are no longer than a 12-character name
// with its suffix.
bool FileSetPathFits(const char* folder, const char* name);
// A name the intent file can record: a file of the folder itself.
bool IsSetMemberName(const char* name);

// Once every temporary and copy is written and flushed: records the set and
// makes it durable with them. From here on the next run completes the set.
// False, with nothing recorded, when that cannot be done.
bool BeginFileSet(const char* folder, const SetMember* members, int count);

// Moves `from` over `to` in one rename, so that `to` names the old or the
// new file at every moment. A read-only `to` is made writable first (Windows
// refuses to replace it otherwise); its hidden, system and archive bits stay.
// On failure both are as before.
bool PutInPlace(const char* from, const char* to);

// After a replacement failed: every member's original in place again.
// holdsNew[i] tells which members could not be put back; false when any
// could not, and then the record says to undo, for the next run.
bool UndoFileSet(const char* folder, const SetMember* members, int count, bool* holdsNew);

// After the last replacement: the copies go, then the record.
void EndFileSet(const char* folder, const SetMember* members, int count);

// Removes the temporaries and copies of a set that was never begun.
void DiscardFileSet(const char* folder, const SetMember* members, int count);

// What the record in a folder asks of the next run.
enum class SetRecord {
  kNone,        // no set begun, or one whose record was cut short: it never began
  kComplete,    // put every temporary left in place
  kUndo,        // put every original back
  kUnreadable,  // there is a record, but it cannot be read
};
// Reads the folder's record; `members` (kMaxFileSet of them) then point into
// storage that lasts until the next call.
SetRecord ReadSetRecord(const char* folder, SetMember* members, int* count);
// The record's own names, for the recovery to remove one cut short.
bool SetRecordPath(char (&out)[kPathCapacity], const char* folder, SetRecord which);
