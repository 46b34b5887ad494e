#include "tests/realdisc/disc_fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace {

void ReadSome(int fd, std::string& into, bool& open) {
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    into.append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || errno != EINTR) {
    open = false;
  }
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv) {
  int out[2];
  int err[2];
  if (argv.empty() || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    throw std::runtime_error("cannot make a pipe");
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    close(out[0]);
    close(err[0]);
    throw std::runtime_error("cannot start " + argv[0]);
  }

  ProgramRun run{0, {}, {}};
  bool outOpen = true;
  bool errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (outOpen && fds[0].revents != 0) ReadSome(out[0], run.out, outOpen);
    if (errOpen && fds[1].revents != 0) ReadSome(err[0], run.err, errOpen);
  }
  close(out[0]);
  close(err[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string BuiltProgram(const std::string& name) {
  return std::string(REELWRITE_BINARY_DIR) + "/bin/" + name;
}

std::string AuthoredDisc(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::string> authored;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = authored.find(name);
  if (found != authored.end()) return found->second;

  // make_disc does nothing when the disc is already there and current, and
  // waits for another test process authoring the same disc.
  const std::string outdir = std::string(REELWRITE_BINARY_DIR) + "/discs/" + name;
  ProgramRun run = RunProgram({std::string(REELWRITE_SOURCE_DIR) + "/scripts/make_disc", name, outdir});
  if (run.exit != 0) throw std::runtime_error("make_disc " + name + " failed:\n" + run.err);
  return authored[name] = outdir + "/VIDEO_TS";
}

void CopyDisc(const std::string& src, const std::string& dst) {
  if (mkdir(dst.c_str(), 0777) != 0 && errno != EEXIST) throw std::runtime_error("cannot make " + dst);
  DIR* dir = opendir(src.c_str());
  if (dir == nullptr) throw std::runtime_error("cannot list " + src);
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  }
  closedir(dir);
  for (const std::string& name : names) {
    std::ifstream in(src + "/" + name, std::ios::binary);
    std::ofstream out(dst + "/" + name, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    if (!in || !out) throw std::runtime_error("cannot copy " + src + "/" + name);
  }
}

DvdreadListing DvdreadList(const std::string& folder) {
  ProgramRun run = RunProgram({BuiltProgram("dvdread_list"), folder});
  DvdreadListing listing{run.exit, {}, {}, {}, {}, run.out + run.err};
  for (const std::string& line : Lines(run.out)) {
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "ifo_ok" || word == "ifo_bad") {
      std::string file;
      in >> file;
      (word == "ifo_ok" ? listing.parsed : listing.failed).push_back(file);
    } else if (word == "vmgm_lu") {
      int unit = 0;
      int pgcs = 0;
      std::string lang;
      std::string label;
      in >> unit >> label >> lang >> label >> pgcs;
      listing.menuUnitPgcs.push_back(pgcs);
    } else if (word == "title") {
      ListedTitle t{};
      std::string label;
      std::string post;
      in >> t.title >> label >> t.titleSet >> label >> t.titleInSet >> label >> t.angles >> label >>
          t.chapters >> label >> post;
      t.hasPost = post != "none";
      for (int i = 0; t.hasPost && i < 8; ++i) {
        t.post[i] = static_cast<uint8_t>(std::stoi(post.substr(2 * i, 2), nullptr, 16));
      }
      listing.titles.push_back(t);
    }
  }
  return listing;
}

std::vector<std::string> NavTrace(const std::string& folder, int maxTitles, const std::string& lang) {
  std::vector<std::string> args = {BuiltProgram("nav_trace"), folder, "--max-titles",
                                   std::to_string(maxTitles)};
  if (!lang.empty()) {
    args.push_back("--lang");
    args.push_back(lang);
  }
  ProgramRun run = RunProgram(args);
  std::vector<std::string> lines = Lines(run.out);
  if (run.exit > 2) lines.push_back("CRASH " + std::to_string(run.exit));
  return lines;
}
