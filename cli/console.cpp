// <windows.h> comes first, in a block of its own: the seam's header takes
// back the macros it defines over the seam's own names, and <shellapi.h>
// needs it.
#ifdef _WIN32
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>

#include <cstdlib>
#include <map>
#endif

#include "cli/console.h"

#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

bool assumeYesAnswer = false;
bool goOnWithoutBackupAnswer = false;
bool unanswered = false;

// One line per message box: the dialog's line breaks become blanks.
std::string OneLine(const char* text) {
  std::string line;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n' || *p == '\r') {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += *p;
    }
  }
  return line;
}

int ConsoleMessage(const char* text, const char* caption, int, platform::Question question, void*) {
  std::string line = std::string(caption) + ": " + OneLine(text);
  if (question == platform::Question::kNone) {
    PrintUtf8(stderr, line + "\n");
    return platform::kOkAnswer;
  }
  // Its lines went out as warnings before the first question, which decides.
  if (question == platform::Question::kPlaybackWarnings) return platform::kYesAnswer;
  // A backup is a promise --yes does not give away.
  if (question == platform::Question::kGoOnWithoutBackup) {
    PrintUtf8(stderr, line + (goOnWithoutBackupAnswer ? " -> yes (--no-backup)\n"
                                                      : " -> no (pass --no-backup to go on without one)\n"));
    return goOnWithoutBackupAnswer ? platform::kYesAnswer : platform::kNoAnswer;
  }
  if (assumeYesAnswer) {
    PrintUtf8(stderr, line + " -> yes (--yes)\n");
    return platform::kYesAnswer;
  }
  if (!isatty(fileno(stdin))) {
    PrintUtf8(stderr, line + "\n");
    unanswered = true;
    return platform::kNoAnswer;
  }
  PrintUtf8(stderr, line + " (y/N) ");
  char answer[16] = {0};
  if (!std::fgets(answer, sizeof answer, stdin)) return platform::kNoAnswer;
  return (answer[0] == 'y' || answer[0] == 'Y') ? platform::kYesAnswer : platform::kNoAnswer;
}

}  // namespace

void InstallConsoleMessages(bool assumeYes, bool goOnWithoutBackup) {
  assumeYesAnswer = assumeYes;
  goOnWithoutBackupAnswer = goOnWithoutBackup;
  unanswered = false;
  platform::SetMessageBoxHandler(ConsoleMessage, nullptr);
}

bool QuestionWentUnanswered() { return unanswered; }

#ifdef _WIN32

bool IsStandIn(const char*) { return false; }

std::vector<std::string> Utf8Arguments(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; ++i) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &s[0], n, nullptr, nullptr);
    args.push_back(s);
  }
  LocalFree(wide);
  return args;
}

bool EngineFolder(const std::string& native, char* out, std::size_t capacity, std::string* reason) {
  int n = MultiByteToWideChar(CP_UTF8, 0, native.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? n : 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, native.c_str(), -1, &wide[0], n);
  wchar_t full[1024];
  DWORD len = GetFullPathNameW(wide.c_str(), 1024, full, nullptr);
  if (len == 0 || len >= 1024) {
    *reason = "the path is too long";
    return false;
  }
  std::string sjis;
  switch (platform::EnginePathOf(full, &sjis)) {
    case platform::EngineSpelling::kMissing:
      *reason = "the path has characters outside Shift-JIS and names no folder that exists";
      return false;
    case platform::EngineSpelling::kNoShortNames:
      *reason = "the path has characters outside Shift-JIS and its drive keeps no short (8.3) names";
      return false;
    default:
      break;
  }
  if (sjis.size() >= capacity) {
    *reason = "the path is too long";
    return false;
  }
  std::memcpy(out, sjis.c_str(), sjis.size() + 1);
  return true;
}

#else

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

namespace {

// Host folders given a drive letter of their own, and the letters.
std::map<std::string, char> standIns;

// The engine keeps Windows path rules in Shift-JIS buffers of 260 bytes. A
// path that has no such form (too long, or a folder named in characters code
// page 932 lacks) gets a drive letter of its own for its parent folder, so the
// engine sees a short "Y:\NAME" and only the last name needs a Shift-JIS
// spelling. Messages still show host paths: the letter maps back to them.
std::string RealPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  std::string result = real ? real : "";
  std::free(real);
  return result;
}

bool StandInPath(const std::string& native, char* out, std::size_t capacity) {
  std::string host = RealPath(native);
  if (host.empty()) {
    // A file about to be made: its folder must exist.
    std::size_t slash = native.find_last_of('/');
    std::string name = native.substr(slash == std::string::npos ? 0 : slash + 1);
    std::string folder =
        RealPath(slash == std::string::npos ? "." : native.substr(0, slash == 0 ? 1 : slash));
    if (folder.empty() || name.empty() || name == "." || name == "..") return false;
    host = (folder == "/" ? "" : folder) + "/" + name;
  }
  std::size_t slash = host.find_last_of('/');
  if (host == "/" || slash == std::string::npos) return false;
  std::string parent = slash == 0 ? "/" : host.substr(0, slash);
  std::string name = host.substr(slash + 1);
  auto known = standIns.find(parent);
  char letter = known != standIns.end() ? known->second : char('Y' - standIns.size());
  std::string form = std::string(1, letter) + ":\\" + name;
  if (letter < 'D' || name.find('\\') != std::string::npos ||
      !platform::Utf8ToSjis(form.c_str(), out, capacity))
    return false;
  platform::MapDrive(letter, parent.c_str());
  standIns[parent] = letter;
  return true;
}

}  // namespace

bool EngineFolder(const std::string& native, char* out, std::size_t capacity, std::string* reason) {
  if (platform::DrivePath(native.c_str(), out, capacity) || StandInPath(native, out, capacity)) return true;
  *reason = "the path is too long or has characters outside Shift-JIS";
  return false;
}

bool IsStandIn(const char* enginePath) {
  for (const auto& folder : standIns) {
    if (folder.second == enginePath[0]) return true;
  }
  return false;
}

#endif

int Usage(const std::string& error) {
  PrintUtf8(stderr, "reelwrite: " + error + "\nTry 'reelwrite --help'.\n");
  return kExitUsage;
}

int RefusedExit() {
  if (QuestionWentUnanswered()) {
    PrintUtf8(stderr,
              "reelwrite: nothing was written: the question above needs an answer; run it on a "
              "terminal or pass --yes\n");
  }
  return kExitRefused;
}

bool ToEnginePath(const std::string& native, char (&path)[260], const char* what) {
  std::string reason;
  if (EngineFolder(native, path, sizeof path, &reason)) return true;
  PrintUtf8(stderr, std::string("reelwrite: cannot use the ") + what + " " + native + ": " + reason + "\n");
  return false;
}

namespace {

bool IsFolder(const char* enginePath) {
  platform::DirEntry entry;
  return platform::FindEntry(enginePath, platform::kDirectory, &entry) &&
         (entry.attributes & platform::kDirectory);
}

}  // namespace

// The one place a folder given on the command line becomes the engine's edit
// folder. The disc's root folder is taken for its VIDEO_TS, as other DVD
// tools take it.
bool ToEngineFolder(const std::string& native, char (&folder)[260]) {
  std::string reason;
  // A disc's root folder may have a name its VIDEO_TS does not need.
  if (!EngineFolder(native, folder, sizeof folder, &reason) &&
      !(EngineFolder(native + "/VIDEO_TS", folder, sizeof folder, &reason) && IsFolder(folder))) {
    return ToEnginePath(native, folder, "folder");
  }
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  if (!platform::FindEntry((base + "VIDEO_TS.IFO").c_str(), platform::kAnyEntry, nullptr) &&
      IsFolder((base + "VIDEO_TS").c_str()) && base.size() + 8 < sizeof folder) {
    std::snprintf(folder, sizeof folder, "%sVIDEO_TS", base.c_str());
    PrintUtf8(stderr, "reelwrite: using the folder " + NativePath(folder) + "\n");
  }
  return true;
}

// The arguments of a command that takes one folder and one flag.
bool ParseFolderAndFlag(const std::vector<std::string>& args, const char* command, const char* flagName,
                        std::string* native, bool* flag, int* status) {
  for (const std::string& a : args) {
    if (a == flagName) {
      *flag = true;
    } else if (!a.empty() && a[0] == '-') {
      *status = Usage("unknown option " + a);
      return false;
    } else if (native->empty()) {
      *native = a;
    } else {
      *status = Usage("only one folder can be given");
      return false;
    }
  }
  if (native->empty()) {
    *status = Usage(std::string(command) + " needs a folder");
    return false;
  }
  return true;
}

std::string NativePath(const char* enginePath) {
  char shown[4096];
  return platform::DisplayPath(enginePath, shown, sizeof shown) ? shown : enginePath;
}

void PrintUtf8(std::FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
  std::fflush(stream);
}
