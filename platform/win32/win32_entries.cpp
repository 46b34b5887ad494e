// Directory searches and attributes through the W APIs. FindFirstFileW
// reports every entry; the attribute mask of the DOS search is applied here.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fault_point.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

constexpr uint32_t kMaskedBits = kHidden | kSystem | kDirectory;

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The entry in the seam's form, named by its short (8.3) name when its own
// has no Shift-JIS spelling; false when it does not fit the mask or has no
// name in Shift-JIS at all.
bool ToEntry(const WIN32_FIND_DATAW& data, uint32_t mask, DirEntry* entry) {
  if (IsDotName(data.cFileName)) return false;
  const uint32_t attributes = data.dwFileAttributes;
  if ((attributes & kMaskedBits & ~mask) != 0) return false;
  std::string name;
  if ((!FromWide(kShiftJisCodePage, data.cFileName, std::wcslen(data.cFileName), &name) &&
       !FromWide(kShiftJisCodePage, data.cAlternateFileName, std::wcslen(data.cAlternateFileName), &name)) ||
      name.empty() || name.size() >= sizeof entry->name) {
    return false;
  }
  entry->attributes = attributes;
  entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  std::memcpy(entry->name, name.c_str(), name.size() + 1);
  return true;
}

// Every fitting entry, in the order of their Shift-JIS names as on POSIX.
std::vector<DirEntry> Collect(const char* pattern, uint32_t mask, bool firstOnly) {
  std::vector<DirEntry> entries;
  std::wstring widePattern;
  if (!WidePath(pattern, &widePattern) || widePattern.empty()) return entries;
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(widePattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    DirEntry entry;
    if (ToEntry(data, mask, &entry)) {
      entries.push_back(entry);
      if (firstOnly) break;
    }
  } while (FindNextFileW(search, &data));
  FindClose(search);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return std::strcmp(a.name, b.name) < 0; });
  return entries;
}

}  // namespace

bool FindEntry(const char* path, uint32_t mask, DirEntry* entry) {
  std::vector<DirEntry> entries = Collect(path, mask, true);
  if (entries.empty()) return false;
  if (entry != nullptr) *entry = entries.front();
  return true;
}

int ListFolder(const char* pattern, uint32_t mask, VisitEntry visit, void* context) {
  std::vector<DirEntry> entries = Collect(pattern, mask, false);
  for (const DirEntry& entry : entries) visit(entry, context);
  return static_cast<int>(entries.size());
}

bool GetAttributes(const char* path, uint32_t* attributes) {
  std::wstring wide;
  if (!WidePath(path, &wide)) return false;
  const DWORD found = GetFileAttributesW(wide.c_str());
  if (found == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = found;
  return true;
}

bool SetAttributes(const char* path, uint32_t attributes) {
  if (FaultInjected("attributes", path)) return false;
  std::wstring wide;
  return WidePath(path, &wide) && SetFileAttributesW(wide.c_str(), attributes) != 0;
}

}  // namespace platform
