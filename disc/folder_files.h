// Names of the edit folder's files, Disc.EditFolder followed by the file's
// own name. The folder check keeps every such name under kPathCapacity;
// should one not fit, the empty name opens and finds nothing.
#pragma once

#include <cstdio>

#include "disc/disc_state.h"

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
// only VIDEO_TS.VOB.
inline void VobFileName(char (&name)[kPathCapacity], int n, int k, const char* folder = Disc.EditFolder) {
  if (n == 0) {
    FileIn(name, folder, "%sVIDEO_TS.VOB");
  } else {
    FileIn(name, folder, "%sVTS_%02d_%d.VOB", n, k);
  }
}

// Information file n (0 VIDEO_TS.IFO, n VTS_nn_0.IFO), or its BUP.
inline void InfoFileName(char (&name)[kPathCapacity], int n, bool backup = false,
                         const char* folder = Disc.EditFolder) {
  const char* extension = backup ? "BUP" : "IFO";
  if (n == 0) {
    FileIn(name, folder, "%sVIDEO_TS.%s", extension);
  } else {
    FileIn(name, folder, "%sVTS_%02d_0.%s", n, extension);
  }
}
