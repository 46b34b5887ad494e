#include "author/file_copy.h"

#include <cstring>

#include "platform/platform.h"

bool CopyFileContent(const char* sourcePath, std::FILE* to, bool* readFailed) {
  static unsigned char chunk[64 * 1024];
  *readFailed = false;
  std::FILE* from = platform::OpenFile(sourcePath, "rb");
  if (!from) {
    *readFailed = true;
    return false;
  }
  bool ok = true;
  for (;;) {
    std::size_t got = std::fread(chunk, 1, sizeof chunk, from);
    if (got > 0 && platform::WriteBytes(chunk, got, to) != got) {
      ok = false;
      break;
    }
    if (got < sizeof chunk) {
      if (std::ferror(from)) {
        *readFailed = true;
        ok = false;
      }
      break;
    }
  }
  std::fclose(from);
  return ok;
}

bool HasIfoOrBupExtension(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (!dot || std::strlen(dot) != 4) return false;
  char upper[5];
  for (int i = 0; i < 5; ++i) {
    char c = dot[i];
    upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return std::strcmp(upper, ".IFO") == 0 || std::strcmp(upper, ".BUP") == 0;
}
