// Drive types and the per-drive current directory that Windows keeps.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace platform {

int DriveType(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\', 0};
  return static_cast<int>(GetDriveTypeW(root));
}

bool CurrentDirectory(char letter, char* out, std::size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  if (DriveType(letter) <= DRIVE_NO_ROOT_DIR) return false;
  // "X:" alone names the drive's current directory.
  const wchar_t drive[] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', 0};
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(drive, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  std::string sjis;
  if (!FromWide(kShiftJisCodePage, full, length, &sjis) || sjis.size() >= capacity) return false;
  std::memcpy(out, sjis.c_str(), sjis.size() + 1);
  return true;
}

}  // namespace platform
