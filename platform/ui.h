#pragma once
// User-interface operations shared by the dialogs and the copy operations:
// message boxes and the progress bar control. The dialog framework itself
// lives beside this header.
#include <exception>
#include <string>

namespace platform {

using WindowHandle = void*;  // HWND, or the simulated window

// MessageBoxW types and results, numbered as Windows numbers them.
enum MessageBoxType : unsigned {
  kMbOk = 0x00,
  kMbOkCancel = 0x01,
  kMbAbortRetryIgnore = 0x02,
  kMbYesNo = 0x04,
  kMbIconStop = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
  kMbIconInformation = 0x40,
};
enum MessageBoxResult : int {
  kIdOk = 1,
  kIdCancel = 2,
  kIdAbort = 3,
  kIdRetry = 4,
  kIdIgnore = 5,
  kIdYes = 6,
  kIdNo = 7,
};

// MessageBoxW(owner, text, caption, type): modal; returns the button pressed.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type);

// The window that owns `window` (GetParent), or none.
WindowHandle ParentOf(WindowHandle window);

// The active window of this thread (GetActiveWindow): while a modal dialog
// runs, the dialog or the box on top of it.
WindowHandle ActiveWindow();

// Whether a window of this process can be seen: its window station is
// visible (GetProcessWindowStation, GetUserObjectInformationW with UOI_FLAGS,
// WSF_VISIBLE). A service's is not. True where the question cannot be
// asked.
bool InteractiveDesktop();

// Raised inside a dialog handler for an invalid argument (E_INVALIDARG). The
// dialog framework ends the handler there, shows the system's message text
// for E_INVALIDARG in a box with a stop icon captioned with the application
// name, and keeps the dialog running.
class InvalidArgumentError : public std::exception {
 public:
  const char* what() const noexcept override { return "E_INVALIDARG"; }
};

// A progress bar control ("msctls_progress32") of a dialog; not owned.
class ProgressBar {
 public:
  void Attach(WindowHandle window) { window_ = window; }
  WindowHandle Handle() const { return window_; }
  // PBM_SETRANGE with the low word the minimum and the high word the maximum.
  void SetRange(int minimum, int maximum);
  // PBM_SETSTEP.
  void SetStep(int step);
  // PBM_SETPOS.
  void SetPos(int position);
  // PBM_STEPIT: adds the step; past the maximum it starts again from the
  // minimum.
  void StepIt();
  // PBM_GETPOS.
  int GetPos() const;

 private:
  WindowHandle window_ = nullptr;
};

}  // namespace platform
