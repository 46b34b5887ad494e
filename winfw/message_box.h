// The program's message boxes: the engine's messages (UTF-8 text and
// caption, a Windows style number) shown as real boxes owned by a window.
#pragma once

#include "winfw/window.h"

namespace winfw {

// From now on platform::ShowMessage shows a message box owned by `owner`
// (or by the active window while `owner` has no window).
void InstallMessageBox(const Window* owner);

}  // namespace winfw
