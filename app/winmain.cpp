// Program entry: the command line is not looked at; the exit code is 0.
#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TMyApp app;
  app.Run();
  return 0;
}
