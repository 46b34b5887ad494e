// Writing a set of files all or nothing: each new file goes to a temporary
// beside it, is flushed to the disk, and only when all are written do they
// replace the originals.
#pragma once

#include <cstdint>

struct PendingFile {
  const char* name;      // file name inside the folder, e.g. "VIDEO_TS.IFO"
  const uint8_t* bytes;
  int64_t size;
};

// folder ends in a backslash. Shows its own message on failure and returns
// false; then every original is as it was and no temporary is left.
bool WriteFileSet(const char* folder, const PendingFile* files, int count);

// The IFO and BUP files of the patched images, in the order they are written.
int CollectPatchedFiles(PendingFile* files, int capacity, char names[][16]);
