// The program's entry point: runs the start routine that the process-wide
// objects set while they were constructed.
#include <windows.h>

#include "platform/system.h"

namespace {
int (*g_programStart)() = nullptr;
}  // namespace

namespace platform {
void SetProgramStart(int (*start)()) { g_programStart = start; }
}  // namespace platform

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return g_programStart ? g_programStart() : 0; }
