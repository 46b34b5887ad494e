#include "tests/gui/gui_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "disc/disc_state.h"
#include "platform/platform.h"
#include "winfw/window.h"

namespace gui {
namespace {

std::unique_ptr<TMyApp> running;

// No test may hang the run: one left waiting, on a modal dialog nobody
// answers for instance, ends the process with its name.
constexpr DWORD kTestMilliseconds = 60000;

class Watchdog : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    CreateTimerQueueTimer(&timer_, nullptr, &Watchdog::Expire, this, kTestMilliseconds, 0,
                          WT_EXECUTEONLYONCE);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
    timer_ = nullptr;
  }
  static void CALLBACK Expire(void* self, BOOLEAN) {
    std::fprintf(stderr, "%s still running after %lu ms: stopped\n",
                 static_cast<Watchdog*>(self)->name_.c_str(), kTestMilliseconds);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  std::string name_;
  HANDLE timer_ = nullptr;
};

const bool watching = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  return true;
}();

HWND Item(int id) { return GetDlgItem(Dialog(), id); }

// A host path as the drive form Wine gives it (Z: is /).
std::string DrivePath(std::string host) {
  for (char& c : host) {
    if (c == '/') c = '\\';
  }
  return "Z:" + host;
}

}  // namespace

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

TMyApp& App() {
  if (!running) {
    // The program installs its own message box; a recorder a test set up
    // before keeps answering instead, or the box would wait for a click.
    void* context = platform::MessageBoxContext();
    platform::MessageBoxHandler handler = platform::SetMessageBoxHandler(nullptr, nullptr);
    platform::SetMessageBoxHandler(handler, context);
    running = std::make_unique<TMyApp>();
    running->Start();
    platform::SetMessageBoxHandler(handler, context);
    running->DispatchWaiting();
  }
  return *running;
}

HWND Frame() { return App().MainWindow()->Handle(); }
HWND Dialog() { return App().Dialog()->Handle(); }

void Restart() {
  if (running && running->MainWindow()->Handle() != nullptr) DestroyWindow(Frame());
  running.reset();
  Pump();
  std::memset(&Disc, 0, sizeof Disc);  // a new process starts with none
}

void Press(int id) { SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(id))); }
void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
void SetText(int id, const std::string& utf8) { SetWindowTextW(Item(id), winfw::Wide(utf8.c_str()).c_str()); }
void Select(int id, int index) { SendMessageW(Item(id), CB_SETCURSEL, WPARAM(index), 0); }
void SetCheck(int id, bool on) { SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void GetInfoOn(const std::string& folder) {
  SetCheck(IDC_NO_MENU, false);
  SetCheck(IDC_RANDOM_PLAY, false);
  SetText(IDC_EDIT_FOLDER, folder);
  Press(IDC_GET_INFO);
}

void Pump() {
  if (running) running->DispatchWaiting();
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::string Text(int id, HWND dialog) {
  wchar_t text[512] = {};
  GetDlgItemTextW(dialog != nullptr ? dialog : Dialog(), id, text, 512);
  return Utf8(text);
}

std::string ItemText(int id, int index) {
  wchar_t text[256] = {};
  SendMessageW(Item(id), CB_GETLBTEXT, WPARAM(index), LPARAM(text));
  return Utf8(text);
}

bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
bool Checked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
int Selection(int id) { return int(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }

bool MenuItemEnabled(int command) {
  HMENU file = GetSubMenu(GetMenu(Frame()), 0);
  SendMessageW(Frame(), WM_INITMENUPOPUP, WPARAM(file), 0);
  return (GetMenuState(file, UINT(command), MF_BYCOMMAND) & MF_GRAYED) == 0;
}

std::string CopyOfDisc(const char* layout, const std::wstring& parent) {
  namespace fs = std::filesystem;
  static int copies = 0;
  const fs::path root = fs::temp_directory_path() / "reelwrite-gui";
  if (copies == 0) fs::remove_all(root);  // what an earlier run left
  const fs::path from = fs::path(DrivePath(REELWRITE_DISCS)) / layout / "VIDEO_TS";
  const fs::path to = root / (std::string(layout) + std::to_string(++copies)) / parent / "VIDEO_TS";
  fs::create_directories(to);
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  return Utf8(to.wstring());
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int RunCli(const std::string& arguments) {
  std::wstring line = winfw::Wide(("\"" + DrivePath(REELWRITE_CLI) + "\" " + arguments).c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return int(code);
}

}  // namespace gui
