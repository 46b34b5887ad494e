// Directory entries with Windows attributes. Read-only is the owner's missing
// write bit, hidden is a leading dot; the mask works as in FindFirstFile's
// ancestors: an entry carrying the hidden, system or directory bit is found
// only when the mask asks for that bit.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fault_point.h"
#include "platform/platform.h"
#include "platform/posix/host_names.h"

namespace platform {
namespace {

constexpr uint32_t kMaskedBits = kHidden | kSystem | kDirectory;

uint32_t AttributesOf(const struct stat& info, const std::string& utf8Name) {
  uint32_t attributes = S_ISDIR(info.st_mode) ? kDirectory : kArchive;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= kReadOnly;
  if (!utf8Name.empty() && utf8Name[0] == '.') attributes |= kHidden;
  return attributes;
}

bool Fits(uint32_t attributes, uint32_t mask) { return (attributes & kMaskedBits & ~mask) == 0; }

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t CharLength(const char* s) { return IsLeadByte(static_cast<unsigned char>(s[0])) && s[1] ? 2 : 1; }

// Windows wildcards over Shift-JIS names: '*' any run, '?' one character,
// letters without regard to case.
bool Matches(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*') {
    for (;;) {
      if (Matches(pattern + 1, name)) return true;
      if (*name == '\0') return false;
      name += CharLength(name);
    }
  }
  if (*name == '\0') return false;
  if (*pattern == '?') return Matches(pattern + 1, name + CharLength(name));
  const std::size_t length = CharLength(pattern);
  if (CharLength(name) != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (FoldCase(pattern[i]) != FoldCase(name[i])) return false;
  }
  return Matches(pattern + length, name + length);
}

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

// Splits "X:\dir\name" after its last backslash, stepping over double-byte
// characters so that a 0x5C second byte does not count.
std::size_t NameOffset(const char* path) {
  std::size_t offset = 0;
  for (std::size_t i = 0; path[i] != '\0'; i += CharLength(path + i)) {
    if (path[i] == '\\') offset = i + 1;
  }
  return offset;
}

// `folder` is an open folder the host name is relative to, or AT_FDCWD.
bool FillEntry(int folder, const std::string& host, const char* sjisName, const std::string& utf8Name,
               uint32_t mask, DirEntry* entry) {
  struct stat info;
  if (fstatat(folder, host.c_str(), &info, 0) != 0) return false;
  const uint32_t attributes = AttributesOf(info, utf8Name);
  if (!Fits(attributes, mask)) return false;
  if (std::strlen(sjisName) >= sizeof entry->name) return false;
  entry->attributes = attributes;
  entry->size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
  std::strcpy(entry->name, sjisName);
  return true;
}

std::string FolderPart(const char* pattern, std::size_t nameOffset) {
  return std::string(pattern, nameOffset);
}

// Every entry of the folder that fits the mask and the name pattern, in the
// order of their Shift-JIS names, so that listings do not depend on the file
// system.
std::vector<DirEntry> Collect(const char* pattern, uint32_t mask) {
  std::vector<DirEntry> entries;
  const std::size_t nameOffset = NameOffset(pattern);
  const char* namePattern = pattern + nameOffset;
  std::string folder;
  if (nameOffset == 0 || *namePattern == '\0' ||
      !ToHostName(FolderPart(pattern, nameOffset).c_str(), &folder)) {
    return entries;
  }
  const bool everything = std::strcmp(namePattern, "*") == 0 || std::strcmp(namePattern, "*.*") == 0;
  if (folder.back() != '/') folder += '/';
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* item = readdir(dir)) {
    const std::string utf8Name = item->d_name;
    if (utf8Name == "." || utf8Name == "..") continue;
    DirEntry entry;
    if (!Utf8ToSjis(utf8Name.c_str(), entry.name, sizeof entry.name)) continue;
    if (!everything && !Matches(namePattern, entry.name)) continue;
    const std::string sjisName = entry.name;
    // Each entry by its name in the open folder: the folder's path is not
    // walked again for every entry of a large folder.
    if (FillEntry(dirfd(dir), utf8Name, sjisName.c_str(), utf8Name, mask, &entry)) entries.push_back(entry);
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return std::strcmp(a.name, b.name) < 0; });
  return entries;
}

}  // namespace

bool FindEntry(const char* path, uint32_t mask, DirEntry* entry) {
  DirEntry found;
  const char* name = path + NameOffset(path);
  if (HasWildcard(name)) {
    std::vector<DirEntry> entries = Collect(path, mask);
    if (entries.empty()) return false;
    found = entries.front();
  } else {
    // Like FindFirstFile, a path ending in a backslash names no entry.
    std::string host;
    if (*name == '\0' || !ToHostName(path, &host)) return false;
    const std::size_t slash = host.find_last_of('/');
    if (!FillEntry(AT_FDCWD, host, name, host.substr(slash + 1), mask, &found)) return false;
  }
  if (entry != nullptr) *entry = found;
  return true;
}

int ListFolder(const char* pattern, uint32_t mask, VisitEntry visit, void* context) {
  std::vector<DirEntry> entries = Collect(pattern, mask);
  for (const DirEntry& entry : entries) visit(entry, context);
  return static_cast<int>(entries.size());
}

bool GetAttributes(const char* path, uint32_t* attributes) {
  std::string host;
  struct stat info;
  if (!ToHostName(path, &host) || stat(host.c_str(), &info) != 0) return false;
  std::string trimmed = host;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  *attributes = AttributesOf(info, trimmed.substr(trimmed.find_last_of('/') + 1));
  return true;
}

bool SetAttributes(const char* path, uint32_t attributes) {
  if (FaultInjected("attributes", path)) return false;
  std::string host;
  struct stat info;
  if (!ToHostName(path, &host) || stat(host.c_str(), &info) != 0) return false;
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & kReadOnly) != 0 ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
  return chmod(host.c_str(), mode) == 0;
}

}  // namespace platform
