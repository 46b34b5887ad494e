// Drive letters stand for host folders. "X:\a\b" is converted from Shift-JIS
// as a whole before backslashes become slashes: a 0x5C byte may be the second
// half of a character (表 is 0x95 0x5C), and UTF-8 never reuses 0x5C.
#include <dirent.h>
#include <limits.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/host_names.h"

namespace platform {
namespace {

constexpr int kDriveCount = 26;

// Host folders without a trailing slash; the file system root is "".
struct DriveTable {
  bool mapped[kDriveCount] = {};
  std::string folder[kDriveCount];
  DriveTable() { mapped['Z' - 'A'] = true; }
};

DriveTable& Drives() {
  static DriveTable table;
  return table;
}

int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

std::string CurrentHostFolder() {
  std::vector<char> buffer(PATH_MAX);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Resolves "." and ".." and repeated slashes without asking the file system,
// the way Windows treats the components of a full path. Never climbs above
// the root. The result has no trailing slash; the root is "".
std::string NormalizeAbsolute(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result;
}

std::string Absolute(const std::string& host) {
  if (!host.empty() && host[0] == '/') return host;
  return CurrentHostFolder() + "/" + host;
}

std::string RealOrNormal(const std::string& absolute) {
  char* real = realpath(absolute.c_str(), nullptr);
  if (real == nullptr) return NormalizeAbsolute(absolute);
  std::string result = real;
  std::free(real);
  return result == "/" ? std::string() : result;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// `path` (normalized, under `folder`) in the drive form of `letter`.
bool DriveForm(char letter, const std::string& path, std::size_t folderLength, bool trailingSlash, char* out,
               std::size_t capacity) {
  std::string form(1, letter);
  form += ":\\";
  if (path.size() > folderLength) {
    std::string rest = path.substr(folderLength + 1);
    if (rest.find('\\') != std::string::npos) return false;  // a backslash in a host name has no drive form
    for (char& c : rest) {
      if (c == '/') c = '\\';
    }
    form += rest;
    if (trailingSlash) form += '\\';
  }
  return Utf8ToSjis(form.c_str(), out, capacity);
}

bool CopyOut(const std::string& text, char* out, std::size_t capacity) {
  if (capacity == 0) return false;
  if (text.size() >= capacity) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

bool IsFolder(const std::string& host) {
  struct stat info;
  return stat(host.empty() ? "/" : host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names are found without regard to case, as Windows finds them: a disc
// mounted from ISO 9660 on Linux shows "video_ts.ifo". Each component of
// `rest` that does not exist as spelled takes the spelling of an entry that
// differs from it only in the case of ASCII letters; a name nothing matches
// stays as given, so a file about to be made gets the name asked for.
std::string MatchCase(const std::string& folder, const std::string& rest) {
  std::string host = folder;
  std::size_t at = 0;
  while (at < rest.size()) {
    std::size_t slash = rest.find('/', at + 1);
    if (slash == std::string::npos) slash = rest.size();
    std::string name = rest.substr(at + 1, slash - at - 1);
    struct stat info;
    if (!name.empty() && lstat((host + "/" + name).c_str(), &info) != 0) {
      if (DIR* dir = opendir(host.empty() ? "/" : host.c_str())) {
        while (dirent* e = readdir(dir)) {
          if (strcasecmp(e->d_name, name.c_str()) == 0) {
            name = e->d_name;
            break;
          }
        }
        closedir(dir);
      }
    }
    host += "/" + name;
    at = slash;
  }
  return host;
}

}  // namespace

bool ToHostName(const char* drivePath, std::string* host, Spelling spelling) {
  int drive = DriveIndex(drivePath[0]);
  if (drive < 0 || drivePath[1] != ':' || (drivePath[2] != '\\' && drivePath[2] != '/')) return false;
  const DriveTable& drives = Drives();
  if (!drives.mapped[drive]) return false;
  std::string utf8(std::strlen(drivePath) * 3 + 1, '\0');
  if (!SjisToUtf8(drivePath + 2, &utf8[0], utf8.size())) return false;
  utf8.resize(std::strlen(utf8.c_str()));
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  const bool trailingSlash = utf8.size() > 1 && utf8.back() == '/';
  std::string rest = NormalizeAbsolute(utf8);
  *host = drives.folder[drive] + rest;
  struct stat info;
  if (!rest.empty() && spelling != Spelling::AsSpelled && lstat(host->c_str(), &info) != 0) {
    const std::size_t slash = rest.find_last_of('/');
    const std::string parent = drives.folder[drive] + rest.substr(0, slash);
    if (spelling == Spelling::AnyCase) {
      *host = MatchCase(drives.folder[drive], rest);
    } else if (lstat(parent.empty() ? "/" : parent.c_str(), &info) != 0) {
      *host = MatchCase(drives.folder[drive], rest.substr(0, slash)) + rest.substr(slash);
    }
  }
  if (rest.empty() || trailingSlash) *host += '/';
  return true;
}

std::string HostParent(const std::string& host) {
  std::size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host.substr(0, slash);
}

void MapDrive(char letter, const char* hostFolder) {
  int drive = DriveIndex(letter);
  if (drive < 0) return;
  DriveTable& drives = Drives();
  if (hostFolder == nullptr || hostFolder[0] == '\0') {
    drives.mapped[drive] = false;
    drives.folder[drive].clear();
    return;
  }
  drives.mapped[drive] = true;
  drives.folder[drive] = NormalizeAbsolute(Absolute(hostFolder));
}

bool HostPath(const char* path, char* out, std::size_t capacity) {
  std::string host;
  if (capacity > 0) out[0] = '\0';
  return ToHostName(path, &host) && CopyOut(host, out, capacity);
}

bool DrivePath(const char* hostPath, char* out, std::size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  if (hostPath == nullptr || hostPath[0] == '\0') return false;
  const std::size_t length = std::strlen(hostPath);
  const bool trailingSlash = hostPath[length - 1] == '/';
  const std::string path = RealOrNormal(Absolute(hostPath));
  const DriveTable& drives = Drives();
  int best = -1;
  std::size_t bestLength = 0;
  for (int drive = 0; drive < kDriveCount; ++drive) {
    if (!drives.mapped[drive]) continue;
    // A mapped folder may itself be reached through a symbolic link.
    for (const std::string& folder : {drives.folder[drive], RealOrNormal(drives.folder[drive])}) {
      if (IsUnder(path, folder) && (best < 0 || folder.size() > bestLength)) {
        best = drive;
        bestLength = folder.size();
      }
    }
  }
  if (best < 0) return false;
  return DriveForm(static_cast<char>('A' + best), path, bestLength, trailingSlash, out, capacity);
}

bool RealFolderPath(const char* path, char* out, std::size_t capacity) {
  std::string host;
  if (capacity > 0) out[0] = '\0';
  return ToHostName(path, &host) && IsFolder(host) && DrivePath(host.c_str(), out, capacity);
}

int DriveType(char letter) {
  int drive = DriveIndex(letter);
  if (drive < 0 || !Drives().mapped[drive]) return 1;
  return IsFolder(Drives().folder[drive]) ? 3 : 1;
}

bool CurrentDirectory(char letter, char* out, std::size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  if (DriveType(letter) != 3) return false;
  const int drive = DriveIndex(letter);
  const char upper = static_cast<char>('A' + drive);
  const std::string folder = RealOrNormal(Drives().folder[drive]);
  const std::string cwd = RealOrNormal(CurrentHostFolder());
  if (IsUnder(cwd, folder) && DriveForm(upper, cwd, folder.size(), false, out, capacity)) return true;
  const char root[] = {upper, ':', '\\', '\0'};
  return CopyOut(root, out, capacity);
}

}  // namespace platform

namespace platform {

bool DisplayPath(const char* path, char* out, std::size_t capacity) {
  return HostPath(path, out, capacity) || SjisToUtf8(path, out, capacity);
}

}  // namespace platform
