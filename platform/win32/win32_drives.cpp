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

bool RealFolderPath(const char* path, char* out, std::size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  std::wstring wide;
  if (!WidePath(path, &wide)) return false;
  const bool trailing = !wide.empty() && wide.back() == L'\\';
  HANDLE folder = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  wchar_t resolved[MAX_PATH + 8];
  const DWORD length = GetFinalPathNameByHandleW(folder, resolved, MAX_PATH + 8, FILE_NAME_NORMALIZED);
  CloseHandle(folder);
  if (length == 0 || length >= MAX_PATH + 8) return false;
  // "\\?\D:\..." for a drive; a share ("\\?\UNC\...") has no drive form.
  std::wstring real(resolved, length);
  if (real.compare(0, 4, L"\\\\?\\") == 0) real.erase(0, 4);
  if (real.size() < 3 || real[1] != L':') return false;
  if (trailing && real.back() != L'\\') real += L'\\';
  std::string sjis;
  if (!FromWide(kShiftJisCodePage, real.c_str(), real.size(), &sjis) || sjis.size() >= capacity) return false;
  std::memcpy(out, sjis.c_str(), sjis.size() + 1);
  return true;
}

}  // namespace platform
