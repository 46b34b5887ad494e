// Opening, replacing and removing files on drive paths. A read-only file
// (owner write bit absent) refuses writing, replacing and removal, as it does
// on Windows, even for root.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/fault_point.h"
#include "platform/platform.h"
#include "platform/posix/host_names.h"

namespace platform {
namespace {

bool IsReadOnlyFile(const std::string& host) {
  struct stat info;
  return stat(host.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
}

bool SyncHostFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

}  // namespace

std::FILE* OpenFile(const char* path, const char* mode) {
  if (FaultInjected("open", path)) return nullptr;
  std::string host;
  const bool makes = std::strpbrk(mode, "wa") != nullptr;
  const bool writes = std::strpbrk(mode, "wa+") != nullptr;
  std::FILE* file = nullptr;
  if (!writes) {
    // A file read is mostly one a listing named as spelled: opened at once,
    // and looked for in another spelling only when that fails.
    if (!ToHostName(path, &host, Spelling::AsSpelled)) {
      errno = ENOENT;
      return nullptr;
    }
    file = std::fopen(host.c_str(), mode);
  }
  if (file == nullptr) {
    if (!ToHostName(path, &host, makes ? Spelling::MadeAsSpelled : Spelling::AnyCase)) {
      errno = ENOENT;
      return nullptr;
    }
    if (writes && IsReadOnlyFile(host)) {
      errno = EACCES;
      return nullptr;
    }
    file = std::fopen(host.c_str(), mode);
  }
  if (file == nullptr) return nullptr;
  // Windows will not open a folder as a file; Linux would, and fail later.
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

bool FlushToDisk(std::FILE* file) {
  if (FaultInjected("flush", nullptr)) return false;
  return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool ReplaceFile(const char* from, const char* to) {
  if (FaultInjected("replace", to)) return false;
  std::string hostFrom;
  std::string hostTo;
  if (!ToHostName(from, &hostFrom) || !ToHostName(to, &hostTo, Spelling::MadeAsSpelled)) return false;
  if (IsReadOnlyFile(hostTo)) {
    errno = EACCES;
    return false;
  }
  struct stat info;
  if (stat(hostTo.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return false;
  }
  // The folder is synced once after the whole set (SyncFolder): a sync per
  // file doubled the cost of writing a disc, and a sync that failed after
  // the rename had happened would have reported a replaced file as not.
  return std::rename(hostFrom.c_str(), hostTo.c_str()) == 0;
}

bool RemoveFile(const char* path) {
  if (FaultInjected("remove", path)) return false;
  std::string host;
  if (!ToHostName(path, &host)) return false;
  if (IsReadOnlyFile(host)) {
    errno = EACCES;
    return false;
  }
  return unlink(host.c_str()) == 0;
}

bool MakeFolder(const char* path) {
  if (FaultInjected("mkdir", path)) return false;
  std::string host;
  return ToHostName(path, &host) && mkdir(host.c_str(), 0777) == 0;
}

bool RemoveFolder(const char* path) {
  if (FaultInjected("rmdir", path)) return false;
  std::string host;
  return ToHostName(path, &host) && rmdir(host.c_str()) == 0;
}

bool RenameFolder(const char* from, const char* to) {
  if (FaultInjected("rename", to)) return false;
  std::string hostFrom;
  std::string hostTo;
  if (!ToHostName(from, &hostFrom) || !ToHostName(to, &hostTo)) return false;
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // Without kernel support the check and the rename are two steps.
  struct stat info;
  if (lstat(hostTo.c_str(), &info) == 0) {
    errno = EEXIST;
    return false;
  }
  return std::rename(hostFrom.c_str(), hostTo.c_str()) == 0;
}

bool SyncFolder(const char* path) {
  if (FaultInjected("sync", path)) return false;
  std::string host;
  return ToHostName(path, &host) && SyncHostFolder(host);
}

}  // namespace platform
