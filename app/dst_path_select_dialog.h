// The folder selection dialog: browses drives and folders for the edit
// folder. It reads directory listings and drive information only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/dialog_colours.h"
#include "disc/disc_state.h"
#include "winfw/controls.h"
#include "winfw/dialog.h"

class DstPathSelectDialog : public winfw::Dialog {
 public:
  explicit DstPathSelectDialog(const winfw::Window* parent);

  // In: the folder to start from (Shift-JIS). Out, after 選択 (1) or
  // 情報取得 (105): the folder shown, ending in a backslash.
  char path[kPathCapacity] = {};

  // Handlers of the response table.
  void Choose() { Finish(IDOK); }
  void ChooseAndGetInfo() { Finish(kGetInfoResult); }
  void GoToRoot();
  void EnterFolder();
  void ChangeDrive();

  static constexpr int kGetInfoResult = 105;

 protected:
  void SetupWindow() override;
  bool Dispatch(int code, int id) override;
  HBRUSH ControlColour(UINT message, HDC dc) override { return colours_.Answer(message, dc); }

 private:
  // Lists `folder` (the program's drive root when empty) and makes it the
  // folder shown.
  void List(const char* folder);
  // The folder shown, short names spelled out, its own name always in sight.
  void ShowPathLine();
  void Finish(int result);

  // The folder shown: the navigation works on these bytes, not on the
  // path line's text, so that no name goes through a conversion and back.
  char current_[kPathCapacity] = {};
  // The folder list's names as found (a name without a Shift-JIS spelling
  // as its short name), by item data (the list sorts itself).
  std::vector<std::string> names_;
  winfw::TStatic pathLine_;
  winfw::TListBox folders_;
  winfw::TListBox drives_;
  DialogColours colours_;
};
