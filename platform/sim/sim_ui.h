#pragma once
// The simulated user interface: windows as plain records, and message boxes
// that are recorded and answered by the test.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace platform::sim {

struct SimWindow {
  int id = 0;              // control id
  std::string className;   // "msctls_progress32", "BUTTON", ...
  std::string text;
  SimWindow* parent = nullptr;
  bool visible = true;
  bool enabled = true;
  // Progress bar state, as the control keeps it.
  int rangeMin = 0, rangeMax = 100, step = 10, pos = 0;
  std::vector<int> positions;  // every position the bar showed, in order
};

struct MessageBoxRecord {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned type;
};

class SimUi {
 public:
  static SimUi& Get();
  void Reset();

  // A window owned by the simulation for as long as it is not reset.
  SimWindow* NewWindow(int id, const std::string& className, SimWindow* parent = nullptr);

  // Every message box shown since the last reset, in order.
  const std::vector<MessageBoxRecord>& Boxes() const { return boxes_; }
  // Answers the boxes; without an answerer every box gets its first button
  // (OK, Abort or Yes).
  void SetAnswerer(std::function<int(const MessageBoxRecord&)> answerer) {
    answerer_ = std::move(answerer);
  }
  int Show(MessageBoxRecord box);

  // What ActiveWindow() answers; the simulated dialogs set it while they run.
  void SetActiveWindow(SimWindow* window) { active_ = window; }
  SimWindow* ActiveWindow() const { return active_; }

 private:
  std::vector<std::unique_ptr<SimWindow>> windows_;
  std::vector<MessageBoxRecord> boxes_;
  std::function<int(const MessageBoxRecord&)> answerer_;
  SimWindow* active_ = nullptr;
};

inline SimWindow* AsSimWindow(WindowHandle handle) { return static_cast<SimWindow*>(handle); }

}  // namespace platform::sim
