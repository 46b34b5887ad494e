// Names of the edit folder's files, Disc.EditFolder followed by the file's
// own name. The folder check keeps every such name under kPathCapacity;
// should one not fit, the empty name opens and finds nothing.
#pragma once

#include <cstdio>

#include "disc/disc_state.h"
#include "disc/folder_listing.h"

// `format` starts with %s for the folder; `numbers` fill the rest.
template <typename... Numbers>
void FileIn(char (&name)[kPathCapacity], const char* folder, const char* format, Numbers... numbers) {
  if (std::snprintf(name, sizeof name, format, folder, numbers...) >= int(sizeof name)) name[0] = '\0';
}

template <typename... Numbers>
void FolderFile(char (&name)[kPathCapacity], const char* format, Numbers... numbers) {
  FileIn(name, Disc.EditFolder, format, numbers...);
}

// Video object file k of title set n (k 0 holds the set's menus); set 0 has
// only VIDEO_TS.VOB. Spelled as the last listing of `folder` found it.
inline void VobFileName(char (&name)[kPathCapacity], int n, int k, const char* folder = Disc.EditFolder) {
  char file[16];
  DiscFileName(folder, n, DiscFileKind::Vob, k, file, sizeof file);
  FileIn(name, folder, "%s%s", file);
}

// Information file n (0 VIDEO_TS.IFO, n VTS_nn_0.IFO), or its BUP, spelled as
// the last listing of `folder` found it.
inline void InfoFileName(char (&name)[kPathCapacity], int n, bool backup = false,
                         const char* folder = Disc.EditFolder) {
  char file[16];
  DiscFileName(folder, n, backup ? DiscFileKind::Bup : DiscFileKind::Ifo, 0, file, sizeof file);
  FileIn(name, folder, "%s%s", file);
}
