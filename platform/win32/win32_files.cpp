// File operations on Shift-JIS paths through the W APIs.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/fault_point.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

// <windows.h> spells ReplaceFile as ReplaceFileW; the seam means its own.
#undef ReplaceFile

namespace platform {

std::FILE* OpenFile(const char* path, const char* mode) {
  if (FaultInjected("open", path)) return nullptr;
  std::wstring widePath;
  std::wstring wideMode;
  if (!WidePath(path, &widePath) || widePath.empty() || !ToWide(CP_ACP, mode, &wideMode)) return nullptr;
  return _wfopen(widePath.c_str(), wideMode.c_str());
}

bool FlushToDisk(std::FILE* file) {
  if (FaultInjected("flush", nullptr)) return false;
  if (std::fflush(file) != 0) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

bool ReplaceFile(const char* from, const char* to) {
  if (FaultInjected("replace", to)) return false;
  std::wstring wideFrom;
  std::wstring wideTo;
  return WidePath(from, &wideFrom) && WidePath(to, &wideTo) &&
         MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
             0;
}

bool RemoveFile(const char* path) {
  if (FaultInjected("remove", path)) return false;
  std::wstring wide;
  return WidePath(path, &wide) && DeleteFileW(wide.c_str()) != 0;
}

bool MakeFolder(const char* path) {
  if (FaultInjected("mkdir", path)) return false;
  std::wstring wide;
  return WidePath(path, &wide) && CreateDirectoryW(wide.c_str(), nullptr) != 0;
}

bool RemoveFolder(const char* path) {
  if (FaultInjected("rmdir", path)) return false;
  std::wstring wide;
  return WidePath(path, &wide) && RemoveDirectoryW(wide.c_str()) != 0;
}

bool RenameFolder(const char* from, const char* to) {
  if (FaultInjected("rename", to)) return false;
  std::wstring wideFrom;
  std::wstring wideTo;
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` exists.
  return WidePath(from, &wideFrom) && WidePath(to, &wideTo) &&
         MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

// Windows makes a completed MOVEFILE_WRITE_THROUGH rename durable itself.
bool SyncFolder(const char* path) { return !FaultInjected("sync", path); }

}  // namespace platform
