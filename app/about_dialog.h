// The version information box, placed over the main dialog.
#pragma once

#include <windows.h>

#include "app/dialog_colours.h"
#include "winfw/controls.h"
#include "winfw/dialog.h"

// Where the box goes over its owner (screen pixels): centred across, a third
// of the way down below the owner's caption and menu, kept inside the
// screen's right and bottom edges.
RECT PlaceOverOwner(const RECT& owner, const RECT& dialog);

class AboutDialog : public winfw::Dialog {
 public:
  explicit AboutDialog(const winfw::Window* parent);

 protected:
  void SetupWindow() override;
  HBRUSH ControlColour(UINT message, HDC dc) override { return colours_.Answer(message, dc); }

 private:
  winfw::TStatic versionLine_;
  DialogColours colours_;
  const winfw::Window* owner_;
};
