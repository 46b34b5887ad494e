#include "disc/read_error.h"

#include "platform/platform.h"

const char* PathForMessage(const char* sjisPath, char* out, std::size_t capacity) {
  if (platform::DisplayPath(sjisPath, out, capacity)) return out;
  // Not valid Shift-JIS: still name the file as far as plain ASCII goes.
  std::size_t n = 0;
  for (const char* p = sjisPath; *p && n + 1 < capacity; ++p, ++n) {
    unsigned char c = static_cast<unsigned char>(*p);
    out[n] = c < 0x80 ? char(c) : '?';
  }
  out[n] = '\0';
  return out;
}

void ShowReadError(const char* utf8Text) { platform::ShowMessage(utf8Text, "エラー", platform::kWarningBox); }
