#include <windows.h>
#include <commctrl.h>

#include "platform/ui.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {
HWND W(WindowHandle window) { return static_cast<HWND>(window); }
}  // namespace

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  return MessageBoxW(W(owner), Shown(text).c_str(), Shown(caption).c_str(), type);
}

WindowHandle ParentOf(WindowHandle window) { return GetParent(W(window)); }

WindowHandle ActiveWindow() { return GetActiveWindow(); }

bool InteractiveDesktop() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed))
    return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void ProgressBar::SetRange(int minimum, int maximum) {
  SendMessageW(W(window_), PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
}

void ProgressBar::SetStep(int step) { SendMessageW(W(window_), PBM_SETSTEP, step, 0); }

void ProgressBar::SetPos(int position) { SendMessageW(W(window_), PBM_SETPOS, position, 0); }

void ProgressBar::StepIt() { SendMessageW(W(window_), PBM_STEPIT, 0, 0); }

int ProgressBar::GetPos() const {
  return static_cast<int>(SendMessageW(W(window_), PBM_GETPOS, 0, 0));
}

}  // namespace platform
