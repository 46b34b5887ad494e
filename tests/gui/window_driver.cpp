// Drives a running Reelwrite.exe from outside, for the scripts that show it
// to a person (scripts/run, scripts/screenshots). Each step waits until the
// program has handled it; clicks are posted, so a step that opens a modal
// box does not block the driver.
//
//   window_driver.exe STEP...
//     text ID UTF8      set a control's text
//     click ID          a button click (or a menu command) in the main dialog
//     select ID INDEX   choose a combo box entry
//     ok CAPTION        press OK in the window with that caption (a message box)
//     no CAPTION        press No there (a question)
//     close CAPTION     close the window with that caption
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

// The window once it shows, or nullptr after `seconds`.
static HWND WaitFor(const wchar_t* windowClass, const wchar_t* caption, int seconds) {
  for (int tries = 0; tries < 10 * seconds; ++tries, Sleep(100)) {
    HWND hwnd = FindWindowW(windowClass, caption);
    if (hwnd != nullptr && IsWindowVisible(hwnd)) return hwnd;
  }
  return nullptr;
}

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  HWND frame = WaitFor(L"REELWRITE:MAIN", nullptr, 20), dialog = frame ? GetWindow(frame, GW_CHILD) : nullptr;
  if (dialog == nullptr) return std::fputs("window_driver: Reelwrite.exe is not running\n", stderr), 1;
  // After each step, until the program's thread has handled everything posted before.
  for (int i = 1; i < argc;
       SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr), Sleep(300), ++i) {
    const std::wstring step = argv[i];
    const int left = argc - 1 - i;  // arguments after the step
    if ((step == L"text" || step == L"select") && left >= 2) {
      const bool text = step == L"text";
      SendDlgItemMessageW(dialog, _wtoi(argv[i + 1]), text ? WM_SETTEXT : CB_SETCURSEL,
                          text ? 0 : _wtoi(argv[i + 2]), text ? LPARAM(argv[i + 2]) : 0);
      i += 2;
    } else if (step == L"click" && left >= 1) {
      const int id = _wtoi(argv[++i]);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
    } else if ((step == L"ok" || step == L"no" || step == L"close") && left >= 1) {
      HWND box = WaitFor(nullptr, argv[++i], 5);
      if (box == nullptr) return std::fprintf(stderr, "window_driver: no window captioned %ls\n", argv[i]), 1;
      PostMessageW(box, step == L"close" ? WM_CLOSE : WM_COMMAND, step == L"ok" ? IDOK : IDNO, 0);
    } else {
      return std::fprintf(stderr, "window_driver: cannot read step %ls\n", argv[i]), 2;
    }
  }
  return 0;
}
