// Dialogs from templates, modal or modeless. The object travels through the
// creation parameter into the window's user data; the window procedure hands
// every later message to it, and no C++ exception crosses into the system.
#pragma once

#include <windows.h>

#include <cstddef>

#include "winfw/window.h"

namespace winfw {

// One row of a window's response table: a command or control notification
// code and an identifier, and the member that handles it. Menu commands and
// button clicks both arrive with code 0.
template <class T>
struct Response {
  int code;
  int id;
  void (T::*handler)();
};

template <class T, std::size_t N>
bool Route(T* self, const Response<T> (&table)[N], int code, int id) {
  for (const Response<T>& row : table) {
    if (row.code == code && row.id == id) {
      (self->*row.handler)();
      return true;
    }
  }
  return false;
}

// Posted to a frame when its client window is gone.
constexpr UINT kClientClosed = WM_APP + 1;

class Dialog : public Window {
 public:
  Dialog(int templateId, const Window* parent) : templateId_(templateId), parent_(parent) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  void SetParent(const Window* parent) { parent_ = parent; }
  // Creates the window and returns it (null when the template is missing).
  HWND CreateModeless();
  // Runs the dialog until it closes; its result, or -1 when it could not start.
  INT_PTR RunModal();
  // Asks CanClose; when it agrees, a modal run ends with `result` and a
  // modeless window is destroyed.
  void CloseWindow(int result);
  bool AskCanClose() { return CanClose(); }
  // Whether a menu command is available, asked by the frame when its menu opens.
  virtual bool CommandEnabled(int /*id*/) { return true; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

 protected:
  virtual void SetupWindow() {}
  virtual void CleanupWindow() {}
  virtual bool CanClose() { return true; }
  // A command or notification; false when the dialog has no row for it.
  virtual bool Dispatch(int /*code*/, int /*id*/) { return false; }
  // The brush for a control-colour request (WM_CTLCOLOR...), or null for the
  // system's default answer.
  virtual HBRUSH ControlColour(UINT /*message*/, HDC /*dc*/) { return nullptr; }
  // Any other message; true when handled, with the procedure's result.
  virtual bool HandleMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR* /*result*/) { return false; }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  INT_PTR OnMessage(UINT message, WPARAM w, LPARAM l);

  int templateId_;
  const Window* parent_;
  bool modal_ = false;
};

}  // namespace winfw
