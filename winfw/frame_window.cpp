#include "winfw/frame_window.h"

namespace winfw {

FrameWindow::FrameWindow(const char* captionUtf8, Dialog* client)
    : caption_(Wide(captionUtf8)), client_(client) {
  client_->SetParent(this);
}

FrameWindow::~FrameWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool FrameWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW attributes{};
  attributes.cbSize = sizeof attributes;
  attributes.style = CS_HREDRAW | CS_VREDRAW;
  attributes.lpfnWndProc = Proc;
  attributes.hInstance = instance;
  attributes.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  attributes.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  attributes.lpszClassName = ClassName();
  ClassAttributes(&attributes);
  WNDCLASSEXW existing{};
  if (!GetClassInfoExW(instance, attributes.lpszClassName, &existing) && RegisterClassExW(&attributes) == 0) {
    return false;
  }
  HMENU menu = menuId_ != 0 ? LoadMenuW(instance, MAKEINTRESOURCEW(menuId_)) : nullptr;
  CreateWindowExW(0, attributes.lpszClassName, caption_.c_str(), style, x, y, CW_USEDEFAULT, CW_USEDEFAULT,
                  nullptr, menu, instance, this);
  if (hwnd_ == nullptr) return false;
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  return true;
}

void FrameWindow::SetupWindow() {
  if (client_->CreateModeless() == nullptr) return;
  SetWindowPos(client_->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const RECT inner = client_->WindowRect();
  RECT outer = {0, 0, inner.right - inner.left, inner.bottom - inner.top};
  AdjustWindowRectEx(&outer, style, GetMenu(hwnd_) != nullptr, 0);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
}

void FrameWindow::EnableMenuItems(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;
    const bool on = client_->CommandEnabled(static_cast<int>(id));
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
}

LRESULT CALLBACK FrameWindow::Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  FrameWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, w, l);
  try {
    return self->OnMessage(message, w, l);
  } catch (...) {
    return DefWindowProcW(hwnd, message, w, l);
  }
}

LRESULT FrameWindow::OnMessage(UINT message, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (HandleMessage(message, w, l, &result)) return result;
  switch (message) {
    case WM_CREATE:
      SetupWindow();
      return 0;
    case WM_COMMAND:
      if (client_->Handle() != nullptr) return SendMessageW(client_->Handle(), WM_COMMAND, w, l);
      return 0;
    case WM_INITMENUPOPUP:
      EnableMenuItems(reinterpret_cast<HMENU>(w));
      return 0;
    case WM_SETFOCUS:
      if (client_->Handle() != nullptr) SetFocus(client_->Handle());
      return 0;
    case WM_CLOSE:
      if (client_->Handle() != nullptr && !client_->AskCanClose()) return 0;
      DestroyWindow(hwnd_);
      return 0;
    case kClientClosed:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      CleanupWindow();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, w, l);
    }
    default:
      return DefWindowProcW(hwnd_, message, w, l);
  }
}

}  // namespace winfw
