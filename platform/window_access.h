#pragma once
// The framework's window fields as its two implementations
// (platform/win32/dialog_win32.cpp, platform/sim/dialog_sim.cpp) set them:
// the handle while the window lives, and the procedure of a subclassed one.
#include "platform/dialog.h"

namespace platform {

struct WindowAccess {
  static void SetHandle(Window& w, WindowHandle h) { w.handle_ = h; }
  static void*& PreviousProc(Window& w) { return w.previousProc_; }
};

}  // namespace platform
