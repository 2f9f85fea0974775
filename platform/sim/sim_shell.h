#pragma once
// The simulated shell folder browser: a "#32770" window with the browser's
// controls (OK 1, Cancel 2, the folder tree 14145, the status line 14147),
// a selection that the scripted user changes, and item lists that must all
// be freed.
#include <memory>
#include <string>
#include <vector>

#include "platform/folder_browser.h"

namespace platform::sim {

struct SimItem {
  std::string path;  // empty with hasPath false: a virtual folder
  bool hasPath = true;
  bool freed = false;
};

struct BrowseRecord {
  WindowHandle owner = nullptr;
  std::string title;
  unsigned flags = 0;
  WindowHandle window = nullptr;  // the browser window while it ran
};

class SimShell {
 public:
  static SimShell& Get();
  void Reset();

  // SHGetMalloc fails from now on.
  void SetAllocatorFails(bool fails) { allocatorFails_ = fails; }
  bool AllocatorFails() const { return allocatorFails_; }
  int AllocatorsHeld() const { return allocatorsHeld_; }
  void AllocatorAcquired() { ++allocatorsHeld_; }
  void AllocatorReleased() { --allocatorsHeld_; }

  // The user selects a folder in the tree (a path, or a virtual folder
  // without one); the browser reports the change to the callback.
  bool Select(const std::string& path, bool hasPath = true);
  // The screen rectangle of the folder tree in the next browser.
  Rect TreeRect() const { return {20, 80, 300, 330}; }

  SimItem* NewItem(const std::string& path, bool hasPath);
  int LiveItems() const;
  const std::vector<BrowseRecord>& Browses() const { return browses_; }
  void RecordBrowse(BrowseRecord record) { browses_.push_back(std::move(record)); }

  // The browser that runs (none: null): its info and window, and the
  // current selection.
  void SetRunning(BrowseInfo* info, WindowHandle window) {
    running_ = info;
    runningWindow_ = window;
  }
  BrowseInfo* Running() const { return running_; }
  WindowHandle RunningWindow() const { return runningWindow_; }
  const std::string& Selection() const { return selection_; }
  bool SelectionHasPath() const { return selectionHasPath_; }

 private:
  BrowseInfo* running_ = nullptr;
  WindowHandle runningWindow_ = nullptr;
  std::string selection_;
  bool selectionHasPath_ = false;
  bool allocatorFails_ = false;
  int allocatorsHeld_ = 0;
  std::vector<std::unique_ptr<SimItem>> items_;
  std::vector<BrowseRecord> browses_;
};

}  // namespace platform::sim
