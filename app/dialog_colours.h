// The program's dialog colours: black text on light grey for buttons and
// labels, the grey behind the dialog itself, the system's answer elsewhere.
// Each dialog owns one, so each has brushes of its own.
#pragma once

#include <windows.h>

class DialogColours {
 public:
  DialogColours();
  ~DialogColours();
  DialogColours(const DialogColours&) = delete;
  DialogColours& operator=(const DialogColours&) = delete;

  // The answer to a WM_CTLCOLOR... request; null for the system's default.
  HBRUSH Answer(UINT message, HDC dc) const;

 private:
  HBRUSH dialog_;
  HBRUSH control_;
};
