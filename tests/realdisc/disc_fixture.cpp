#include "tests/realdisc/disc_fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

std::string Contents(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return text;
}

}  // namespace

ProgramRun RunProgram(std::vector<std::string> argv) {
  if (argv[0].find('/') == std::string::npos) argv[0] = std::string(REELWRITE_BINARY_DIR) + "/bin/" + argv[0];
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(&a[0]);
  args.push_back(nullptr);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  pid_t pid = out != nullptr && err != nullptr ? fork() : -1;
  if (pid == 0) {
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(fileno(out), STDOUT_FILENO);
    dup2(fileno(err), STDERR_FILENO);
    // The programs are built with AddressSanitizer; its leak report at exit
    // would turn a good run into a failure.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (pid <= 0) throw std::runtime_error("cannot start " + argv[0]);
  ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Contents(out),
                 Contents(err)};
  // With sanitizers a fault exits 1, like a refusal would.
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.err;
  return run;
}

std::string AuthoredDisc(const std::string& name) {
  static std::map<std::string, std::string> authored;
  std::string& folder = authored[name];
  if (folder.empty()) {
    // make_disc does nothing when the disc is already there and current, and
    // waits for another test process authoring the same disc.
    const std::string outdir = std::string(REELWRITE_BINARY_DIR) + "/discs/" + name;
    ProgramRun run = RunProgram({std::string(REELWRITE_SOURCE_DIR) + "/scripts/make_disc", name, outdir});
    if (run.exit != 0) throw std::runtime_error("make_disc " + name + " failed:\n" + run.err);
    folder = outdir + "/VIDEO_TS";
  }
  return folder;
}

std::string CopyOfDisc(const TempFolder& folder, const std::string& disc) {
  const FolderFiles files = ReadFolder(AuthoredDisc(disc));
  if (files.empty()) throw std::runtime_error("nothing to copy in " + disc);
  folder.MakeDir("VIDEO_TS");
  for (const auto& f : files) folder.WriteFile("VIDEO_TS/" + f.first, f.second);
  return folder.HostName("VIDEO_TS");
}

void EditIfo(const std::string& videoTs, const std::string& ifoName, void (*edit)(std::string& bytes)) {
  std::ifstream in(videoTs + "/" + ifoName, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) throw std::runtime_error("nothing to edit in " + ifoName);
  edit(bytes);
  for (const char* extension : {".IFO", ".BUP"}) {
    std::ofstream out(videoTs + "/" + ifoName.substr(0, ifoName.size() - 4) + extension, std::ios::binary);
    out << bytes;
  }
}

FolderFiles ReadFolder(const std::string& folder, bool ifoOnly) {
  FolderFiles files;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
      if (name[0] != '.' && (!ifoOnly || ext == ".IFO" || ext == ".BUP")) files[name];
    }
    closedir(dir);
  }
  for (auto& f : files) {
    std::ifstream in(folder + "/" + f.first, std::ios::binary);
    f.second.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

std::vector<std::string> Differences(const FolderFiles& a, const FolderFiles& b) {
  std::vector<std::string> names;
  for (const auto& f : a) {
    if (b.count(f.first) == 0 || b.at(f.first) != f.second) names.push_back(f.first);
  }
  for (const auto& f : b) {
    if (a.count(f.first) == 0) names.push_back(f.first);
  }
  return names;
}

DvdreadListing DvdreadList(const std::string& folder) {
  ProgramRun run = RunProgram({"dvdread_list", folder});
  DvdreadListing listing{run.exit, {}, {}, {}, run.out + run.err};
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string word, label, post;
    in >> word;
    if (word == "ifo_ok" || word == "ifo_bad") {
      in >> label;
      (word == "ifo_ok" ? listing.parsed : listing.failed).push_back(label);
    } else if (word == "title") {
      ListedTitle t{};
      in >> t.title >> label >> t.titleSet >> label >> t.titleInSet >> label >> t.angles >> label >>
          t.chapters >> label >> post;
      for (std::size_t i = 0; i < 16; i += 2) {
        t.post += std::string(i ? " " : "") + (post == "none" ? "FF" : post.substr(i, 2));
      }
      listing.titles.push_back(t);
    }
  }
  return listing;
}
