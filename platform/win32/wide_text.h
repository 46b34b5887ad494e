// The edge between the engine's byte strings and the W (UTF-16) APIs.
#pragma once

#include <string>

namespace platform {

constexpr unsigned kShiftJisCodePage = 932;

// Text in `codePage` to UTF-16; false when a byte sequence is not valid.
bool ToWide(unsigned codePage, const char* text, std::wstring* out);
// UTF-16 to `codePage`; false when a character has no code there.
bool FromWide(unsigned codePage, const wchar_t* text, std::size_t length, std::string* out);

// A Shift-JIS drive path as the W APIs take it.
inline bool WidePath(const char* path, std::wstring* out) { return ToWide(kShiftJisCodePage, path, out); }

// A path the user gave (typed, pasted, chosen in a dialog, or an argument)
// as the engine takes it: in Shift-JIS as it is or, where it has no
// Shift-JIS spelling, by its short (8.3) path, which names the same entry in
// plain ASCII. A path to an entry not made yet is shortened up to its last
// name. Windows' counterpart of the command line's stand-in drives on POSIX.
enum class EngineSpelling {
  kAsGiven,
  kShortened,
  kMissing,       // no Shift-JIS spelling, and nothing there to have a short name
  kNoShortNames,  // no Shift-JIS spelling, and the volume keeps no short names
};
EngineSpelling EnginePathOf(const std::wstring& path, std::string* sjis);

// A Shift-JIS path as the user knows it: short names spelled out in full
// (the path as it is where it names nothing).
std::wstring LongForm(const char* sjisPath);

}  // namespace platform
