#pragma once
// User-interface support for tests that runs against the simulated
// interface and, under Wine, against real windows: a progress bar inside a
// window that stands for the setup dialog, and an answerer that records and
// answers the message boxes the code under test shows.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace testing_support {

// A progress bar (range 0 to 1000, step 1, position 0) inside a dialog
// window; both are destroyed with the object.
class TestProgressBar {
 public:
  TestProgressBar();
  ~TestProgressBar();
  platform::ProgressBar& Bar() { return bar_; }
  platform::WindowHandle Dialog() const { return dialog_; }
  // Creates a bar with another range and step (for the control's own tests).
  void Reset(int minimum, int maximum, int step);

 private:
  platform::ProgressBar bar_;
  platform::WindowHandle dialog_ = nullptr;
};

struct ShownBox {
  platform::WindowHandle owner = nullptr;
  std::string text;
  std::string caption;
  unsigned type = 0;  // buttons and icon (under Wine read off the box)
};

// Answers every message box of this process with `answer` (by default the
// first button) and records it. Under Wine a thread watches for the boxes;
// `answer` runs on that thread.
class BoxAnswerer {
 public:
  using Answer = std::function<int(const ShownBox& box, int index)>;
  explicit BoxAnswerer(Answer answer = nullptr);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  std::vector<ShownBox> Boxes() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace testing_support
