#include "disc/sjis_text.h"

#include <cstring>

void RemoveSpaces(char* s) {
  char* out = s;
  for (const char* in = s; *in; ++in) {
    if (*in != ' ') *out++ = *in;
  }
  *out = '\0';
}

int IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

int SjisByteClass(const char* s, std::size_t p) {
  // 0x80 counts as a lead byte here, unlike IsSjisLeadByte: the folder
  // dialog's old scanning rule, kept so both agree on every path.
  std::size_t i = 0;
  while (s[i]) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    bool lead = (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && s[i + 1]) {
      if (p == i) return 1;
      if (p == i + 1) return 2;
      i += 2;
    } else {
      if (p == i) return 0;
      i += 1;
    }
  }
  return 0;
}

void AddTrailingBackslash(char* path) {
  std::size_t n = std::strlen(path);
  if (n == 0) {
    path[0] = '\\';
    path[1] = '\0';
    return;
  }
  if (path[n - 1] == '\\' && SjisByteClass(path, n - 1) != 2) return;
  path[n] = '\\';
  path[n + 1] = '\0';
}

std::size_t FolderPartLength(const char* path) {
  std::size_t length = 0;
  for (std::size_t i = 0; path[i]; ++i) {
    if (path[i] == '\\' && SjisByteClass(path, i) != 2) length = i + 1;
  }
  return length;
}

void CutToParentFolder(char* path) {
  std::size_t last = 0, secondLast = 0;
  bool seen = false, seenTwice = false;
  for (std::size_t i = 0; path[i]; ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(path[i]))) {
      if (!path[i + 1]) break;
      ++i;
      continue;
    }
    if (path[i] != '\\') continue;
    secondLast = last;
    seenTwice = seen;
    last = i;
    seen = true;
  }
  if (seenTwice && secondLast > 0) path[secondLast + 1] = '\0';
}

bool AppendFolderName(char* path, std::size_t capacity, const char* name) {
  std::size_t used = std::strlen(path);
  std::size_t length = std::strlen(name);
  if (used + length + 2 > capacity) return false;
  std::memcpy(path + used, name, length);
  path[used + length] = '\\';
  path[used + length + 1] = '\0';
  return true;
}
