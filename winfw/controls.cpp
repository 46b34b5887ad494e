#include "winfw/controls.h"

#include "platform/win32/wide_text.h"

namespace winfw {

std::wstring Control::Text() const {
  HWND hwnd = Handle();
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size())));
  return text;
}

bool TEdit::ReadSjis(std::string* out) const {
  const std::wstring text = Text();
  return platform::FromWide(platform::kShiftJisCodePage, text.c_str(), text.size(), out);
}

bool Control::SetSjis(const char* sjis) const {
  std::wstring wide;
  const bool ok = platform::ToWide(platform::kShiftJisCodePage, sjis, &wide);
  SetWindowTextW(Handle(), ok ? wide.c_str() : L"");
  return ok;
}

void TComboBox::AddString(const char* utf8) const {
  Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(utf8).c_str()));
}

std::wstring TComboBox::ItemText(int index) const {
  const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int TListBox::AddString(const char* utf8) const { return AddWide(Wide(utf8)); }

std::wstring TListBox::ItemText(int index) const {
  const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length == LB_ERR) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace winfw
