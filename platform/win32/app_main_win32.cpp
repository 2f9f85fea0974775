// The program's entry point: runs the application object's start routine.
// The process-wide objects (the application object first) are constructed
// before it is called.
#include <windows.h>

#include "platform/dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::Application* app = platform::Application::Current();
  return app ? app->Run() : 0;
}
