// The title information list: one line per title of the disc as read.
#pragma once

#include <windows.h>

#include "app/dialog_colours.h"
#include "winfw/controls.h"
#include "winfw/dialog.h"

class TitleInfDialog : public winfw::Dialog {
 public:
  explicit TitleInfDialog(const winfw::Window* parent);

 protected:
  void SetupWindow() override;
  HBRUSH ControlColour(UINT message, HDC dc) override { return colours_.Answer(message, dc); }

 private:
  winfw::TListBox list_;
  DialogColours colours_;
};
