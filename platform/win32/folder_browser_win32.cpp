#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "platform/folder_browser.h"
#include "platform/win32/wide.h"

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

namespace {
// A GBK text into a buffer of kPathBuffer bytes: false when it does not fit
// (the buffer is then left empty).
bool IntoBuffer(const std::string& text, char* buffer) {
  if (text.size() >= kPathBuffer) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}
}  // namespace

ItemList BrowseForFolder(BrowseInfo& info) {
  CallbackBridge bridge{info.callback, info.param};
  wchar_t displayName[MAX_PATH] = {};
  const Shown title(info.title ? info.title : "");
  BROWSEINFOW bi{};
  bi.hwndOwner = W(info.owner);
  bi.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(info.root);
  bi.pszDisplayName = displayName;
  bi.lpszTitle = info.title ? title.c_str() : nullptr;
  bi.ulFlags = info.flags;
  bi.lpfn = &Bridge;
  bi.lParam = reinterpret_cast<LPARAM>(&bridge);
  ItemList items = SHBrowseForFolderW(&bi);
  info.image = bi.iImage;
  if (info.displayName) IntoBuffer(FromWide(displayName), info.displayName);
  return items;
}

bool PathFromItemList(ItemList items, char (&path)[kPathBuffer]) {
  // A path with a character that GBK cannot hold comes back with
  // kUnnamedChar in its place: the install refuses it by its message.
  wchar_t wide[MAX_PATH] = {};
  if (!items || !SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(items), wide)) return false;
  return IntoBuffer(FromWide(wide), path);
}

void BrowserEnableOk(WindowHandle browser, bool enable) {
  SendMessageW(W(browser), BFFM_ENABLEOK, 0, enable ? 1 : 0);
}

void BrowserSetSelection(WindowHandle browser, const char* path) {
  const WideName name(path);
  if (name.ok())
    SendMessageW(W(browser), BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(name.c_str()));
}

}  // namespace platform
