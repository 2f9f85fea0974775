#pragma once
// General window operations by their Win32 names, and the drawing operations
// that control-colour requests use: the dialog framework's and the folder
// picker's, over plain Win32 (win32/) and over the simulated user interface
// (sim/). Dialog boxes and window procedures are platform/dialog_box.h.
#include <cstdint>
#include <string>

#include "platform/ui.h"

namespace platform {

// ---------------------------------------------------------------------------
// Drawing: colours, drawing contexts and GDI objects.

using Color = std::uint32_t;  // COLORREF: 0x00BBGGRR
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) {
  return static_cast<Color>(r | (g << 8) | (b << 16));
}
using DrawContext = void*;  // HDC
using GdiObject = void*;    // HBRUSH, HFONT
using IconHandle = void*;   // HICON

constexpr int kBkTransparent = 1;  // SetBkMode
constexpr int kBkOpaque = 2;

// CreateSolidBrush; DeleteObject releases it.
GdiObject CreateSolidBrush(Color color);
// CreateFontW with the arguments in the API's order.
GdiObject CreateFont(int height, int width, int escapement, int orientation, int weight,
                     bool italic, bool underline, bool strikeOut, unsigned charSet,
                     unsigned outPrecision, unsigned clipPrecision, unsigned quality,
                     unsigned pitchAndFamily, const char* face);
bool DeleteObject(GdiObject object);
// SelectObject: gives the object selected before.
GdiObject SelectObject(DrawContext dc, GdiObject object);
Color SetTextColor(DrawContext dc, Color color);
int SetBkMode(DrawContext dc, int mode);
// LoadIconW of an icon resource of this program; none when it is missing.
IconHandle LoadProgramIcon(int resourceId);

// ---------------------------------------------------------------------------
// Windows.

// Window operations by their Win32 names.
bool EnableWindow(WindowHandle window, bool enable);
bool IsWindowEnabled(WindowHandle window);
bool ShowWindow(WindowHandle window, int command);  // SW_HIDE 0, SW_SHOWNORMAL 1
bool IsWindowVisible(WindowHandle window);
int GetDlgCtrlID(WindowHandle window);
WindowHandle GetDlgItem(WindowHandle dialog, int id);
std::string GetWindowText(WindowHandle window);  // at most 259 bytes
void SetWindowText(WindowHandle window, const std::string& text);
void SetFocus(WindowHandle window);
WindowHandle GetFocus();
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kIconSmall = 0;
constexpr int kIconBig = 1;
// SendMessageW(window, WM_SETICON, which, icon).
void SetWindowIcon(WindowHandle window, int which, IconHandle icon);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// GetWindowRect: screen coordinates.
Rect WindowRect(WindowHandle window);
// ScreenToClient of both corners.
Rect ScreenToClientRect(WindowHandle window, Rect rect);
// CreateWindowExW of a child window, then SetWindowLongW(GWL_ID, id).
WindowHandle CreateChildWindow(std::uint32_t exStyle, const char* className, const char* text,
                               std::uint32_t style, const Rect& rect, WindowHandle parent, int id);
// WM_GETFONT from one window, WM_SETFONT (with redraw) to another.
void CopyWindowFont(WindowHandle from, WindowHandle to);
// EndDialog.
void EndDialog(WindowHandle dialog, int result);
// True when the window has the WS_CHILD style.
bool IsChildWindow(WindowHandle window);
// GetLastActivePopup.
WindowHandle LastActivePopup(WindowHandle window);
// SendMessageW with BM_GETCHECK and BM_SETCHECK.
int GetButtonCheck(WindowHandle button);
void SetButtonCheck(WindowHandle button, int check);

}  // namespace platform
