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
namespace {

// GetShortPathNameW and GetLongPathNameW: the converted path, or empty.
using PathConversion = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
std::wstring Converted(PathConversion convert, const std::wstring& path) {
  const DWORD needed = convert(path.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring out(needed, L'\0');
  const DWORD length = convert(path.c_str(), &out[0], needed);
  out.resize(length < needed ? length : 0);
  return out;
}

}  // namespace

EngineSpelling EnginePathOf(const std::wstring& path, std::string* sjis) {
  if (FromWide(kShiftJisCodePage, path.c_str(), path.size(), sjis)) return EngineSpelling::kAsGiven;
  std::wstring shortPath = Converted(GetShortPathNameW, path);
  if (shortPath.empty()) {
    // A file or folder about to be made: its folder's short path and its name.
    const std::size_t slash = path.find_last_of(L'\\');
    std::string name;
    if (slash == std::wstring::npos || slash + 1 == path.size() ||
        !FromWide(kShiftJisCodePage, path.c_str() + slash + 1, path.size() - slash - 1, &name))
      return EngineSpelling::kMissing;
    shortPath = Converted(GetShortPathNameW, path.substr(0, slash + 1));
    if (shortPath.empty()) return EngineSpelling::kMissing;
    if (shortPath.back() != L'\\') shortPath += L'\\';
    shortPath += path.substr(slash + 1);
  }
  return FromWide(kShiftJisCodePage, shortPath.c_str(), shortPath.size(), sjis)
             ? EngineSpelling::kShortened
             : EngineSpelling::kNoShortNames;
}

std::wstring LongForm(const char* sjisPath) {
  std::wstring wide;
  if (!WidePath(sjisPath, &wide)) return std::wstring();
  // A file that is not there (yet) has folders that are.
  std::wstring head = wide, longPath;
  while ((longPath = Converted(GetLongPathNameW, head)).empty()) {
    const std::size_t slash =
        head.size() < 2 ? std::wstring::npos : head.find_last_of(L'\\', head.size() - 2);
    if (slash == std::wstring::npos) return wide;
    head.resize(slash + 1);
  }
  longPath += wide.substr(head.size());
  // The user's own spelling of long names stays; only short ones change.
  return _wcsicmp(longPath.c_str(), wide.c_str()) == 0 ? wide : longPath;
}

bool DisplayPath(const char* path, char* out, std::size_t capacity) {
  const std::wstring wide = LongForm(path);
  std::string utf8;
  if (capacity > 0) out[0] = '\0';
  if (path[0] == '\0') return capacity > 0;
  return !wide.empty() && FromWide(CP_UTF8, wide.c_str(), wide.size(), &utf8) && CopyOut(utf8, out, capacity);
}

}  // namespace platform
