// Without an installed handler a message box is the system's own, owned by
// whichever window is active.
#include <windows.h>

#include <string>

#include "platform/default_message_box.h"
#include "platform/win32/wide_text.h"

namespace platform {

int DefaultMessageBox(const char* text, const char* caption, int style) {
  std::wstring wideText;
  std::wstring wideCaption;
  ToWide(CP_UTF8, text, &wideText);
  ToWide(CP_UTF8, caption, &wideCaption);
  return MessageBoxW(GetActiveWindow(), wideText.c_str(), wideCaption.c_str(), static_cast<UINT>(style));
}

}  // namespace platform
