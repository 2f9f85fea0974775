// Modal dialog boxes, window take-over and the message loop over plain
// Win32.
#include <windows.h>
#include <commctrl.h>

#include "platform/dialog_box.h"
#include "platform/win32/system_library.h"

namespace platform {

namespace {
HWND W(WindowHandle window) { return static_cast<HWND>(window); }

// The properties of a taken-over window: its object, and its own procedure.
const char kTargetProp[] = "TarnwellWindowObject";
const char kProcProp[] = "TarnwellWindowProc";

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
    auto* target = reinterpret_cast<MessageTarget*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    const bool focusFirst = target->OnInitDialog(hwnd);
    CentreInWorkArea(hwnd);
    return focusFirst ? TRUE : FALSE;
  }
  auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!target) return FALSE;
  if (message == WM_COMMAND) {
    return target->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }
  if (message >= kFirstCtlColor && message <= kLastCtlColor) {
    GdiObject brush = target->OnColorRequest(reinterpret_cast<HDC>(wParam),
                                             reinterpret_cast<HWND>(lParam),
                                             static_cast<int>(message - kFirstCtlColor));
    return reinterpret_cast<INT_PTR>(brush);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    target->OnWindowGone();
  }
  return FALSE;
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* target = static_cast<MessageTarget*>(GetPropA(hwnd, kTargetProp));
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProp));
  if (!target || !previous) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_COMMAND && target->OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
  // The take-over ends with the window.
  if (message == WM_NCDESTROY) target->OnWindowGone();
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}
}  // namespace

int RunModalDialog(const DialogTemplate& layout, WindowHandle owner, MessageTarget& target) {
  RegisterCommonControls();
  return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr),
                                          MAKEINTRESOURCEA(layout.resourceId), W(owner),
                                          &DialogProc, reinterpret_cast<LPARAM>(&target)));
}

bool SubclassWindow(WindowHandle window, MessageTarget& target) {
  if (!window || GetPropA(W(window), kTargetProp)) return false;
  if (!SetPropA(W(window), kTargetProp, &target)) return false;
  const LONG_PTR previous =
      SetWindowLongPtrA(W(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
  SetPropA(W(window), kProcProp, reinterpret_cast<HANDLE>(previous));
  return true;
}

void UnsubclassWindow(WindowHandle window) {
  const HANDLE previous = GetPropA(W(window), kProcProp);
  if (!previous) return;
  SetWindowLongPtrA(W(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropA(W(window), kProcProp);
  RemovePropA(W(window), kTargetProp);
}

GdiObject DefaultControlColor(WindowHandle window, DrawContext dc, WindowHandle control,
                              int kind) {
  return reinterpret_cast<GdiObject>(DefWindowProcA(W(window),
                                                    kFirstCtlColor + static_cast<UINT>(kind),
                                                    reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(control)));
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
