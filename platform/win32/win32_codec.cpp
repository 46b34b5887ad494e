// Code page 932 and UTF-8 through UTF-16, refusing instead of substituting:
// a name that comes back with '?' in it would name another file.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

bool CopyOut(const std::string& text, char* out, std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = '\0';
  if (text.size() >= capacity) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool ToWide(unsigned codePage, const char* text, std::wstring* out) {
  out->clear();
  const int length = static_cast<int>(std::strlen(text));
  if (length == 0) return true;
  const int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, length, nullptr, 0);
  if (needed <= 0) return false;
  out->resize(needed);
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text, length, &(*out)[0], needed) == needed;
}

bool FromWide(unsigned codePage, const wchar_t* text, std::size_t length, std::string* out) {
  out->clear();
  if (length == 0) return true;
  // UTF-8 reports unpaired surrogates by failing; other code pages report
  // a missing character through the default-character flag.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPtr = utf8 ? nullptr : &usedDefault;
  const int wideLength = static_cast<int>(length);
  const int needed =
      WideCharToMultiByte(codePage, flags, text, wideLength, nullptr, 0, nullptr, usedDefaultPtr);
  if (needed <= 0 || usedDefault) return false;
  out->resize(needed);
  const int written =
      WideCharToMultiByte(codePage, flags, text, wideLength, &(*out)[0], needed, nullptr, usedDefaultPtr);
  return written == needed && !usedDefault;
}

bool SjisToUtf8(const char* sjis, char* out, std::size_t capacity) {
  std::wstring wide;
  std::string utf8;
  if (capacity > 0) out[0] = '\0';
  return ToWide(kShiftJisCodePage, sjis, &wide) && FromWide(CP_UTF8, wide.c_str(), wide.size(), &utf8) &&
         CopyOut(utf8, out, capacity);
}

bool Utf8ToSjis(const char* utf8, char* out, std::size_t capacity) {
  std::wstring wide;
  std::string sjis;
  if (capacity > 0) out[0] = '\0';
  return ToWide(CP_UTF8, utf8, &wide) && FromWide(kShiftJisCodePage, wide.c_str(), wide.size(), &sjis) &&
         CopyOut(sjis, out, capacity);
}

bool SjisToUtf16(const char* sjis, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = 0;
  std::wstring wide;
  if (!ToWide(kShiftJisCodePage, sjis, &wide) || wide.size() >= capacity) return false;
  std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
  return true;
}

bool Utf16ToSjis(const char16_t* utf16, char* out, std::size_t capacity) {
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(utf16);
  std::string sjis;
  if (capacity > 0) out[0] = '\0';
  return FromWide(kShiftJisCodePage, wide, std::wcslen(wide), &sjis) && CopyOut(sjis, out, capacity);
}

}  // namespace platform

namespace platform {

bool DisplayPath(const char* path, char* out, std::size_t capacity) {
  return SjisToUtf8(path, out, capacity);
}

}  // namespace platform
