// What each platform shows when nobody has installed a message-box handler.
#pragma once

namespace platform {

int DefaultMessageBox(const char* text, const char* caption, int style);

}  // namespace platform
