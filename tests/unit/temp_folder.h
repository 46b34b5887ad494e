// A real temporary folder standing behind a drive letter for the length of a
// test: "C:\" (or the letter given) names it until the object goes away.
#pragma once

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

class TempFolder {
 public:
  // `under` is the host folder to make it in; /dev/shm saves tests that
  // write a great deal the cost of syncing to a disk.
  explicit TempFolder(char letter = 'C', const char* under = "/tmp") : letter_(letter) {
    std::string pattern = std::string(under) + "/reelwrite-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
    host_ = pattern;
    // Keep what the letter stood for, so that borrowing Z: gives "/" back.
    const char root[] = {letter, ':', '\\', '\0'};
    char previous[4096];
    if (platform::HostPath(root, previous, sizeof previous)) previous_ = previous;
    platform::MapDrive(letter, host_.c_str());
  }
  ~TempFolder() {
    platform::MapDrive(letter_, previous_.empty() ? nullptr : previous_.c_str());
    // Read-only folders would keep their contents; open them up first.
    nftw(
        host_.c_str(),
        [](const char* p, const struct stat*, int type, FTW*) {
          if (type == FTW_D || type == FTW_DNR) chmod(p, 0700);
          return 0;
        },
        16, FTW_PHYS);
    nftw(
        host_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The host folder, without a trailing slash.
  const std::string& host() const { return host_; }
  // The drive root, "C:\".
  std::string drive() const { return std::string(1, letter_) + ":\\"; }
  // Host name of something inside, given with '/' separators (UTF-8).
  std::string HostName(const std::string& relative) const { return host_ + "/" + relative; }

  void WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    std::FILE* f = std::fopen(HostName(relative).c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot create " + relative);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + relative);
  }
  void WriteFile(const std::string& relative, const std::string& bytes) const {
    WriteFile(relative, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  // The file's bytes; empty when it cannot be read.
  std::vector<uint8_t> ReadFile(const std::string& relative) const {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(HostName(relative).c_str(), "rb");
    if (f == nullptr) return bytes;
    uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
  }
  bool Exists(const std::string& relative) const {
    struct stat info;
    return lstat(HostName(relative).c_str(), &info) == 0;
  }
  void MakeDir(const std::string& relative) const {
    if (mkdir(HostName(relative).c_str(), 0777) != 0) throw std::runtime_error("cannot make " + relative);
  }

 private:
  char letter_;
  std::string host_;
  std::string previous_;
};
