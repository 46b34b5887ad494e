// A top-level window whose client is a modeless dialog: the frame sizes
// itself to the dialog, hands its menu commands to it, asks it whether each
// menu item is enabled and whether the program may close, and closes itself
// when the dialog is gone.
#pragma once

#include <windows.h>

#include "winfw/dialog.h"
#include "winfw/window.h"

namespace winfw {

class FrameWindow : public Window {
 public:
  FrameWindow(const char* captionUtf8, Dialog* client);
  virtual ~FrameWindow();
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Set before Create.
  DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  void AttachMenu(int menuId) { menuId_ = menuId; }

  // Registers the class, creates and shows the window; false when it could not.
  bool Create();
  Dialog* Client() const { return client_; }

 protected:
  virtual const wchar_t* ClassName() const { return L"winfw:frame"; }
  // The class's attributes, filled with the defaults before the call.
  virtual void ClassAttributes(WNDCLASSEXW* /*attributes*/) {}
  // Creates the client and fits the frame around it.
  virtual void SetupWindow();
  virtual void CleanupWindow() {}
  virtual bool HandleMessage(UINT /*message*/, WPARAM, LPARAM, LRESULT* /*result*/) { return false; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  LRESULT OnMessage(UINT message, WPARAM w, LPARAM l);
  void EnableMenuItems(HMENU menu);

  std::wstring caption_;
  Dialog* client_;
  int menuId_ = 0;
};

}  // namespace winfw
