// Without a window, a message box is one line on standard error. Nobody is
// there to answer, so a question is answered No: the careful choice.
#include <cstdio>

#include "platform/default_message_box.h"

namespace platform {

int DefaultMessageBox(const char* text, const char* caption, int style) {
  std::fputs(caption, stderr);
  std::fputs(": ", stderr);
  for (const char* p = text; *p != '\0'; ++p) {
    std::fputc(*p == '\n' || *p == '\r' ? ' ' : *p, stderr);
  }
  std::fputc('\n', stderr);
  int buttons = style & 0xF;
  const bool yesNo = buttons == 3 || buttons == 4;  // MB_YESNOCANCEL, MB_YESNO
  return yesNo ? 7 : 1;
}

}  // namespace platform
