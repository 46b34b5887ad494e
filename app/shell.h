// Start-up and the application object: the program's own folder and history
// file, the main window (frame, logo, main dialog) and the values that live
// for the whole run.
#pragma once

#include <memory>

#include "winfw/application.h"

constexpr char kWindowCaption[] = "Reelwrite Ver 1.40  (Halyard)";

class MyDialog;
class MyFrameWindow;

// Sets ProgramFolder and HistoryPath from the program file's path.
void FindProgramPaths();

class TMyApp : public winfw::Application {
 public:
  TMyApp();
  ~TMyApp() override;
  MyDialog* Dialog() const { return dialog_.get(); }

 protected:
  void InitMainWindow() override;

 private:
  std::unique_ptr<MyDialog> dialog_;
  std::unique_ptr<MyFrameWindow> frame_;
};
