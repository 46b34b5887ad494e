// The main dialog under Wine: the real windows, driven with window messages.
// The tests share one running program and run in this file's order.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "actions/title_action.h"
#include "author/execute.h"
#include "disc/disc_state.h"
#include "persist/program_paths.h"
#include "res/resource.h"
#include "tests/gui/gui_session.h"
#include "tests/unit/message_recorder.h"

using namespace gui;

namespace {

// The controls of rows 1 to 5: the six kind buttons, then the title
// number, command text and menu choice.
struct RowIds {
  int label;
  int kinds[6];  // jump, command, menu, stop, repeat, unchanged
  int target, text, menu;
};
constexpr RowIds kRows[5] = {
    {1010, {116, 124, 117, 122, 159, 160}, 125, 126, 118},
    {1011, {127, 132, 128, 130, 161, 162}, 134, 133, 123},
    {1012, {135, 140, 136, 138, 163, 164}, 142, 141, 129},
    {1013, {143, 148, 144, 146, 165, 166}, 150, 149, 131},
    {1014, {151, 156, 152, 154, 167, 168}, 158, 157, 137},
};
enum Kind { kJump, kCommand, kMenu, kStop, kRepeat, kUnchanged, kNone };

Kind CheckedKind(int row) {
  for (int b = 0; b < 6; ++b) {
    if (Checked(kRows[row].kinds[b])) return Kind(b);
  }
  return kNone;
}

// A row as shown: the checked kind, title selection, command text, menu
// selection and which of its fields are enabled.
std::string Row(int k) {
  static const char* const kNames[] = {"jump", "command", "menu", "stop", "repeat", "unchanged", "none"};
  const RowIds& row = kRows[k];
  std::string text = std::string(kNames[CheckedKind(k)]) + " " + std::to_string(Selection(row.target)) +
                     " [" + Text(row.text) + "] " + std::to_string(Selection(row.menu)) + " on:";
  const std::pair<int, const char*> fields[] = {
      {row.target, "title"}, {row.text, "text"}, {row.menu, "menu"}, {row.kinds[kStop], "kinds"}};
  for (const auto& [id, name] : fields) {
    if (Enabled(id)) text += std::string(" ") + name;
  }
  return text;
}

std::vector<std::string> Labels() {
  std::vector<std::string> labels;
  for (const RowIds& row : kRows) labels.push_back(Text(row.label));
  return labels;
}

// A test that expects a message box records it with a recorder of its own.
class MainDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Restart();  // whatever ran before, these start from a new program
    FindProgramPaths();
    DeleteFileA(HistoryPath);
  }
  void TearDown() override { EXPECT_TRUE(quiet.messages().empty()) << quiet.messages()[0].text; }
  MessageRecorder quiet;
};

TEST_F(MainDialog, BeforeAnyGetInfoNothingIsOffered) {
  App();
  EXPECT_EQ(Text(IDC_TITLE_COUNT), " 0");
  EXPECT_EQ(Text(IDC_TITLE_SET_COUNT), " 0");
  EXPECT_EQ(Labels(), std::vector<std::string>(5, "[ -- ]"));
  EXPECT_EQ(Text(IDC_EDIT_FOLDER), "Z:\\VIDEO_TS\\");
  EXPECT_EQ(Selection(IDC_PRESET), 0);
  EXPECT_EQ(ItemText(IDC_REGISTER, 0), " 0, 1");
  EXPECT_EQ(ItemText(IDC_REGISTER, 15), "15, 0");
  std::vector<int> off(std::begin(kDiscControls), std::end(kDiscControls));
  off.insert(off.end(), {IDC_PRESET, IDC_REFRESH, IDC_REGISTER});
  for (const RowIds& row : kRows) {
    off.insert(off.end(), std::begin(row.kinds), std::end(row.kinds));
    off.insert(off.end(), {row.target, row.text, row.menu});
  }
  for (int id : off) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_FALSE(MenuItemEnabled(CM_TITLE_INFO));
  EXPECT_FALSE(MenuItemEnabled(CM_EXECUTE));
  EXPECT_TRUE(MenuItemEnabled(CM_GET_INFO));
  // Down does nothing, and closing needs no question.
  Press(IDC_PAGE_DOWN);
  EXPECT_EQ(Disc.RowPage, 0);
  EXPECT_TRUE(App().Dialog()->AskCanClose());
}

TEST_F(MainDialog, GetInfoShowsTheAuthoredDisc) {
  GetInfoOn(CopyOfDisc("sample"));
  EXPECT_EQ(Text(IDC_TITLE_COUNT), " 3");
  EXPECT_EQ(Text(IDC_TITLE_SET_COUNT), " 1");
  EXPECT_EQ(Labels(), (std::vector<std::string>{"[ 01 ]", "[ 02 ]", "[ 03 ]", "[ -- ]", "[ -- ]"}));
  EXPECT_EQ(Selection(IDC_REGISTER), 0);
  for (int id : kDiscControls) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(MenuItemEnabled(CM_TITLE_INFO));
  EXPECT_TRUE(MenuItemEnabled(CM_EXECUTE));

  // A disc never patched preselects each title's own number, the last title 1.
  EXPECT_EQ(Row(0), "command 0 [30 03 00 00 00 02 00 00] 0 on: text kinds");
  EXPECT_EQ(Row(1), "command 1 [30 03 00 00 00 03 00 00] 0 on: text kinds");
  EXPECT_EQ(Row(2), "menu 0 [30 08 00 00 01 42 00 00] 0 on: menu kinds");
  EXPECT_EQ(Row(3), "jump 0 [30 02 00 00 00 01 00 00] 0 on:");
  EXPECT_EQ(Row(4), "jump 0 [30 02 00 00 00 01 00 00] 0 on:");
}

TEST_F(MainDialog, FailedGetInfoEmptiesTheRowsAndKeepsTheOptions) {
  // A folder without a disc, named by the user's name for it; one that is
  // not there, also under a name Shift-JIS lacks, refused before any read.
  const std::string empty = CopyOfDisc("sample", L"Am\u00e9lie");
  std::filesystem::remove(std::filesystem::u8path(empty + "\\VIDEO_TS.IFO"));
  const struct {
    std::string folder, said;
  } cases[] = {
      {empty, empty + "\\VIDEO_TS.IFOが存在しません."},
      {"Z:\\no\\such\\VIDEO_TS", "編集先フォルダが存在しません."},
      {"Z:\\caf\xC3\xA9\\VIDEO_TS",
       "編集ﾌｫﾙﾀﾞに Shift-JIS で表せない文字があり, そのフォルダも見つかりません."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    MessageRecorder recorder;
    GetInfoOn(CopyOfDisc("sample"));
    Click(IDC_NO_MENU);
    SetText(IDC_EDIT_FOLDER, c.folder);
    Press(IDC_GET_INFO);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text.rfind(c.said, 0), 0u) << recorder.messages()[0].text;
    EXPECT_EQ(recorder.messages()[0].caption, "エラー");
    EXPECT_EQ(Text(IDC_TITLE_COUNT), " 0");
    EXPECT_EQ(Labels(), std::vector<std::string>(5, "[ -- ]"));
    for (int id : kDiscControls) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Checked(IDC_NO_MENU));
  }
}

TEST_F(MainDialog, PagingShowsFiveTitlesAtATimeAndKeepsEdits) {
  GetInfoOn(CopyOfDisc("seven"));
  Click(kRows[0].kinds[kStop]);
  Press(IDC_PAGE_DOWN);
  EXPECT_EQ(Labels(), (std::vector<std::string>{"[ 06 ]", "[ 07 ]", "[ -- ]", "[ -- ]", "[ -- ]"}));
  EXPECT_TRUE(Enabled(kRows[1].kinds[kStop]));
  EXPECT_FALSE(Enabled(kRows[2].kinds[kStop]));
  EXPECT_FALSE(Enabled(kRows[2].text));
  Press(IDC_PAGE_DOWN);  // no further page
  EXPECT_EQ(Text(kRows[0].label), "[ 06 ]");
  Press(IDC_PAGE_UP);
  EXPECT_EQ(Text(kRows[0].label), "[ 01 ]");
  EXPECT_EQ(CheckedKind(0), kStop);
  Press(IDC_PAGE_UP);  // already on the first page
  EXPECT_EQ(Disc.RowPage, 0);
}

TEST_F(MainDialog, RadioClickEnablesOnlyThatRowsField) {
  GetInfoOn(CopyOfDisc("seven"));
  const int kindBefore = Disc.ActionKind[0];
  const char* const enabled[] = {" title kinds", " text kinds", " menu kinds", " kinds", " kinds", " kinds"};
  for (int kind = kJump; kind <= kUnchanged; ++kind) {
    Click(kRows[0].kinds[kind]);
    const std::string row = Row(0);
    EXPECT_EQ(CheckedKind(0), kind);
    EXPECT_EQ(row.substr(row.find(" on:") + 4), enabled[kind]) << row;
  }
  EXPECT_EQ(Disc.ActionKind[0], kindBefore);  // the model waits for the next read-back
}

TEST_F(MainDialog, PresetsFillEveryTitleFromTheSecondPage) {
  struct Case {
    int preset;
    Kind sixth, last;
    int lastTarget, lastMenu;
  };
  const Case cases[] = {
      {0, kJump, kMenu, 0, 0},  {1, kJump, kMenu, 0, 1},      {2, kJump, kStop, 0, -1},
      {3, kJump, kJump, 0, -1}, {4, kMenu, kMenu, 0, 0},      {5, kMenu, kMenu, 0, 1},
      {6, kStop, kStop, 0, -1}, {7, kRepeat, kRepeat, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preset);
    GetInfoOn(CopyOfDisc("seven"));
    Press(IDC_PAGE_DOWN);
    SetText(kRows[0].text, "30 01 00 00 00 00 00 00");  // typed, survives the preset
    Select(IDC_PRESET, c.preset);
    Press(IDC_REFRESH);
    EXPECT_EQ(Text(kRows[0].label), "[ 06 ]");
    EXPECT_EQ(CheckedKind(0), c.sixth);
    EXPECT_EQ(Selection(kRows[0].target), 6);
    EXPECT_EQ(Text(kRows[0].text), "30 01 00 00 00 00 00 00");
    EXPECT_EQ(CheckedKind(1), c.last);
    EXPECT_EQ(Selection(kRows[1].target), c.lastTarget);
    if (c.lastMenu >= 0) {
      EXPECT_EQ(Selection(kRows[1].menu), c.lastMenu);
    }
    for (int n = 0; n < 5; ++n) EXPECT_EQ(Disc.ActionKind[n], Disc.ActionKind[5]) << n;
    EXPECT_EQ(Disc.PresetIndex, c.preset);
  }
}

// Also in a folder whose name has no Shift-JIS spelling, which the window
// and reelwrite-cli.exe reach by its short (8.3) path and show by its own.
TEST_F(MainDialog, ExecuteWritesWhatTheCommandLineWrites) {
  const char* const kFiles[] = {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VTS_01_0.IFO", "VTS_01_0.BUP"};
  std::vector<std::string> first;
  for (const std::wstring parent : {L"", L"Am\u00e9lie"}) {
    SCOPED_TRACE(Utf8(parent));
    const std::string gui = CopyOfDisc("sample", parent);
    const std::string cli = CopyOfDisc("sample", parent);
    const std::string original = FileBytes(gui + "\\VTS_01_0.IFO");
    MessageRecorder recorder;
    GetInfoOn(gui);
    ASSERT_EQ(Text(IDC_TITLE_COUNT), " 3");
    EXPECT_EQ(std::string(Disc.EditFolderText).find("\xC3"), std::string::npos) << Disc.EditFolderText;
    Select(IDC_PRESET, 2);
    Press(IDC_REFRESH);
    Click(kRows[1].kinds[kCommand]);
    SetText(kRows[1].text, "30 01 00 00 00 00 00 00");
    Select(IDC_REGISTER, 3);
    Press(IDC_EXECUTE);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(recorder.messages()[1].text, "正常終了しました.");

    ASSERT_EQ(RunCli("apply \"" + cli +
                     "\" --preset playall-stop --title 2=command:3001000000000000 --register 3 --yes"),
              0);
    EXPECT_NE(FileBytes(gui + "\\VTS_01_0.IFO"), original);
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
      const std::string bytes = FileBytes(gui + "\\" + kFiles[i]);
      EXPECT_EQ(bytes, FileBytes(cli + "\\" + kFiles[i])) << kFiles[i];
      if (first.size() == i) first.push_back(bytes);
      EXPECT_EQ(bytes, first[i]) << kFiles[i] << " differs from the plain folder's";
    }
  }
}

// The dialog is read back before anything is asked: what the rows choose is
// refused, or warned of, before the first question.
TEST_F(MainDialog, ExecuteReadsTheDialogBackAndWarnsOrRefusesBeforeTheFirstQuestion) {
  const std::string folder = CopyOfDisc("seven");
  const std::string before = FileBytes(folder + "\\VIDEO_TS.IFO");
  auto options = [](bool noMenu, bool random) {
    return [=] {
      SetCheck(IDC_NO_MENU, noMenu);
      SetCheck(IDC_RANDOM_PLAY, random);
    };
  };
  auto typedJumpTT = [] {
    Click(kRows[0].kinds[kCommand]);
    SetText(kRows[0].text, "30 02 00 00 00 03 00 00");
  };
  const std::string confirm = "DVDイメージを更新します。";
  const std::string warned =
      std::string(kPlaybackWarningsQuestion) +
      "\n\n・title 1 ends with JumpTT outside the video manager, where players stop or abort "
      "(JumpTT 3 from a title or title set menu)";
  const struct {
    std::function<void()> set;
    std::deque<int> answers;
    std::vector<std::string> starts;  // of the messages shown, the last answered No
  } cases[] = {
      {[] { Click(kRows[0].kinds[kStop]); }, {7}, {confirm}},
      {options(true, false), {6, 7}, {confirm, "『メニューなし』"}},
      {options(false, true), {6, 7}, {confirm, "『ランダム再生』"}},
      {options(true, true), {6, 7}, {confirm, "『メニューなし』"}},
      {typedJumpTT, {7}, {warned}},
      {typedJumpTT, {6, 7}, {warned, confirm}},
      {[] {
         Click(kRows[0].kinds[kJump]);
         Select(kRows[0].target, 49);
       },
       {},
       {"タイトル01の終了時のジャンプ先, タイトル50はこのディスクにありません（タイトル数 7）."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.starts.back());
    GetInfoOn(folder);
    MessageRecorder answers(c.answers);
    c.set();
    Press(IDC_EXECUTE);
    ASSERT_EQ(answers.messages().size(), c.starts.size());
    for (std::size_t i = 0; i < c.starts.size(); ++i) {
      EXPECT_EQ(answers.messages()[i].text.rfind(c.starts[i], 0), 0u) << answers.messages()[i].text;
    }
  }
  EXPECT_EQ(Disc.ActionKind[0], JumpTitle);  // read back before the refusal
  EXPECT_EQ(FileBytes(folder + "\\VIDEO_TS.IFO"), before);
}

TEST_F(MainDialog, BusyFlagTurnsTheHandlersAway) {
  GetInfoOn(CopyOfDisc("seven"));
  SetText(IDC_EDIT_FOLDER, "Z:\\no\\such");
  Busy = 1;
  for (int id : {IDC_GET_INFO, CM_GET_INFO, IDC_EXECUTE, CM_EXECUTE, IDC_PAGE_DOWN, IDC_EXIT, CM_EXIT}) {
    Press(id);
    EXPECT_EQ(Disc.TitleCount, 7) << id;
    EXPECT_EQ(Disc.RowPage, 0) << id;
  }
  EXPECT_FALSE(App().Dialog()->AskCanClose());
  Busy = 0;
  EXPECT_NE(App().Dialog()->Handle(), nullptr);
}

TEST_F(MainDialog, EscapeAndEnterActAsExit) {
  MessageRecorder recorder({7, 7});
  GetInfoOn(CopyOfDisc("sample"));
  for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    PostMessageW(GetDlgItem(Dialog(), IDC_EDIT_FOLDER), WM_KEYDOWN, key, 0);
    Pump();
  }
  ASSERT_EQ(recorder.messages().size(), 2u);
  for (const RecordedMessage& m : recorder.messages()) {
    EXPECT_EQ(m.text, "終了しますか？");
    EXPECT_EQ(m.style, 36);
  }
  EXPECT_NE(App().Dialog()->Handle(), nullptr);
}

TEST_F(MainDialog, HistoryCarriesFolderAndPresetIntoTheNextRun) {
  MessageRecorder recorder({7});
  GetInfoOn(CopyOfDisc("sample"));
  SetText(IDC_EDIT_FOLDER, "Z:\\DISC1\\VIDEO_TS");
  Select(IDC_PRESET, 3);
  Press(IDC_REFRESH);
  Press(IDC_EXIT);  // No: still running, the folder text taken all the same
  ASSERT_NE(App().Dialog()->Handle(), nullptr);
  EXPECT_STREQ(Disc.EditFolderText, "Z:\\DISC1\\VIDEO_TS");
  Press(IDC_EXIT);  // Yes
  Pump();
  EXPECT_EQ(App().MainWindow()->Handle(), nullptr);
  Restart();
  EXPECT_EQ(Text(IDC_EDIT_FOLDER), "Z:\\DISC1\\VIDEO_TS");
  EXPECT_EQ(Selection(IDC_PRESET), 3);
}

}  // namespace
