#pragma once
// The shell's folder browser (SHBrowseForFolderW); the window operations
// that change the browser's window while it runs are platform/window.h.
#include <cstdint>

#include "platform/files.h"
#include "platform/ui.h"
#include "platform/window.h"

namespace platform {

using ItemList = void*;  // an item identifier list (PIDLIST_ABSOLUTE)

// The callback's events and the messages to the browser window.
constexpr unsigned kBffmInitialized = 1;
constexpr unsigned kBffmSelChanged = 2;
constexpr unsigned kBifReturnOnlyFsDirs = 0x0001;
constexpr unsigned kBifStatusText = 0x0004;
// Controls of the browser window.
constexpr int kBrowserOkId = 1;
constexpr int kBrowserCancelId = 2;
constexpr int kBrowserTreeId = 14145;
constexpr int kBrowserStatusId = 14147;

using BrowseCallbackProc = int (*)(WindowHandle browser, unsigned event, std::intptr_t eventData,
                                   std::intptr_t param);

// The fields of BROWSEINFOW, with GBK texts.
struct BrowseInfo {
  WindowHandle owner = nullptr;
  ItemList root = nullptr;
  char* displayName = nullptr;  // kPathBuffer bytes
  const char* title = nullptr;
  unsigned flags = 0;
  BrowseCallbackProc callback = nullptr;
  std::intptr_t param = 0;
  int image = 0;
};

// The shell's allocator (SHGetMalloc).
class ShellAllocator {
 public:
  ShellAllocator() = default;
  ~ShellAllocator() { Release(); }
  ShellAllocator(const ShellAllocator&) = delete;
  ShellAllocator& operator=(const ShellAllocator&) = delete;
  // SHGetMalloc: false when the shell gives none.
  bool Acquire();
  // IMalloc::Free of an item list.
  void Free(ItemList items);
  // IMalloc::Release; nothing when not acquired.
  void Release();

 private:
  void* malloc_ = nullptr;
};

// SHBrowseForFolderW: shows the browser modally; the chosen item list, or
// none.
ItemList BrowseForFolder(BrowseInfo& info);
// SHGetPathFromIDListW into kPathBuffer bytes: false for items without a path.
bool PathFromItemList(ItemList items, char (&path)[kPathBuffer]);
// BFFM_ENABLEOK and BFFM_SETSELECTIONW (the selection given as path text).
void BrowserEnableOk(WindowHandle browser, bool enable);
void BrowserSetSelection(WindowHandle browser, const char* path);

}  // namespace platform
