#include "winfw/application.h"

namespace winfw {

bool Application::Start() {
  InitMainWindow();
  return mainWindow_ != nullptr && mainWindow_->Create();
}

void Application::Dispatch(MSG* message) {
  HWND dialog = mainWindow_ != nullptr ? mainWindow_->Client()->Handle() : nullptr;
  if (dialog != nullptr && IsDialogMessageW(dialog, message)) return;
  TranslateMessage(message);
  DispatchMessageW(message);
}

int Application::Run() {
  if (!Start()) return 0;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(&message);
  return 0;
}

void Application::DispatchWaiting() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_QUIT) Dispatch(&message);
  }
}

}  // namespace winfw
