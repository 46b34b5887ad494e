// A window object is its handle and nothing more: it never owns the window.
// Texts cross this edge as UTF-8 (the program's own literals) or Shift-JIS
// (paths and records, which the engine keeps as bytes); windows see UTF-16.
#pragma once

#include <windows.h>

#include <string>

namespace winfw {

// UTF-8 to UTF-16; invalid sequences come out as U+FFFD rather than nothing.
std::wstring Wide(const char* utf8);

class Window {
 public:
  HWND Handle() const { return hwnd_; }
  void SetText(const char* utf8) const { SetWindowTextW(hwnd_, Wide(utf8).c_str()); }
  std::wstring Text() const;
  void Enable(bool on) const { EnableWindow(hwnd_, on ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  RECT WindowRect() const;
  void SetTimer(UINT_PTR id, UINT milliseconds) const { ::SetTimer(hwnd_, id, milliseconds, nullptr); }
  void KillTimer(UINT_PTR id) const { ::KillTimer(hwnd_, id); }

 protected:
  HWND hwnd_ = nullptr;
};

}  // namespace winfw
