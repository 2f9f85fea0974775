// The general window and drawing operations over plain Win32.
#include <windows.h>
// The functions of these names here take narrow text; keep the API's
// character-set macros out of their way.
#undef CreateFont
#undef GetWindowText
#undef SetWindowText

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/win32/wide.h"
#include "platform/window.h"

namespace platform {

namespace {
HWND W(WindowHandle window) { return static_cast<HWND>(window); }
}  // namespace

// --- Drawing ----------------------------------------------------------------

GdiObject CreateSolidBrush(Color color) { return ::CreateSolidBrush(color); }

GdiObject CreateFont(int height, int width, int escapement, int orientation, int weight,
                     bool italic, bool underline, bool strikeOut, unsigned charSet,
                     unsigned outPrecision, unsigned clipPrecision, unsigned quality,
                     unsigned pitchAndFamily, const char* face) {
  // The face by its Unicode name ("宋体" is SimSun on every system).
  return ::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                       strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily,
                       face ? WideName(face).c_str() : nullptr);
}

bool DeleteObject(GdiObject object) {
  return object && ::DeleteObject(static_cast<HGDIOBJ>(object));
}

GdiObject SelectObject(DrawContext dc, GdiObject object) {
  return ::SelectObject(static_cast<HDC>(dc), static_cast<HGDIOBJ>(object));
}

Color SetTextColor(DrawContext dc, Color color) {
  return ::SetTextColor(static_cast<HDC>(dc), color);
}

int SetBkMode(DrawContext dc, int mode) { return ::SetBkMode(static_cast<HDC>(dc), mode); }

IconHandle LoadProgramIcon(int resourceId) {
  return ::LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
}

// --- Windows ----------------------------------------------------------------

bool EnableWindow(WindowHandle window, bool enable) {
  return ::EnableWindow(W(window), enable ? TRUE : FALSE) != 0;
}
bool IsWindowEnabled(WindowHandle window) { return ::IsWindowEnabled(W(window)) != 0; }
bool ShowWindow(WindowHandle window, int command) { return ::ShowWindow(W(window), command) != 0; }
bool IsWindowVisible(WindowHandle window) { return ::IsWindowVisible(W(window)) != 0; }
int GetDlgCtrlID(WindowHandle window) { return ::GetDlgCtrlID(W(window)); }
WindowHandle GetDlgItem(WindowHandle dialog, int id) { return ::GetDlgItem(W(dialog), id); }

std::string GetWindowText(WindowHandle window) {
  wchar_t buffer[kPathBuffer] = {};
  const int n = ::GetWindowTextW(W(window), buffer, kPathBuffer);
  std::string text = FromWide(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
  // At most 259 bytes, as the narrow call gives, ending on a whole character.
  std::size_t keep = 0;
  while (keep < text.size() && keep + CharLength(text, keep) < kPathBuffer)
    keep += CharLength(text, keep);
  text.resize(keep);
  return text;
}

void SetWindowText(WindowHandle window, const std::string& text) {
  ::SetWindowTextW(W(window), Shown(text).c_str());
}

void SetFocus(WindowHandle window) { ::SetFocus(W(window)); }
WindowHandle GetFocus() { return ::GetFocus(); }

void SetWindowIcon(WindowHandle window, int which, IconHandle icon) {
  SendMessageW(W(window), WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
}

Rect WindowRect(WindowHandle window) {
  RECT r{};
  GetWindowRect(W(window), &r);
  return {r.left, r.top, r.right, r.bottom};
}

Rect ScreenToClientRect(WindowHandle window, Rect rect) {
  POINT topLeft{rect.left, rect.top}, bottomRight{rect.right, rect.bottom};
  ScreenToClient(W(window), &topLeft);
  ScreenToClient(W(window), &bottomRight);
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

WindowHandle CreateChildWindow(std::uint32_t exStyle, const char* className, const char* text,
                               std::uint32_t style, const Rect& rect, WindowHandle parent, int id) {
  HWND child = CreateWindowExW(exStyle, WideName(className).c_str(), WideName(text ? text : "").c_str(),
                               style, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, W(parent), nullptr, GetModuleHandleW(nullptr),
                               nullptr);
  if (child) SetWindowLongW(child, GWL_ID, id);
  return child;
}

void CopyWindowFont(WindowHandle from, WindowHandle to) {
  const LRESULT font = SendMessageW(W(from), WM_GETFONT, 0, 0);
  SendMessageW(W(to), WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

void EndDialog(WindowHandle dialog, int result) { ::EndDialog(W(dialog), result); }

bool IsChildWindow(WindowHandle window) {
  return window && (GetWindowLongW(W(window), GWL_STYLE) & WS_CHILD) != 0;
}

WindowHandle LastActivePopup(WindowHandle window) { return GetLastActivePopup(W(window)); }

int GetButtonCheck(WindowHandle button) {
  return static_cast<int>(SendMessageW(W(button), BM_GETCHECK, 0, 0));
}

void SetButtonCheck(WindowHandle button, int check) {
  SendMessageW(W(button), BM_SETCHECK, static_cast<WPARAM>(check), 0);
}

}  // namespace platform
