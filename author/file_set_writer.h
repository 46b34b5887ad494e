// Writing a set of files all or nothing: each new file goes to a temporary
// beside it and is flushed to the disk; only when all are written do they
// replace the originals, each by one rename, under the record that lets the
// next run finish a set cut off half-way (disc/file_set_journal).
#pragma once

#include <cstdint>

#include "disc/file_set_journal.h"

struct PendingFile {
  const char* name;  // file name inside the folder, e.g. "VIDEO_TS.IFO"
  const uint8_t* bytes;
  int64_t size;
  // When set, the content is this file's (a full path) instead of `bytes`.
  const char* sourcePath = nullptr;
};

// What WriteFileSet says when a file's temporary cannot be created or
// written; each text may name the file with one %s.
struct WriteMessages {
  const char* cannotCreate;
  const char* writeFailed;
};
extern const WriteMessages kIfoWriteMessages;

// folder ends in a backslash, and a write cut off there before is finished
// first. Shows its own message on failure and returns false; then every
// original is as it was and no temporary is left, unless putting an
// original back failed as well, which the message says (files named there
// hold their new contents, the rest their old; the next run undoes them).
bool WriteFileSet(const char* folder, const PendingFile* files, int count,
                  const WriteMessages& messages = kIfoWriteMessages);

// The IFO and BUP files of the patched images, in the order they are written:
// VIDEO_TS.IFO, VIDEO_TS.BUP, then VTS_nn_0.IFO and .BUP for n = 1..TitleSetCount.
// `names` receives the file names the entries point at, as the last listing
// of the edit folder spelled them. Returns the number of
// files, or -1 (nothing shown) when they do not fit `capacity` or a size or
// offset in Disc leaves its image.
int CollectPatchedFiles(PendingFile* files, int capacity, char names[][16]);
