// Running the command-line program on copies of the authored discs, and the
// file comparisons its tests make. Every run reads standard input from
// /dev/null, so a question is never answered by a terminal, whoever runs the
// tests.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/realdisc/disc_fixture.h"
#include "tests/unit/temp_folder.h"

// reelwrite with these arguments. The program is built with AddressSanitizer;
// its leak report at exit would turn a good run into a failure.
inline ProgramRun Reelwrite(const std::vector<std::string>& args) {
  setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  int saved = dup(STDIN_FILENO);
  int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (saved < 0 || null < 0) throw std::runtime_error("cannot redirect standard input");
  dup2(null, STDIN_FILENO);
  close(null);
  std::vector<std::string> argv = {BuiltProgram("reelwrite")};
  argv.insert(argv.end(), args.begin(), args.end());
  ProgramRun run;
  try {
    run = RunProgram(argv);
  } catch (...) {
    dup2(saved, STDIN_FILENO);
    close(saved);
    throw;
  }
  dup2(saved, STDIN_FILENO);
  close(saved);
  return run;
}

// True when the run ended by itself, without a sanitizer report.
inline bool EndedCleanly(const ProgramRun& run) {
  return run.exit < 128 && run.err.find("Sanitizer") == std::string::npos &&
         run.err.find("runtime error") == std::string::npos;
}

// A fresh copy of an authored disc: folder/VIDEO_TS.
inline std::string CopyOfDisc(const TempFolder& folder, const std::string& disc) {
  const std::string copy = folder.HostName("VIDEO_TS");
  CopyDisc(AuthoredDisc(disc), copy);
  return copy;
}

// Every file of a folder with its bytes; empty when the folder is missing.
// With ifoOnly, just the information files and their backups.
using FolderFiles = std::map<std::string, std::string>;

inline FolderFiles ReadFolder(const std::string& folder, bool ifoOnly = false) {
  FolderFiles files;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return files;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name[0] == '.') continue;
    const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
    if (!ifoOnly || ext == ".IFO" || ext == ".BUP") names.push_back(name);
  }
  closedir(dir);
  for (const std::string& name : names) {
    std::ifstream in(folder + "/" + name, std::ios::binary);
    files[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

// The names of the files whose bytes differ, or that only one side holds.
inline std::vector<std::string> Differences(const FolderFiles& a, const FolderFiles& b) {
  std::vector<std::string> names;
  for (const auto& f : a) {
    auto other = b.find(f.first);
    if (other == b.end() || other->second != f.second) names.push_back(f.first);
  }
  for (const auto& f : b) {
    if (a.find(f.first) == a.end()) names.push_back(f.first);
  }
  return names;
}
