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

}  // namespace platform
