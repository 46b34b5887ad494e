#include "app/about_dialog.h"

#include "app/shell.h"
#include "res/resource.h"

RECT PlaceOverOwner(const RECT& owner, const RECT& dialog) {
  const LONG width = dialog.right - dialog.left;
  const LONG height = dialog.bottom - dialog.top;
  LONG h = ((owner.right - owner.left) - width) / 2;
  if (h < 0) h = 0;
  LONG v = GetSystemMetrics(SM_CYCAPTION) + ((owner.bottom - owner.top) - height) / 3 +
           GetSystemMetrics(SM_CYMENU);
  if (v < 0) v = 0;
  RECT placed = {owner.left + h, owner.top + v, owner.left + h + width, owner.top + v + height};
  const LONG overRight = placed.right - GetSystemMetrics(SM_CXSCREEN);
  if (overRight > 0) {
    placed.left -= overRight;
    placed.right -= overRight;
  }
  const LONG overBottom = placed.bottom - GetSystemMetrics(SM_CYSCREEN);
  if (overBottom > 0) {
    placed.top -= overBottom;
    placed.bottom -= overBottom;
  }
  return placed;
}

AboutDialog::AboutDialog(const winfw::Window* parent)
    : winfw::Dialog(IDD_ABOUT, parent), versionLine_(this, IDC_VERSION_LINE), owner_(parent) {}

void AboutDialog::SetupWindow() {
  versionLine_.SetText(kWindowCaption);
  const RECT placed = PlaceOverOwner(owner_->WindowRect(), WindowRect());
  MoveWindow(hwnd_, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, FALSE);
}
