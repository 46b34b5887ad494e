#include "winfw/dialog.h"

namespace winfw {

Dialog::~Dialog() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    if (!modal_) DestroyWindow(hwnd_);
  }
}

HWND Dialog::CreateModeless() {
  modal_ = false;
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                            parent_ != nullptr ? parent_->Handle() : nullptr, Proc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal() {
  modal_ = true;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                         parent_ != nullptr ? parent_->Handle() : nullptr, Proc,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::CloseWindow(int result) {
  if (hwnd_ == nullptr || !CanClose()) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(l);
    SetWindowLongPtrW(hwnd, DWLP_USER, l);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  try {
    return self->OnMessage(message, w, l);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR Dialog::OnMessage(UINT message, WPARAM w, LPARAM l) {
  INT_PTR result = 0;
  switch (message) {
    case WM_INITDIALOG:
      SetupWindow();
      return TRUE;
    case WM_COMMAND: {
      const int code = HIWORD(w);
      const int id = LOWORD(w);
      if (Dispatch(code, id)) return TRUE;
      if ((id == IDOK || id == IDCANCEL) && code == BN_CLICKED) {
        CloseWindow(id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      CloseWindow(IDCANCEL);
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
      if (HBRUSH brush = ControlColour(message, reinterpret_cast<HDC>(w))) {
        return reinterpret_cast<INT_PTR>(brush);
      }
      return FALSE;
    case WM_DESTROY:
      CleanupWindow();
      return FALSE;
    case WM_NCDESTROY: {
      HWND parent = GetParent(hwnd_);
      const bool child = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) != 0;
      hwnd_ = nullptr;
      if (!modal_ && child && parent != nullptr) PostMessageW(parent, kClientClosed, 0, 0);
      return FALSE;
    }
    default:
      if (HandleMessage(message, w, l, &result)) {
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
  }
}

}  // namespace winfw
