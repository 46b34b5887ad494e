// Writing a set of files all or nothing: each new file goes to a temporary
// beside it, is flushed to the disk, and only when all are written do they
// replace the originals.
#pragma once

#include <cstdint>

struct PendingFile {
  const char* name;  // file name inside the folder, e.g. "VIDEO_TS.IFO"
  const uint8_t* bytes;
  int64_t size;
  // When set, the content is this file's (a full path) instead of `bytes`.
  const char* sourcePath = nullptr;
};

// Appended to a file's name for its temporary ("VIDEO_TS.IFO.rwtmp"), and
// for its original while the new content takes its place.
constexpr char kTemporarySuffix[] = ".rwtmp";
constexpr char kOriginalSuffix[] = ".rwold";
static_assert(sizeof kOriginalSuffix == sizeof kTemporarySuffix, "FileSetPathFits measures one");
// The most files one set can hold.
constexpr int kMaxFileSet = 256;

// True when folder + name + the temporary suffix fit a 260-byte path buffer.
bool FileSetPathFits(const char* folder, const char* name);

// What WriteFileSet says when a file's temporary cannot be created or
// written; each text may name the file with one %s.
struct WriteMessages {
  const char* cannotCreate;
  const char* writeFailed;
};
extern const WriteMessages kIfoWriteMessages;

// folder ends in a backslash. Shows its own message on failure and returns
// false; then every original is as it was and no temporary is left, unless
// putting an original back failed as well, which the message says (files
// named there hold their new contents, the rest their old).
bool WriteFileSet(const char* folder, const PendingFile* files, int count,
                  const WriteMessages& messages = kIfoWriteMessages);

// The IFO and BUP files of the patched images, in the order they are written:
// VIDEO_TS.IFO, VIDEO_TS.BUP, then VTS_nn_0.IFO and .BUP for n = 1..TitleSetCount.
// `names` receives the file names the entries point at, as the last listing
// of the edit folder spelled them. Returns the number of
// files, or -1 (nothing shown) when they do not fit `capacity` or a size or
// offset in Disc leaves its image.
int CollectPatchedFiles(PendingFile* files, int capacity, char names[][16]);
