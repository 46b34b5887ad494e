// The main dialog: the program's one working window, the client of the
// frame. It routes every menu command and button to one handler, decides
// whether the program may close, and holds the title rows.
#pragma once

#include <string>

#include "app/dialog_colours.h"
#include "app/title_rows.h"
#include "winfw/controls.h"
#include "winfw/dialog.h"

class MyDialog : public winfw::Dialog {
 public:
  MyDialog();

  bool CommandEnabled(int id) override;

  // Handlers of the routing table.
  void GetInfo();
  void ExecuteCommand();
  void ExitCommand();
  void ShowHelp();
  void ShowAbout();
  void ShowTitleInfo();
  void BrowseFolder();
  void LoadProject();
  void SaveProject();
  void PageUp() { rows_.PageUp(); }
  void PageDown() { rows_.PageDown(); }
  void ApplyBatchPreset() { rows_.ApplyBatchPreset(); }
  void UpdateRowEnabling() { rows_.UpdateRowEnabling(); }

 protected:
  void SetupWindow() override;
  bool CanClose() override;  // ConfirmQuit
  bool Dispatch(int code, int id) override;
  HBRUSH ControlColour(UINT message, HDC dc) override { return colours_.Answer(message, dc); }

 private:
  // The edit box as Shift-JIS into `text`, and into the edit-folder text cut
  // to 258 bytes on a character boundary; a path without a Shift-JIS
  // spelling as its short (8.3) path. A path that has neither is reported
  // (unless quiet) and gives false, leaving both as they were.
  bool ReadEditFolderBox(std::string* text, bool quiet = false);
  // The edit-folder text in the edit box, short names spelled out.
  void ShowEditFolder();
  static const char* CollectForExecute(void* self);

  DialogColours colours_;
  winfw::TEdit editFolder_;
  TitleRows rows_;
  std::string folderText_;
};
