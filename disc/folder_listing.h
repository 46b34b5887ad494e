// The files of a DVD-Video folder as one listing of it found them: which are
// there, their sizes, and each name as the folder spells it (a Linux ISO 9660
// mount shows "video_ts.ifo"). Reading lists the edit folder once, and
// execute the folder it writes into; every file of the disc is then looked up
// here rather than asked of the file system name by name, and written back
// under the name it was found with.
#pragma once

#include <cstddef>
#include <cstdint>

enum class DiscFileKind : uint8_t { Ifo, Bup, Vob };

// Lists `folder` (a full path ending in a backslash) and forgets the folder
// listed before. A folder that cannot be listed holds nothing.
void ListDiscFolder(const char* folder);

struct ListedFile {
  bool found;
  uint64_t size;
};

// File `kind` of title set n (0 for the VIDEO_TS files; k the VOB's part, 0
// for the set's menus) in `folder`, as the last listing found it: not found
// when `folder` is not the folder listed last.
ListedFile FindListedFile(const char* folder, int n, DiscFileKind kind, int k = 0);

// The file's name within `folder` as it was found there. A file not found
// takes the spelling of its IFO or BUP twin where that was found (so that a
// lower-case folder gets a lower-case backup), else the name the format
// gives it ("VTS_01_0.BUP").
void DiscFileName(const char* folder, int n, DiscFileKind kind, int k, char* out, std::size_t capacity);
