#include "app/shell.h"

#include <cstring>

#include "app/frame.h"
#include "app/main_dialog.h"
#include "disc/disc_state.h"
#include "persist/history_file.h"
#include "persist/program_paths.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "winfw/message_box.h"

void FindProgramPaths() {
  wchar_t wide[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH);
  char path[kPathCapacity] = {};
  // A name code page 932 cannot spell leaves both paths empty: no history
  // file rather than one named after some other file.
  if (length == 0 || length >= MAX_PATH ||
      !platform::Utf16ToSjis(reinterpret_cast<const char16_t*>(wide), path, sizeof path)) {
    path[0] = '\0';
  }
  SetProgramPaths(path);
}

TMyApp::TMyApp() = default;
TMyApp::~TMyApp() = default;

void TMyApp::InitMainWindow() {
  FindProgramPaths();
  std::memcpy(Disc.EditFolderText, ProgramFolder, sizeof Disc.EditFolderText);
  LoadHistory();
  dialog_ = std::make_unique<MyDialog>();
  winfw::InstallMessageBox(dialog_.get());
  frame_ = std::make_unique<MyFrameWindow>(dialog_.get());
  frame_->x = (GetSystemMetrics(SM_CXSCREEN) - (2 * GetSystemMetrics(SM_CXFRAME) + 740)) / 2;
  frame_->y = (GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) -
               (2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) + 500)) /
              2;
  frame_->style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
  frame_->AttachMenu(IDM_MAIN);
  SetMainWindow(frame_.get());
}
