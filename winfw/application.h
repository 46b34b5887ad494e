// The application: builds its main window and runs the one message loop,
// which gives keyboard messages to the main window's dialog first so that
// Tab, Enter and Escape work there as in any dialog.
#pragma once

#include <windows.h>

#include "winfw/frame_window.h"

namespace winfw {

class Application {
 public:
  virtual ~Application() = default;
  // Start, then dispatch messages until the main window is gone. Returns 0.
  int Run();
  // Builds and creates the main window; false when it could not be created.
  bool Start();
  // Dispatches the messages already waiting, as the loop would; for tests.
  void DispatchWaiting();
  FrameWindow* MainWindow() const { return mainWindow_; }

 protected:
  // Constructs the main window object and names it with SetMainWindow.
  virtual void InitMainWindow() = 0;
  void SetMainWindow(FrameWindow* frame) { mainWindow_ = frame; }

 private:
  void Dispatch(MSG* message);

  FrameWindow* mainWindow_ = nullptr;
};

}  // namespace winfw
