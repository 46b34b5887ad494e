// The main window: a fixed-size frame around the main dialog, with the menu,
// the logo shown while it is set up, and the history written when it goes.
#pragma once

#include "winfw/frame_window.h"

class MyDialog;

class MyFrameWindow : public winfw::FrameWindow {
 public:
  explicit MyFrameWindow(MyDialog* client);

 protected:
  const wchar_t* ClassName() const override { return L"REELWRITE:MAIN"; }
  void ClassAttributes(WNDCLASSEXW* attributes) override;
  void SetupWindow() override;
  void CleanupWindow() override;
  bool HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) override;

 private:
  RECT fixed_ = {};
};
