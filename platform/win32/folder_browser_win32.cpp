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

}  // namespace platform
