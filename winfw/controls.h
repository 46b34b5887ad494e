// Control objects: a control identifier inside a dialog, with the few
// operations the program's windows use. They look their window up on each
// call, so they can be made with the dialog object before its window exists.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "winfw/window.h"

namespace winfw {

class Control {
 public:
  Control(const Window* parent, int id) : parent_(parent), id_(id) {}
  int Id() const { return id_; }
  HWND Handle() const { return GetDlgItem(parent_->Handle(), id_); }
  void Enable(bool on) const { EnableWindow(Handle(), on ? TRUE : FALSE); }
  bool IsEnabled() const { return IsWindowEnabled(Handle()) != FALSE; }
  void SetText(const char* utf8) const { SetWindowTextW(Handle(), Wide(utf8).c_str()); }
  void SetWide(const std::wstring& text) const { SetWindowTextW(Handle(), text.c_str()); }
  // False (and the text emptied) when the bytes are not Shift-JIS.
  bool SetSjis(const char* sjis) const;
  std::wstring Text() const;

 protected:
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(Handle(), message, w, l);
  }

 private:
  const Window* parent_;
  int id_;
};

class TStatic : public Control {
  using Control::Control;
};

class TButton : public Control {
  using Control::Control;
};

class TCheckBox : public Control {
 public:
  using Control::Control;
  bool IsChecked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
  void SetChecked(bool on) const { Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
};

class TRadioButton : public TCheckBox {
  using TCheckBox::TCheckBox;
};

class TEdit : public Control {
 public:
  using Control::Control;
  // The whole text as Shift-JIS; false when a character has no code there
  // (never a '?' in its place, which would name another file).
  bool ReadSjis(std::string* out) const;
};

class TComboBox : public Control {
 public:
  using Control::Control;
  void AddString(const char* utf8) const;
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  // -1: no selection. Selecting an index outside the list clears it.
  int Selection() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void Select(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
  std::wstring ItemText(int index) const;
};

class TListBox : public Control {
 public:
  using Control::Control;
  // Where the entry went (a sorted list places it).
  int AddString(const char* utf8) const;
  int AddWide(const std::wstring& text) const {
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void SetItemData(int index, LPARAM data) const { Send(LB_SETITEMDATA, static_cast<WPARAM>(index), data); }
  LPARAM ItemData(int index) const { return Send(LB_GETITEMDATA, static_cast<WPARAM>(index)); }
  void Clear() const { Send(LB_RESETCONTENT); }
  int Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }
  int Selection() const { return static_cast<int>(Send(LB_GETCURSEL)); }
  void Select(int index) const { Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
  std::wstring ItemText(int index) const;
  void SetHorizontalExtent(int pixels) const { Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels)); }
};

}  // namespace winfw
