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
const wchar_t kTargetProp[] = L"TarnwellWindowObject";
const wchar_t kProcProp[] = L"TarnwellWindowProc";

constexpr UINT kFirstCtlColor = WM_CTLCOLORMSGBOX;
constexpr UINT kLastCtlColor = WM_CTLCOLORSTATIC;

// Centres the window in the work area of the primary screen.
void CentreInWorkArea(HWND hwnd) {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return;
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
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    const bool focusFirst = target->OnInitDialog(hwnd);
    CentreInWorkArea(hwnd);
    return focusFirst ? TRUE : FALSE;
  }
  auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(hwnd, DWLP_USER));
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
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    target->OnWindowGone();
  }
  return FALSE;
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* target = static_cast<MessageTarget*>(GetPropW(hwnd, kTargetProp));
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kProcProp));
  if (!target || !previous) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_COMMAND && target->OnCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
  // The take-over ends with the window.
  if (message == WM_NCDESTROY) target->OnWindowGone();
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}
}  // namespace

int RunModalDialog(const DialogTemplate& layout, WindowHandle owner, MessageTarget& target) {
  RegisterCommonControls();
  return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr),
                                          MAKEINTRESOURCEW(layout.resourceId), W(owner),
                                          &DialogProc, reinterpret_cast<LPARAM>(&target)));
}

bool SubclassWindow(WindowHandle window, MessageTarget& target) {
  if (!window || GetPropW(W(window), kTargetProp)) return false;
  if (!SetPropW(W(window), kTargetProp, &target)) return false;
  const LONG_PTR previous =
      SetWindowLongPtrW(W(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
  SetPropW(W(window), kProcProp, reinterpret_cast<HANDLE>(previous));
  return true;
}

void UnsubclassWindow(WindowHandle window) {
  const HANDLE previous = GetPropW(W(window), kProcProp);
  if (!previous) return;
  SetWindowLongPtrW(W(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropW(W(window), kProcProp);
  RemovePropW(W(window), kTargetProp);
}

GdiObject DefaultControlColor(WindowHandle window, DrawContext dc, WindowHandle control,
                              int kind) {
  return reinterpret_cast<GdiObject>(DefWindowProcW(W(window),
                                                    kFirstCtlColor + static_cast<UINT>(kind),
                                                    reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(control)));
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace platform
