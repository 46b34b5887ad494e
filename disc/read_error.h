// Messages of the reading side: every one is a warning box captioned "エラー".
#pragma once

#include <cstddef>

// Capacity for a Shift-JIS path of 260 bytes once it is UTF-8 (a half-width
// katakana byte becomes three).
constexpr std::size_t kMessagePathCapacity = 800;
constexpr std::size_t kMessageCapacity = 1024;

// The path as the user knows it (the host name on POSIX), UTF-8, for a
// message; bytes that do not convert show as '?'.
const char* PathForMessage(const char* sjisPath, char* out, std::size_t capacity);

void ShowReadError(const char* utf8Text);

// A fault found while reading, held until the reading knows whether the
// file's BUP can stand in for it. `file` is the information file it is in
// (0 VIDEO_TS.IFO, n VTS_nn_0.IFO), or -1 when no BUP would mend it.
struct ReadFault {
  int file = -1;
  char text[kMessageCapacity] = "";
};
