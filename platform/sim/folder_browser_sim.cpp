#include <algorithm>
#include <cstring>

#include "platform/dialog_box.h"
#include "platform/files.h"
#include "platform/folder_browser.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_ui.h"

namespace platform {

using sim::AsSimWindow;
using sim::SimShell;
using sim::SimUi;
using sim::SimWindow;

namespace sim {

SimShell& SimShell::Get() {
  static SimShell shell;
  return shell;
}

void SimShell::Reset() {
  allocatorFails_ = false;
  allocatorsHeld_ = 0;
  items_.clear();
  browses_.clear();
  running_ = nullptr;
  runningWindow_ = nullptr;
  selection_.clear();
  selectionHasPath_ = false;
}

SimItem* SimShell::NewItem(const std::string& path, bool hasPath) {
  items_.push_back(std::make_unique<SimItem>());
  items_.back()->path = path;
  items_.back()->hasPath = hasPath;
  return items_.back().get();
}

int SimShell::LiveItems() const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const auto& i) { return !i->freed; }));
}

bool SimShell::Select(const std::string& path, bool hasPath) {
  if (!running_ || !runningWindow_) return false;
  selection_ = path;
  selectionHasPath_ = hasPath;
  // The browser frees the item it reports once the callback returns.
  SimItem* item = NewItem(path, hasPath);
  if (running_->callback)
    running_->callback(runningWindow_, kBffmSelChanged, reinterpret_cast<std::intptr_t>(item),
                       running_->param);
  item->freed = true;
  return true;
}

}  // namespace sim

bool ShellAllocator::Acquire() {
  Release();
  if (SimShell::Get().AllocatorFails()) return false;
  SimShell::Get().AllocatorAcquired();
  malloc_ = &SimShell::Get();
  return true;
}

void ShellAllocator::Free(ItemList items) {
  if (malloc_ && items) static_cast<sim::SimItem*>(items)->freed = true;
}

void ShellAllocator::Release() {
  if (malloc_) SimShell::Get().AllocatorReleased();
  malloc_ = nullptr;
}

ItemList BrowseForFolder(BrowseInfo& info) {
  SimUi& ui = SimUi::Get();
  SimShell& shell = SimShell::Get();
  SimWindow* b = ui.NewWindow(0, "#32770", nullptr);
  b->text = "浏览文件夹";
  b->style = 0x80C80000;  // popup, caption, system menu
  b->x = 0;
  b->y = 0;
  b->font = &shell;  // the browser's own font
  auto child = [&](int id, const char* cls, std::uint32_t styleBits, Rect r) {
    SimWindow* c = ui.NewWindow(id, cls, b);
    c->style = 0x50000000 | styleBits;  // child, visible
    c->x = r.left;
    c->y = r.top;
    c->cx = r.right - r.left;
    c->cy = r.bottom - r.top;
    b->children.push_back(c);
  };
  const Rect tree = shell.TreeRect();
  child(kBrowserStatusId, "STATIC", 0, {20, 40, 300, 60});
  child(kBrowserTreeId, "SysTreeView32", style::kTabStop, tree);
  child(kBrowserOkId, "BUTTON", style::kTabStop | style::kBsDefPushButton, {120, 340, 200, 365});
  child(kBrowserCancelId, "BUTTON", style::kTabStop, {210, 340, 290, 365});

  // The browser's own procedure: OK ends with the selection, Cancel, Escape
  // and the close box end with none.
  b->modal.ownProc = [b](int id, int code) {
    if (code != kBnClicked) return;
    if (id == kBrowserOkId || id == kBrowserCancelId) {
      b->modal.ended = true;
      b->modal.result = id == kBrowserOkId ? 1 : 0;
    }
  };

  shell.RecordBrowse({info.owner, info.title ? info.title : "", info.flags, b});
  BrowseInfo* previousInfo = shell.Running();
  WindowHandle previousWindow = shell.RunningWindow();
  shell.SetRunning(&info, b);
  SimWindow* previousActive = ui.ActiveWindow();
  SimWindow* previousFocus = ui.Focus();
  ui.SetActiveWindow(b);
  ui.PushRunning(b);

  // The desktop is selected first, reported before the window is ready.
  shell.Select("", false);
  if (info.callback) info.callback(b, kBffmInitialized, 0, info.param);
  if (!b->modal.ended) {
    ui.SetFocus(GetDlgItem(b, kBrowserTreeId) ? AsSimWindow(GetDlgItem(b, kBrowserTreeId)) : nullptr);
    if (ui.BrowserUser()) {
      std::function<void()> user = ui.BrowserUser();
      user();
    }
  }

  ItemList result = nullptr;
  if (b->modal.ended && b->modal.result == 1 && shell.SelectionHasPath())
    result = shell.NewItem(shell.Selection(), true);

  // The window goes, and with it any take-over.
  ui.PopRunning();
  if (b->object) b->object->OnWindowGone();
  b->visible = false;
  b->destroyed = true;
  for (SimWindow* c : b->children) c->destroyed = true;
  shell.SetRunning(previousInfo, previousWindow);
  ui.SetActiveWindow(previousActive);
  ui.SetFocus(previousFocus);
  return result;
}

bool PathFromItemList(ItemList items, char (&path)[kPathBuffer]) {
  const auto* item = static_cast<const sim::SimItem*>(items);
  if (!item || !item->hasPath || item->path.size() >= sizeof path) return false;
  std::memcpy(path, item->path.c_str(), item->path.size() + 1);
  return true;
}

void BrowserEnableOk(WindowHandle browser, bool enable) {
  if (WindowHandle ok = GetDlgItem(browser, kBrowserOkId)) AsSimWindow(ok)->enabled = enable;
}

void BrowserSetSelection(WindowHandle browser, const char* path) {
  // The shell selects only a folder that exists.
  if (browser != SimShell::Get().RunningWindow() || !path) return;
  const std::uint32_t attributes = ReadAttributes(path);
  if (attributes == kInvalidAttributes || !(attributes & kAttrDirectory)) return;
  SimShell::Get().Select(path, true);
}

}  // namespace platform
