// Project files through the menu, the title information list and the folder
// selection dialog, under Wine. Modal dialogs are driven from a timer that
// their own message loop dispatches.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "disc/disc_state.h"
#include "persist/project_file.h"
#include "res/resource.h"
#include "tests/gui/gui_session.h"
#include "tests/unit/message_recorder.h"
#include "winfw/file_dialog.h"
#include "winfw/window.h"

using namespace gui;
namespace fs = std::filesystem;

namespace {

// Runs `act` on the dialog captioned `caption` once a modal loop shows it.
std::wstring modalCaption;
std::function<void(HWND)> modalAct;
void CALLBACK PollForModal(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", modalCaption.c_str());
  if (dialog == nullptr || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, timer);
  std::function<void(HWND)> act = std::move(modalAct);
  act(dialog);
}
void WhileModal(const char* caption, std::function<void(HWND)> act) {
  modalCaption = winfw::Wide(caption);
  modalAct = std::move(act);
  SetTimer(nullptr, 0, 20, PollForModal);
}

std::vector<std::string> ListLines(HWND dialog, int id) {
  HWND list = GetDlgItem(dialog, id);
  std::vector<std::string> lines;
  for (int i = 0; i < int(SendMessageW(list, LB_GETCOUNT, 0, 0)); ++i) {
    wchar_t text[512] = {};
    SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(text));
    lines.push_back(Utf8(text));
  }
  return lines;
}
void ClickIn(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// The file dialogs answered with `path`, or cancelled when it is empty; the
// settings they were opened with are kept for the test to look at.
struct FileAnswer {
  std::string path;
  std::vector<winfw::TOpenSaveDialog::TData> asked;
  static int Answer(bool, winfw::TOpenSaveDialog::TData* data, void* context) {
    FileAnswer* self = static_cast<FileAnswer*>(context);
    self->asked.push_back(*data);
    if (self->path.empty()) return IDCANCEL;
    data->fileName = self->path;
    return IDOK;
  }
  FileAnswer() { winfw::SetFileDialogHandler(&FileAnswer::Answer, this); }
  ~FileAnswer() { winfw::SetFileDialogHandler(nullptr, nullptr); }
};

TEST(ProjectMenu, SaveAndLoadBringBackThePageTheFolderAndTheControls) {
  MessageRecorder recorder;
  FileAnswer files;
  const std::string folder = CopyOfDisc("seven");
  const std::string project = (fs::path(folder).parent_path() / "edit.prj").string();
  GetInfoOn(folder);
  Disc.ProjectPath[0] = '\0';
  Press(IDC_PAGE_DOWN);
  SetCheck(IDC_NO_MENU, true);

  Press(CM_SAVE_PROJECT);  // cancelled: nothing happens
  EXPECT_TRUE(recorder.messages().empty());
  files.path = project;
  Press(CM_SAVE_PROJECT);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].text, "プロジェクトを保存しました.");
  ASSERT_EQ(files.asked.size(), 2u);
  EXPECT_EQ(files.asked[0].filter, "ﾌﾟﾛｼﾞｪｸﾄ(*.prj)|*.prj");
  EXPECT_EQ(files.asked[0].fileName, "*.prj");
  EXPECT_EQ(files.asked[0].flags, DWORD(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT));

  // Elsewhere, then the project again: page 2, its folder, the option.
  Press(IDC_PAGE_UP);
  GetInfoOn("Z:\\no\\such\\VIDEO_TS");  // the option off too
  recorder.Clear();
  Press(CM_LOAD_PROJECT);
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_EQ(files.asked.back().flags, DWORD(OFN_HIDEREADONLY));
  EXPECT_EQ(files.asked.back().fileName, "edit.prj");
  EXPECT_EQ(Text(IDC_ROW1_LABEL), "[ 06 ]");
  EXPECT_EQ(Text(IDC_EDIT_FOLDER), folder);
  EXPECT_TRUE(Checked(IDC_NO_MENU));
  for (int id : kDiscControls) EXPECT_TRUE(Enabled(id)) << id;

  // A project saved before any disc was read turns the four controls off.
  const std::string empty = (fs::path(folder).parent_path() / "empty.prj").string();
  std::memset(&Disc, 0, sizeof Disc);
  ASSERT_TRUE(SaveProjectFile(empty.c_str()));
  files.path = empty;
  Press(CM_LOAD_PROJECT);
  EXPECT_EQ(Text(IDC_TITLE_COUNT), " 0");
  for (int id : kDiscControls) EXPECT_FALSE(Enabled(id)) << id;
}

TEST(TitleInfo, ListsEveryTitleAndClosesWithBackOrEnter) {
  MessageRecorder recorder;
  GetInfoOn(CopyOfDisc("seven"));
  for (int opener : {IDC_TITLE_INFO, CM_TITLE_INFO}) {
    std::vector<std::string> lines;
    WhileModal("タイトル情報表示", [&](HWND dialog) {
      lines = ListLines(dialog, IDC_TITLE_LIST);
      if (opener == CM_TITLE_INFO) {
        PostMessageW(GetDlgItem(dialog, IDC_TITLE_LIST), WM_KEYDOWN, VK_RETURN, 0);
      } else {
        ClickIn(dialog, IDOK);
      }
    });
    Press(opener);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], " ﾀｲﾄﾙ01: [VTS番号: 1  VTS内ﾀｲﾄﾙ番号: 1  ｱﾝｸﾞﾙ数: 1  ﾁｬﾌﾟﾀｰ数: 1]");
    EXPECT_EQ(lines[6].rfind(" ﾀｲﾄﾙ07: ", 0), 0u) << lines[6];
  }
}

// A name code page 932 cannot spell.
const wchar_t kAmelie[] = L"Am\u00e9lie";

// A temporary tree seen through Z:, and the folder dialog opened on it.
class FolderDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::path("Z:\\tmp") / ("reelwrite-folders-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root);
    for (const fs::path& p : {root / "A" / "B", root / fs::path(L"表") / "C", root / std::string(40, 'W'),
                              root / fs::path(kAmelie)}) {
      fs::create_directories(p);
    }
    App();
  }
  void TearDown() override { fs::remove_all(root); }
  std::string Root() const { return root.string() + "\\"; }

  // The folder list's entry `name` chosen as a click would choose it; the
  // path line afterwards.
  static std::string Enter(HWND dialog, const std::wstring& name) {
    HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
    LRESULT at = SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(name.c_str()));
    SendMessageW(list, LB_SETCURSEL, WPARAM(at), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FOLDER_LIST, LBN_SELCHANGE), LPARAM(list));
    return Text(IDC_PATH_LINE, dialog);
  }

  fs::path root;
};

TEST_F(FolderDialog, NavigatesByClicksAndTheRootButton) {
  SetText(IDC_EDIT_FOLDER, root.string());
  std::vector<std::string> seen;
  std::vector<std::string> folders;
  int extent = 0, width = 0;
  std::string drive;
  WhileModal("編集フォルダ選択", [&](HWND dialog) {
    seen.push_back(Text(IDC_PATH_LINE, dialog));
    folders = ListLines(dialog, IDC_FOLDER_LIST);
    HWND list = GetDlgItem(dialog, IDC_FOLDER_LIST);
    extent = int(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    width = client.right;
    HWND drives = GetDlgItem(dialog, IDC_DRIVE_LIST);
    wchar_t text[16] = {};
    SendMessageW(drives, LB_GETTEXT, SendMessageW(drives, LB_GETCURSEL, 0, 0), LPARAM(text));
    drive = Utf8(text);
    const std::vector<std::wstring> steps = {L"A",  L"B",  L"..",   L"..", L"表", L"C",
                                             L"..", L"..", kAmelie, L"..", L"A"};
    for (const std::wstring& name : steps) seen.push_back(Enter(dialog, name));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PATH_ROOT, BN_CLICKED), 0);
    seen.push_back(Text(IDC_PATH_LINE, dialog));
    Enter(dialog, L"tmp");
    Enter(dialog, root.filename().wstring());
    seen.push_back(Enter(dialog, std::wstring(40, L'W')));  // too long for the line
    ClickIn(dialog, IDCANCEL);
  });
  Press(IDC_BROWSE);

  const std::string r = Root(), amelie = Utf8(kAmelie), w40(40, 'W');
  ASSERT_EQ(seen.size(), 14u);
  EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.end() - 1),
            (std::vector<std::string>{r, r + "A\\", r + "A\\B\\", r + "A\\", r, r + "表\\", r + "表\\C\\",
                                      r + "表\\", r, r + amelie + "\\", r, r + "A\\", "Z:\\"}));
  // Shortened in the middle, the folder's own name kept.
  EXPECT_EQ(seen.back().rfind("Z:\\", 0), 0u) << seen.back();
  EXPECT_EQ(seen.back().size() - seen.back().rfind("...\\" + w40 + "\\"), w40.size() + 5) << seen.back();
  EXPECT_EQ(folders, (std::vector<std::string>{"..", "A", amelie, w40, "表"}));
  EXPECT_EQ(extent, width * 40 / 30);
  EXPECT_EQ(drive, "Z :");
  EXPECT_EQ(Text(IDC_EDIT_FOLDER), root.string()) << "ｷｬﾝｾﾙ changes nothing";
}

TEST_F(FolderDialog, SelectAndGetInfoFillTheEditBox) {
  MessageRecorder recorder;
  const fs::path disc = fs::path(CopyOfDisc("sample"));
  struct Case {
    int button;
    std::string start, expected;
    bool readsDisc;
  } cases[] = {
      {IDOK, root.string(), Root(), false},
      // Reached by its short path, shown by its own name.
      {IDOK, Utf8((root / kAmelie).wstring()), Root() + Utf8(kAmelie) + "\\", false},
      {IDC_PATH_GET_INFO, disc.parent_path().string(), disc.string() + "\\", true},
  };
  for (const Case& c : cases) {
    SetText(IDC_EDIT_FOLDER, c.start);
    SetText(IDC_TITLE_COUNT, "");
    WhileModal("編集フォルダ選択", [&](HWND dialog) {
      if (c.readsDisc) Enter(dialog, L"VIDEO_TS");
      ClickIn(dialog, c.button);
    });
    Press(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_EDIT_FOLDER), c.expected);
    EXPECT_EQ(Text(IDC_TITLE_COUNT) == " 3", c.readsDisc);
  }
  EXPECT_TRUE(recorder.messages().empty());
}

}  // namespace
