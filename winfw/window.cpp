#include "winfw/window.h"

namespace winfw {

std::wstring Wide(const char* utf8) {
  std::wstring out;
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (needed <= 1) return out;
  out.resize(needed);
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], needed);
  out.resize(needed - 1);
  return out;
}

std::wstring Window::Text() const {
  std::wstring text(GetWindowTextLengthW(hwnd_) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd_, &text[0], static_cast<int>(text.size())));
  return text;
}

RECT Window::WindowRect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

}  // namespace winfw
