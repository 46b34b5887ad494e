#include "winfw/message_box.h"

#include "platform/platform.h"

namespace winfw {
namespace {

int ShowBox(const char* text, const char* caption, int style, platform::Question, void* context) {
  const Window* owner = static_cast<const Window*>(context);
  HWND hwnd = owner != nullptr && owner->Handle() != nullptr ? owner->Handle() : GetActiveWindow();
  return MessageBoxW(hwnd, Wide(text).c_str(), Wide(caption).c_str(), static_cast<UINT>(style));
}

}  // namespace

void InstallMessageBox(const Window* owner) {
  platform::SetMessageBoxHandler(ShowBox, const_cast<Window*>(owner));
}

}  // namespace winfw
