#include "app/frame.h"

#include "app/logo_dialog.h"
#include "app/main_dialog.h"
#include "app/shell.h"
#include "author/execute.h"
#include "disc/disc_state.h"
#include "persist/history_file.h"
#include "res/resource.h"

MyFrameWindow::MyFrameWindow(MyDialog* client) : winfw::FrameWindow(kWindowCaption, client) {}

void MyFrameWindow::ClassAttributes(WNDCLASSEXW* attributes) {
  attributes->hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP));
}

void MyFrameWindow::SetupWindow() {
  Busy = 0;
  Disc.TitleCount = 0;
  Disc.TitleSetCount = 0;
  {
    LogoDialog logo(this);
    logo.RunModal();
  }
  winfw::FrameWindow::SetupWindow();
  fixed_ = WindowRect();
}

void MyFrameWindow::CleanupWindow() { SaveHistory(); }

bool MyFrameWindow::HandleMessage(UINT message, WPARAM, LPARAM l, LRESULT* result) {
  // The frame keeps the size it was set up with: it can be minimized, not
  // resized or maximized.
  if (message != WM_GETMINMAXINFO || fixed_.right <= 0) return false;
  MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(l);
  const POINT size = {fixed_.right - fixed_.left, fixed_.bottom - fixed_.top};
  info->ptMaxSize = size;
  info->ptMinTrackSize = size;
  info->ptMaxTrackSize = size;
  *result = 0;
  return true;
}
