#include "winfw/file_dialog.h"

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace winfw {
namespace {

FileDialogHandler answerer = nullptr;
void* answererContext = nullptr;

}  // namespace

void SetFileDialogHandler(FileDialogHandler handler, void* context) {
  answerer = handler;
  answererContext = context;
}

int TOpenSaveDialog::Run(bool save) {
  if (answerer != nullptr) return answerer(save, &data_, answererContext);

  // The filter's bars become the terminators the dialog expects, and the
  // list ends in two.
  std::wstring filter = Wide(data_.filter.c_str());
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  std::wstring folder, extension, name;
  platform::WidePath(data_.initialFolder.c_str(), &folder);
  platform::WidePath(data_.defaultExtension.c_str(), &extension);
  platform::WidePath(data_.fileName.c_str(), &name);
  wchar_t file[MAX_PATH] = {};
  name.copy(file, MAX_PATH - 1);

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = parent_ != nullptr ? parent_->Handle() : nullptr;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(data_.filterIndex);
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = data_.flags;
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return IDCANCEL;

  std::string chosen;
  if (!platform::FromWide(platform::kShiftJisCodePage, file, wcslen(file), &chosen) ||
      chosen.size() >= MAX_PATH) {
    platform::ShowMessage("このファイル名は使用できません.\nShift-JIS で表せる文字だけの名前にしてください.",
                          "エラー", platform::kWarningBox);
    return IDCANCEL;
  }
  data_.fileName = chosen;
  return IDOK;
}

}  // namespace winfw
