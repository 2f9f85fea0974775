// The dialog framework over plain Win32.
#include <windows.h>
#include <commctrl.h>
// The framework's own functions of these names take narrow text; keep the
// API's character-set macros out of their way.
#undef CreateFont
#undef GetWindowText
#undef SetWindowText

#include "platform/dialog.h"
#include "platform/files.h"
#include "platform/win32/system_library.h"
#include "platform/window_access.h"

namespace platform {

namespace {
HWND W(WindowHandle window) { return static_cast<HWND>(window); }

const char kWindowProp[] = "TarnwellWindowObject";

constexpr UINT kFirstCtlColor = WM_CTLCOLORMSGBOX;
constexpr UINT kLastCtlColor = WM_CTLCOLORSTATIC;

// Centres the window in the work area of the primary screen.
void CentreInWorkArea(HWND hwnd) {
  RECT work{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return;
  RECT r{};
  GetWindowRect(hwnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int x = work.left + ((work.right - work.left) - w) / 2;
  int y = work.top + ((work.bottom - work.top) - h) / 2;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Registers the progress bar's class ("msctls_progress32") before a template
// that holds one is created. comctl32 is not one of the DLLs that Windows
// always maps from the system folder, so the program does not import it (the
// loader would look for an import in the program's own folder first on
// Windows 7 to 8.1): it is loaded here, from the system folder, and stays
// loaded, as the class's window procedure lives in it.
void RegisterCommonControls() {
  static bool registered = false;
  if (registered) return;
  HMODULE comctl = LoadSystemLibrary(L"comctl32.dll");
  if (!comctl) return;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  FARPROC p = GetProcAddress(comctl, "InitCommonControlsEx");
  InitFunction init = nullptr;
  static_assert(sizeof p == sizeof init, "function pointer sizes");
  CopyMemory(&init, &p, sizeof p);
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  registered = init && init(&controls);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    WindowAccess::SetHandle(*dialog, hwnd);
    const bool focusFirst = dialog->HandleInit();
    CentreInWorkArea(hwnd);
    return focusFirst ? TRUE : FALSE;
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!dialog) return FALSE;
  if (message == WM_COMMAND) {
    return dialog->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }
  if (message >= kFirstCtlColor && message <= kLastCtlColor) {
    GdiObject brush = dialog->OnColorRequest(reinterpret_cast<HDC>(wParam),
                                             reinterpret_cast<HWND>(lParam),
                                             static_cast<int>(message - kFirstCtlColor));
    return reinterpret_cast<INT_PTR>(brush);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    WindowAccess::SetHandle(*dialog, nullptr);
  }
  return FALSE;
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = static_cast<Window*>(GetPropA(hwnd, kWindowProp));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  auto previous = reinterpret_cast<WNDPROC>(WindowAccess::PreviousProc(*window));
  if (message == WM_COMMAND && window->OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
  if (message == WM_NCDESTROY) {
    // The take-over ends with the window.
    window->Unsubclass();
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
}  // namespace

int CheckBox::GetCheck() const {
  return static_cast<int>(SendMessageA(W(window_), BM_GETCHECK, 0, 0));
}

void CheckBox::SetCheck(int check) {
  SendMessageA(W(window_), BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

// --- Window objects -----------------------------------------------------------

bool Window::Subclass(WindowHandle window) {
  if (handle_ || !window) return false;
  if (!SetPropA(W(window), kWindowProp, this)) return false;
  handle_ = window;
  previousProc_ = reinterpret_cast<void*>(
      SetWindowLongPtrA(W(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  return true;
}

void Window::Unsubclass() {
  if (!previousProc_) return;
  SetWindowLongPtrA(W(handle_), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
  RemovePropA(W(handle_), kWindowProp);
  previousProc_ = nullptr;
  handle_ = nullptr;
}

GdiObject Window::DefaultControlColor(DrawContext dc, WindowHandle control, int kind) {
  return reinterpret_cast<GdiObject>(DefWindowProcA(W(handle_), kFirstCtlColor + kind,
                                                    reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(control)));
}

// --- Dialog ----------------------------------------------------------------

int Dialog::DoModal() {
  RegisterCommonControls();
  ended_ = false;
  const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(layout_.resourceId),
                                    parent_ ? W(parent_->Handle()) : nullptr, &DialogProc,
                                    reinterpret_cast<LPARAM>(this));
  handle_ = nullptr;
  return static_cast<int>(r);
}

void Dialog::EndModal(int result) {
  ended_ = true;
  result_ = result;
  ::EndDialog(W(handle_), result);
}

// --- Application services ---------------------------------------------------

std::string InvalidArgumentText() {
  char buffer[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(E_INVALIDARG), 0, buffer,
                                 sizeof buffer, nullptr);
  return std::string(buffer, n);
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace platform
