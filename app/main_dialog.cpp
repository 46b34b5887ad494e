#include "app/main_dialog.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "actions/get_info.h"
#include "app/about_dialog.h"
#include "app/dst_path_select_dialog.h"
#include "app/project_file_dialogs.h"
#include "app/title_info_dialog.h"
#include "author/execute.h"
#include "disc/disc_state.h"
#include "disc/sjis_text.h"
#include "persist/program_paths.h"
#include "persist/project_file.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "res/resource.h"

namespace {

using Row = winfw::Response<MyDialog>;
constexpr int kClick = BN_CLICKED;  // also the code of every menu command

// Every command and button of the dialog.
const Row kRoutes[] = {
    {kClick, CM_GET_INFO, &MyDialog::GetInfo},
    {kClick, IDC_GET_INFO, &MyDialog::GetInfo},
    {kClick, CM_EXECUTE, &MyDialog::ExecuteCommand},
    {kClick, IDC_EXECUTE, &MyDialog::ExecuteCommand},
    {kClick, CM_EXIT, &MyDialog::ExitCommand},
    {kClick, IDC_EXIT, &MyDialog::ExitCommand},
    {kClick, CM_HELP, &MyDialog::ShowHelp},
    {kClick, IDC_HELP_BUTTON, &MyDialog::ShowHelp},
    {kClick, CM_ABOUT, &MyDialog::ShowAbout},
    {kClick, IDC_REFRESH, &MyDialog::ApplyBatchPreset},
    {kClick, IDC_PAGE_UP, &MyDialog::PageUp},
    {kClick, IDC_PAGE_DOWN, &MyDialog::PageDown},
    {kClick, CM_TITLE_INFO, &MyDialog::ShowTitleInfo},
    {kClick, IDC_TITLE_INFO, &MyDialog::ShowTitleInfo},
    {kClick, CM_LOAD_PROJECT, &MyDialog::LoadProject},
    {kClick, CM_SAVE_PROJECT, &MyDialog::SaveProject},
    {kClick, IDC_BROWSE, &MyDialog::BrowseFolder},
};

// The edit box holds at most 258 bytes of a folder.
constexpr std::size_t kFolderTextLimit = kPathCapacity - 2;

}  // namespace

MyDialog::MyDialog() : winfw::Dialog(IDD_MAIN, nullptr), editFolder_(this, IDC_EDIT_FOLDER), rows_(this) {}

void MyDialog::SetupWindow() {
  ShowEditFolder();
  rows_.Setup();
}

void MyDialog::ShowEditFolder() { editFolder_.SetWide(platform::LongForm(Disc.EditFolderText)); }

bool MyDialog::Dispatch(int code, int id) {
  if (winfw::Route(this, kRoutes, code, id)) return true;
  if (code == kClick && TitleRows::IsKindButton(id)) {
    UpdateRowEnabling();
    return true;
  }
  return false;
}

bool MyDialog::CommandEnabled(int id) {
  if (id == CM_TITLE_INFO || id == CM_EXECUTE) return Disc.TitleSetCount > 0 && Disc.TitleCount > 0;
  return true;
}

bool MyDialog::ReadEditFolderBox(std::string* text, bool quiet) {
  const platform::EngineSpelling spelling = platform::EnginePathOf(editFolder_.Text(), text);
  if (spelling == platform::EngineSpelling::kMissing || spelling == platform::EngineSpelling::kNoShortNames) {
    if (quiet) return false;
    platform::ShowMessage(
        spelling == platform::EngineSpelling::kMissing
            ? "編集ﾌｫﾙﾀﾞに Shift-JIS で表せない文字があり, そのフォルダも見つかりません.\n"
              "存在するフォルダなら短い名前 (8.3形式) で開けます."
            : "編集ﾌｫﾙﾀﾞに Shift-JIS で表せない文字があり, そのドライブには短い名前 "
              "(8.3形式) もありません.\nShift-JIS で表せる名前のフォルダに移してから指定してください.",
        "エラー", platform::kWarningBox);
    return false;
  }
  std::size_t length = 0;
  while (length < text->size()) {
    const std::size_t width = IsSjisLeadByte(static_cast<unsigned char>((*text)[length])) ? 2 : 1;
    if (length + width > kFolderTextLimit) break;
    length += width;
  }
  std::memcpy(Disc.EditFolderText, text->data(), length);
  Disc.EditFolderText[length] = '\0';
  return true;
}

void MyDialog::GetInfo() {
  if (Busy) return;
  const int noMenu = rows_.NoMenuChecked() ? 1 : 0;
  const int randomPlay = rows_.RandomPlayChecked() ? 1 : 0;
  std::string text;
  const bool named = ReadEditFolderBox(&text);
  // The whole text goes to the read, which refuses one that is too long
  // rather than reading the folder a cut text would name.
  const ReadOutcome outcome = ::GetInfo(named ? text.c_str() : nullptr, noMenu, randomPlay);
  rows_.EnableDiscControls(outcome == FolderRead);
  rows_.ShowRows();
}

const char* MyDialog::CollectForExecute(void* self) {
  MyDialog* dialog = static_cast<MyDialog*>(self);
  dialog->rows_.ReadRowsBack();
  if (!dialog->ReadEditFolderBox(&dialog->folderText_)) return nullptr;
  return dialog->folderText_.c_str();
}

void MyDialog::ExecuteCommand() {
  if (Busy) return;
  Execute(&MyDialog::CollectForExecute, this);
}

bool MyDialog::CanClose() {
  std::string text;
  ReadEditFolderBox(&text, true);
  if (Busy) return false;
  if (Disc.TitleSetCount > 0 && Disc.TitleCount > 0) {
    return platform::Ask(platform::Question::kQuit, "終了しますか？");
  }
  return true;
}

void MyDialog::ExitCommand() {
  if (Busy) return;
  CloseWindow(IDC_EXIT);
}

void MyDialog::ShowHelp() {
  char path[kPathCapacity];
  // A program folder too long for the name leaves help without a file to open.
  const int n = std::snprintf(path, sizeof path, "%sREADME.HTM", ProgramFolder);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return;
  char16_t wide[kPathCapacity];
  if (!platform::SjisToUtf16(path, wide, kPathCapacity)) return;
  ShellExecuteW(hwnd_, nullptr, reinterpret_cast<const wchar_t*>(wide), nullptr, nullptr, SW_SHOWNORMAL);
}

void MyDialog::ShowAbout() {
  if (Busy) return;
  AboutDialog about(this);
  about.RunModal();
}

void MyDialog::ShowTitleInfo() {
  if (Busy) return;
  TitleInfDialog info(this);
  info.RunModal();
}

void MyDialog::BrowseFolder() {
  if (Busy) return;
  std::string text;
  if (!ReadEditFolderBox(&text)) return;
  DstPathSelectDialog select(this);
  std::memcpy(select.path, Disc.EditFolderText, sizeof select.path);
  const INT_PTR result = select.RunModal();
  if (result != IDOK && result != DstPathSelectDialog::kGetInfoResult) return;
  std::memcpy(Disc.EditFolderText, select.path, sizeof Disc.EditFolderText);
  ShowEditFolder();
  if (result == DstPathSelectDialog::kGetInfoResult) GetInfo();
}

void MyDialog::LoadProject() {
  if (Busy) return;
  winfw::TOpenSaveDialog::TData data = ProjectDialogData(false);
  MyFileOpenDialog open(this, data);
  if (open.Execute() != IDOK || !LoadProjectFile(data.fileName.c_str())) return;
  rows_.EnableDiscControls(Disc.TitleSetCount > 0 && Disc.TitleCount > 0);
  ShowEditFolder();
  rows_.ShowRows();
}

void MyDialog::SaveProject() {
  if (Busy) return;
  winfw::TOpenSaveDialog::TData data = ProjectDialogData(true);
  MyFileSaveDialog save(this, data);
  if (save.Execute() != IDOK) return;
  // The project holds what the dialog shows, not what was last read back.
  rows_.ReadRowsBack();
  std::string text;
  if (!ReadEditFolderBox(&text)) return;
  SaveProjectFile(data.fileName.c_str());
}
