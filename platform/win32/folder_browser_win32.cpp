#include <windows.h>
#include <shlobj.h>

#include "platform/folder_browser.h"

namespace platform {
namespace {
HWND W(WindowHandle window) { return static_cast<HWND>(window); }

// The browser calls back with its own signature; the picker's callback
// receives the same arguments.
struct CallbackBridge {
  BrowseCallbackProc callback;
  std::intptr_t param;
};

int CALLBACK Bridge(HWND hwnd, UINT message, LPARAM lParam, LPARAM data) {
  auto* bridge = reinterpret_cast<CallbackBridge*>(data);
  return bridge->callback ? bridge->callback(hwnd, message, lParam, bridge->param) : 0;
}
}  // namespace

bool ShellAllocator::Acquire() {
  Release();
  IMalloc* shellMalloc = nullptr;
  if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc) return false;
  malloc_ = shellMalloc;
  return true;
}

void ShellAllocator::Free(ItemList items) {
  if (malloc_ && items) static_cast<IMalloc*>(malloc_)->Free(items);
}

void ShellAllocator::Release() {
  if (malloc_) static_cast<IMalloc*>(malloc_)->Release();
  malloc_ = nullptr;
}

ItemList BrowseForFolder(BrowseInfo& info) {
  CallbackBridge bridge{info.callback, info.param};
  BROWSEINFOA bi{};
  bi.hwndOwner = W(info.owner);
  bi.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(info.root);
  bi.pszDisplayName = info.displayName;
  bi.lpszTitle = info.title;
  bi.ulFlags = info.flags;
  bi.lpfn = &Bridge;
  bi.lParam = reinterpret_cast<LPARAM>(&bridge);
  ItemList items = SHBrowseForFolderA(&bi);
  info.image = bi.iImage;
  return items;
}

bool PathFromItemList(ItemList items, char (&path)[kPathBuffer]) {
  return items && SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(items), path) != FALSE;
}

void BrowserEnableOk(WindowHandle browser, bool enable) {
  SendMessageA(W(browser), BFFM_ENABLEOK, 0, enable ? 1 : 0);
}

void BrowserSetSelection(WindowHandle browser, const char* path) {
  SendMessageA(W(browser), BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
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
  HWND child = CreateWindowExA(exStyle, className, text, style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, W(parent), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (child) SetWindowLongA(child, GWL_ID, id);
  return child;
}

void CopyWindowFont(WindowHandle from, WindowHandle to) {
  const LRESULT font = SendMessageA(W(from), WM_GETFONT, 0, 0);
  SendMessageA(W(to), WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

void EndDialog(WindowHandle dialog, int result) { ::EndDialog(W(dialog), result); }

bool IsChildWindow(WindowHandle window) {
  return window && (GetWindowLongA(W(window), GWL_STYLE) & WS_CHILD) != 0;
}

WindowHandle LastActivePopup(WindowHandle window) { return GetLastActivePopup(W(window)); }

}  // namespace platform
