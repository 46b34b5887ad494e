#include "tests/realdisc/disc_fixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "actions/get_info.h"
#include "disc/disc_state.h"
#include "disc/nav_vm.h"
#include "platform/platform.h"
#include "tests/unit/message_recorder.h"

namespace {

std::string Contents(std::FILE* f) {
  std::string text(std::size_t(std::ftell(f)), '\0');
  std::rewind(f);
  text.resize(std::fread(&text[0], 1, text.size(), f));
  std::fclose(f);
  return text;
}

// Our preview's answer in the judge's words; a random end matches any title it can reach.
bool Agrees(const NavNext& next, const std::string& judged) {
  if (next.kind == NextKind::Title || next.kind == NextKind::Random)
    return judged.rfind("TITLE ", 0) == 0 && CanReach(next, std::stoi(judged.substr(6)));
  // A repeat: the title starting again each time round, or playback without end.
  if (next.kind == NextKind::Repeat && next.title && judged == "TITLE " + std::to_string(next.title))
    return true;
  return judged == (next.kind == NextKind::Menu ? "MENU" : next.kind == NextKind::Stop ? "STOP" : "ABORT");
}

}  // namespace

ProgramRun RunProgram(Names argv) {
  if (argv[0].find('/') == std::string::npos) argv[0] = std::string(REELWRITE_BINARY_DIR) + "/bin/" + argv[0];
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(&a[0]);
  args.push_back(nullptr);
  std::FILE *out = std::tmpfile(), *err = std::tmpfile();
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
  while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
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
  const std::string outdir = std::string(REELWRITE_BINARY_DIR) + "/discs/" + name;
  // make_disc does nothing when the disc is already there and current, and
  // waits for another test process authoring the same disc.
  if (authored.count(name) == 0) {
    ProgramRun run = RunProgram({std::string(REELWRITE_SOURCE_DIR) + "/scripts/make_disc", name, outdir});
    if (run.exit != 0) throw std::runtime_error("make_disc " + name + " failed:\n" + run.err);
    authored[name] = outdir + "/VIDEO_TS";
  }
  return authored[name];
}

std::string CopyOfDisc(const TempFolder& folder, const std::string& disc) {
  std::filesystem::copy(
      disc.find('/') == std::string::npos ? AuthoredDisc(disc) : disc, folder.HostName("VIDEO_TS"),
      std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
  return folder.HostName("VIDEO_TS");
}

FolderFiles ReadFolder(const std::string& folder, bool ifoOnly) {
  FolderFiles files;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
    const std::string ext = entry.path().extension();
    std::ifstream in(entry.path(), std::ios::binary);
    if (!ifoOnly || ext == ".IFO" || ext == ".BUP")
      files[entry.path().filename()].assign(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

Names Differences(const FolderFiles& a, const FolderFiles& b) {
  Names names;
  for (const auto& f : a)
    if (b.count(f.first) == 0 || b.at(f.first) != f.second) names.push_back(f.first);
  for (const auto& f : b)
    if (a.count(f.first) == 0) names.push_back(f.first);
  return names;
}

Names NavTrace(const std::string& folder, const std::string& lang, int maxTitles, int title) {
  ProgramRun run = RunProgram({"nav_trace", folder, std::to_string(maxTitles), std::to_string(title), lang});
  Names lines;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  if (run.exit > 2) lines.push_back("CRASH " + std::to_string(run.exit));
  return lines;
}

void ExpectPreviewAgrees(const std::string& copy, const std::string& lang, int unnamed) {
  std::memset(&Disc, 0, sizeof Disc);
  char drivePath[kPathCapacity];
  ASSERT_TRUE(platform::DrivePath(copy.c_str(), drivePath, sizeof drivePath));
  MessageRecorder messages;
  ASSERT_EQ(GetInfo(drivePath, 0, 0), FolderRead);
  static NavPreview preview;
  PreviewDisc(StoredVmgRef(), lang.empty() ? 0 : (lang[0] << 8 | lang[1]), &preview);
  for (int t = 0; t <= preview.titleCount; ++t) {
    if (t == unnamed) continue;
    const NavNext& next = t ? preview.after[t - 1] : preview.start;
    // nav_trace's line after title t, "ABORT" where libdvdnav failed or went round without end.
    const Names lines = NavTrace(copy, lang, t ? 2 : 1, t);
    std::string judged = lines.size() > (t ? 1u : 0u) ? lines[t ? 1 : 0] : "";
    if (lines.empty() || lines.back().rfind("CRASH", 0) == 0 || judged.rfind("ERROR", 0) == 0 ||
        judged == "LIMIT")
      judged = "ABORT";
    EXPECT_TRUE(Agrees(next, judged))
        << (t ? "after title " + std::to_string(t) : "start") << ": ours " << int(next.kind) << " "
        << next.title << " " << next.pgc << " " << next.reason << ", libdvdnav " << judged;
  }
}
