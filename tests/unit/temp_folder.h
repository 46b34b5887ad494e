// A real temporary folder standing behind a drive letter for the length of a
// test: "C:\" (or the letter given) names it until the object goes away.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
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
    std::error_code ignored;
    std::filesystem::remove_all(host_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The host folder, without a trailing slash.
  const std::string& host() const { return host_; }
  // Host name of something inside, given with '/' separators (UTF-8).
  std::string HostName(const std::string& relative) const { return host_ + "/" + relative; }

  void WriteFile(const std::string& relative, const std::string& bytes) const {
    std::ofstream f(HostName(relative), std::ios::binary | std::ios::trunc);
    if (!f.write(bytes.data(), std::streamsize(bytes.size())).flush())
      throw std::runtime_error("cannot write " + relative);
  }
  void WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    WriteFile(relative, std::string(bytes.begin(), bytes.end()));
  }
  // The file's bytes; empty when it cannot be read.
  std::vector<uint8_t> ReadFile(const std::string& relative) const {
    std::ifstream f(HostName(relative), std::ios::binary | std::ios::ate);
    std::vector<uint8_t> bytes(f ? std::size_t(f.tellg()) : 0);
    // One read: byte by byte, a sanitized build takes milliseconds a tree.
    if (!f.seekg(0).read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) bytes.clear();
    return bytes;
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::symlink_status(HostName(relative)).type() !=
           std::filesystem::file_type::not_found;
  }
  void MakeDir(const std::string& relative) const {
    if (!std::filesystem::create_directory(HostName(relative)))
      throw std::runtime_error("cannot make " + relative);
  }
  // Every file and folder inside by relative path; a folder's ends in '/'
  // and holds no bytes.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    for (const auto& e : std::filesystem::recursive_directory_iterator(host_)) {
      const std::string name = e.path().string().substr(host_.size() + 1);
      const std::vector<uint8_t> bytes = e.is_directory() ? std::vector<uint8_t>{} : ReadFile(name);
      tree[e.is_directory() ? name + "/" : name].assign(bytes.begin(), bytes.end());
    }
    return tree;
  }

 private:
  char letter_;
  std::string host_;
  std::string previous_;
};
