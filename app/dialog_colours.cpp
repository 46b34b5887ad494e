#include "app/dialog_colours.h"

namespace {
constexpr COLORREF kGrey = RGB(192, 192, 192);
}

DialogColours::DialogColours() : dialog_(CreateSolidBrush(kGrey)), control_(CreateSolidBrush(kGrey)) {}

DialogColours::~DialogColours() {
  DeleteObject(dialog_);
  DeleteObject(control_);
}

HBRUSH DialogColours::Answer(UINT message, HDC dc) const {
  switch (message) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, kGrey);
      return control_;
    case WM_CTLCOLORDLG:
      return dialog_;
    default:
      return nullptr;
  }
}
