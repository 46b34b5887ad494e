// The real program's windows under Wine, in this process: one TMyApp for the
// whole run (the logo's two seconds once), driven with window messages and
// read back through its controls. Message boxes go to a MessageRecorder.
// The tests share the program and run in this file's order.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/shell.h"
#include "disc/disc_state.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "tests/unit/message_recorder.h"
#include "winfw/window.h"

namespace fs = std::filesystem;

namespace {

// No test may hang the run: one left waiting, on a modal dialog nobody
// closes for instance, ends the process with its name.
class Watchdog : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    CreateTimerQueueTimer(&timer_, nullptr, &Watchdog::Expire, nullptr, 60000, 0, WT_EXECUTEONLYONCE);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
  }
  static void CALLBACK Expire(void*, BOOLEAN) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "%s.%s still running after 60 s: stopped\n", info->test_suite_name(), info->name());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
  }
  HANDLE timer_ = nullptr;
};
const bool watching = (::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog), true);

// The running program, started on first use and never closed: no history
// file is written behind the tests. It installs its own message box; a
// recorder set up before keeps answering, or the box would wait for a click.
TMyApp& App() {
  static TMyApp* app = [] {
    void* context = platform::MessageBoxContext();
    platform::MessageBoxHandler handler = platform::SetMessageBoxHandler(nullptr, nullptr);
    TMyApp* started = new TMyApp;
    started->Start();
    platform::SetMessageBoxHandler(handler, context);
    started->DispatchWaiting();
    return started;
  }();
  return *app;
}
HWND Frame() { return App().MainWindow()->Handle(); }
HWND Item(int id) { return GetDlgItem(App().Dialog()->Handle(), id); }
std::string Utf8(const std::wstring& wide) { return fs::path(wide).u8string(); }
std::string Text(int id) { return Utf8(winfw::Control(App().Dialog(), id).Text()); }
void SetText(int id, const std::string& utf8) { SetWindowTextW(Item(id), winfw::Wide(utf8.c_str()).c_str()); }
// A click as the dialog receives it, as a menu command would come too.
void Press(int id) {
  SendMessageW(App().Dialog()->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(Item(id)));
}
// A mouse click: a radio button checks itself before its notification.
void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
void Select(int id, int index) { SendMessageW(Item(id), CB_SETCURSEL, WPARAM(index), 0); }
// The controls and File menu items that need a disc read offered or not (as
// the menu shows them when it opens); get info always is.
void ExpectDiscOffered(bool on) {
  for (int id : {IDC_NO_MENU, IDC_RANDOM_PLAY, IDC_TITLE_INFO, IDC_EXECUTE})
    EXPECT_EQ(IsWindowEnabled(Item(id)) != FALSE, on) << id;
  HMENU file = GetSubMenu(GetMenu(Frame()), 0);
  SendMessageW(Frame(), WM_INITMENUPOPUP, WPARAM(file), 0);
  for (int id : {CM_GET_INFO, CM_TITLE_INFO, CM_EXECUTE})
    EXPECT_EQ(!(GetMenuState(file, UINT(id), MF_BYCOMMAND) & MF_GRAYED), on || id == CM_GET_INFO) << id;
}

// Get info on `folder` with both options off.
void GetInfoOn(const std::string& folder) {
  SendMessageW(Item(IDC_NO_MENU), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(Item(IDC_RANDOM_PLAY), BM_SETCHECK, BST_UNCHECKED, 0);
  SetText(IDC_EDIT_FOLDER, folder);
  Press(IDC_GET_INFO);
}
// Row 1's Stop button, row 2's Command button and command box, as the
// dialog template numbers them.
constexpr int kRow1Stop = 122, kRow2Command = 132, kRow2Text = 133;

// A host path as the drive form Wine gives it (Z: is /).
std::string DrivePath(std::string host) {
  for (char& c : host) c = c == '/' ? '\\' : c;
  return "Z:" + host;
}

// A fresh copy of an authored disc ("sample", "seven"), inside a folder named
// `parent` when given; its VIDEO_TS folder in the drive form, in UTF-8.
std::string CopyOfDisc(const char* layout, const std::wstring& parent = L"") {
  static int copies = 0;
  const fs::path root = fs::temp_directory_path() / "reelwrite-gui";
  if (copies == 0) fs::remove_all(root);  // what an earlier run left
  const fs::path to = root / (layout + std::to_string(++copies)) / parent / "VIDEO_TS";
  fs::create_directories(to);
  fs::copy(fs::path(DrivePath(REELWRITE_DISCS)) / layout / "VIDEO_TS", to, fs::copy_options::recursive);
  return Utf8(to.wstring());
}

// The information files of the VIDEO_TS folder `disc`, back to back.
std::string IfoBytes(const std::string& disc) {
  std::string bytes;
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"}) {
    std::ifstream file(fs::u8path(disc + "\\" + name), std::ios::binary);
    bytes.append(std::istreambuf_iterator<char>(file), {});
  }
  return bytes;
}

TEST(MainDialog, OffersWhatTheDiscAllowsPagesAndAsksBeforeClosing) {
  MessageRecorder recorder({7});
  ExpectDiscOffered(false);
  GetInfoOn(CopyOfDisc("seven"));
  ExpectDiscOffered(true);
  EXPECT_EQ(Utf8(winfw::TComboBox(App().Dialog(), IDC_REGISTER).ItemText(15)), "15, 0");  // the pair wraps
  Click(kRow1Stop);
  Press(IDC_PAGE_DOWN);
  std::vector<std::string> labels;
  for (int id = IDC_ROW1_LABEL; id <= IDC_ROW5_LABEL; ++id) labels.push_back(Text(id));
  EXPECT_EQ(labels, (std::vector<std::string>{"[ 06 ]", "[ 07 ]", "[ -- ]", "[ -- ]", "[ -- ]"}));
  Press(IDC_PAGE_UP);
  EXPECT_EQ(Text(IDC_ROW1_LABEL), "[ 01 ]");
  EXPECT_EQ(SendMessageW(Item(kRow1Stop), BM_GETCHECK, 0, 0), BST_CHECKED);  // kept over the page turn
  // One full page: no second one.
  Disc.TitleCount = 5;
  Press(IDC_PAGE_DOWN);
  EXPECT_EQ(Disc.RowPage, 0);
  Disc.TitleCount = 7;

  // With a disc read, closing asks; No keeps the program running.
  SendMessageW(Frame(), WM_CLOSE, 0, 0);
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"終了しますか？"});
  ASSERT_TRUE(IsWindow(Frame()));

  // A failed read takes the disc away: a folder Shift-JIS cannot name, and
  // that is not there to be reached by a short name.
  recorder.Clear();
  GetInfoOn("Z:\\caf\xC3\xA9\\VIDEO_TS");
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].text.rfind("編集ﾌｫﾙﾀﾞに Shift-JIS で表せない文字があり", 0), 0u);
  EXPECT_EQ(recorder.messages()[0].style, platform::kWarningBox);
  EXPECT_EQ(Text(IDC_TITLE_COUNT), " 0");
  ExpectDiscOffered(false);
}

// Also in a folder whose name has no Shift-JIS spelling, which the window
// and reelwrite-cli.exe reach by its short (8.3) path.
TEST(MainDialog, ExecuteWritesWhatTheCommandLineWrites) {
  std::string first;
  for (const std::wstring parent : {L"", L"Am\u00e9lie"}) {
    SCOPED_TRACE(Utf8(parent));
    const std::string gui = CopyOfDisc("sample", parent), cli = CopyOfDisc("sample", parent);
    MessageRecorder recorder;
    GetInfoOn(gui);
    ASSERT_EQ(Text(IDC_TITLE_COUNT), " 3");
    Select(IDC_PRESET, 2);
    Press(IDC_REFRESH);
    Click(kRow2Command);
    SetText(kRow2Text, "30 01 00 00 00 00 00 00");
    Select(IDC_REGISTER, 3);
    Press(IDC_EXECUTE);
    EXPECT_EQ(recorder.Texts(),
              (std::vector<std::string>{"DVDイメージを更新します。\n実行しますか？", "正常終了しました."}));
    // cmd.exe takes the outer quotes away.
    const std::string line =
        "\"\"" + DrivePath(REELWRITE_CLI) + "\" apply \"" + cli +
        "\" --preset playall-stop --title 2=command:3001000000000000 --register 3 --yes\"";
    ASSERT_EQ(_wsystem(winfw::Wide(line.c_str()).c_str()), 0);
    const std::string bytes = IfoBytes(gui);
    EXPECT_TRUE(bytes == IfoBytes(cli)) << "differs from the command line's";
    if (first.empty()) first = bytes;
    EXPECT_TRUE(bytes == first) << "differs from the plain folder's";
  }
}

// The folder selection dialog opened on the edit box's folder, led through
// entries of its folder or drive list and answered; the edit box after.
TEST(FolderDialog, ChoosesByItsListsAndTakesNothingWhenClosedOtherwise) {
  MessageRecorder recorder;
  const std::wstring amelie = L"Am\u00e9lie";  // reached by its short name, shown by its own
  const fs::path root = fs::path("Z:\\tmp") / ("reelwrite-folders-" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(root);
  fs::create_directories(root / "A");
  fs::create_directories(root / amelie);
  const std::string r = root.string(), disc = CopyOfDisc("sample");
  const std::string typed = "Z:\\TMP" + r.substr(6);  // the user's spelling of the case stays
  wchar_t shortName[MAX_PATH] = {};                   // shown by its long name once taken
  GetShortPathNameW(root.c_str(), shortName, MAX_PATH);
  struct Case {
    std::string start;
    std::vector<std::wstring> entries;
    int button;  // 0: the title bar's close
    std::string edit;
  };
  static const Case* current;  // the one the dialog's timer answers
  const Case cases[] = {
      {Utf8(shortName), {L"A"}, IDCANCEL, Utf8(shortName)},
      {Utf8(shortName), {L"A"}, 0, Utf8(shortName)},
      {typed, {}, IDOK, typed + "\\"},
      {r, {L"A", L"..", amelie}, IDOK, r + "\\" + Utf8(amelie) + "\\"},
      {fs::path(disc).parent_path().string(), {L"VIDEO_TS"}, IDC_PATH_GET_INFO, disc + "\\"},
      {r, {L"C :"}, IDOK, "C:\\"},  // last: the process's drive is C: after
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    SetText(IDC_EDIT_FOLDER, c.start);
    SetText(IDC_TITLE_COUNT, "");
    current = &c;  // the dialog's modal loop dispatches a timer that looks for it
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
      HWND dialog = FindWindowW(L"#32770", L"編集フォルダ選択");
      if (dialog == nullptr || !IsWindowVisible(dialog)) return;
      KillTimer(nullptr, timer);
      for (const std::wstring& name : current->entries) {
        HWND list = GetDlgItem(dialog, name.back() == L':' ? IDC_DRIVE_LIST : IDC_FOLDER_LIST);
        SendMessageW(list, LB_SETCURSEL,
                     SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(name.c_str())), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), LPARAM(list));
      }
      PostMessageW(dialog, current->button ? WM_COMMAND : WM_CLOSE, MAKEWPARAM(current->button, BN_CLICKED),
                   0);
    });
    Press(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_EDIT_FOLDER), c.edit);
    EXPECT_EQ(Text(IDC_TITLE_COUNT) == " 3", c.button == IDC_PATH_GET_INFO);
  }
  EXPECT_TRUE(recorder.messages().empty());
  fs::remove_all(root);
}

}  // namespace
