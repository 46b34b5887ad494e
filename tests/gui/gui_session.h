// The real program's windows in this process: one TMyApp started for the
// whole run (the logo's two seconds once), driven with window messages,
// read back through the controls. Message boxes go to a MessageRecorder.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_dialog.h"
#include "app/shell.h"
#include "res/resource.h"

namespace gui {

// The running program; started on first use.
TMyApp& App();
HWND Frame();
HWND Dialog();
// Closes the running program (its frame's clean-up runs) and empties the
// disc state so that the next App() starts as a new process would.
void Restart();

// A click as the dialog receives it; reaches the handler whether or not the
// button is enabled, as a menu command or a keyboard shortcut can.
void Press(int id);
// A mouse click on a button: only an enabled button reacts, and a radio
// button checks itself before its notification.
void Click(int id);
void SetText(int id, const std::string& utf8);
void Select(int id, int index);
void SetCheck(int id, bool on);
// Get info on `folder` with both options off, whatever the test before left.
void GetInfoOn(const std::string& folder);
// The controls that need a disc read.
constexpr int kDiscControls[] = {IDC_NO_MENU, IDC_RANDOM_PLAY, IDC_TITLE_INFO, IDC_EXECUTE};
// Dispatches what is waiting, as the message loop would.
void Pump();

std::string Utf8(const std::wstring& wide);
// A control's text, in the main dialog or in `dialog`.
std::string Text(int id, HWND dialog = nullptr);
std::string ItemText(int id, int index);
bool Enabled(int id);
bool Checked(int id);
int Selection(int id);
// Whether the frame's menu shows the item enabled when it opens.
bool MenuItemEnabled(int command);

// A fresh copy of an authored disc ("sample", "seven") in a temporary
// folder, inside a folder named `parent` when given; its VIDEO_TS folder in
// the drive form the program takes, in UTF-8.
std::string CopyOfDisc(const char* layout, const std::wstring& parent = L"");
// The bytes of a file named in the drive form (UTF-8).
std::string FileBytes(const std::string& path);
// Runs reelwrite-cli.exe with `arguments`; its exit code.
int RunCli(const std::string& arguments);

}  // namespace gui
