#include "platform/sim/sim_ui.h"

#include "platform/sim/sim_files.h"

namespace platform {
namespace sim {

SimUi& SimUi::Get() {
  static SimUi ui;
  return ui;
}

void SimUi::Reset() {
  windows_.clear();
  boxes_.clear();
  answerer_ = nullptr;
  active_ = nullptr;
  hasIcon_ = true;
  visibleStation_ = true;
  iconLoads_ = 0;
  gdi_.clear();
  stock_.clear();
  badDeletes_ = 0;
  user_ = nullptr;
  running_.clear();
  runs_.clear();
  focus_ = nullptr;
  browserUser_ = nullptr;
}

SimWindow* SimUi::NewWindow(int id, const std::string& className, SimWindow* parent) {
  windows_.push_back(std::make_unique<SimWindow>());
  SimWindow* w = windows_.back().get();
  w->id = id;
  w->className = className;
  w->parent = parent;
  return w;
}

int SimUi::Show(MessageBoxRecord box) {
  boxes_.push_back(box);
  if (answerer_) return answerer_(boxes_.back());
  switch (box.type & 0x0F) {
    case kMbAbortRetryIgnore: return kIdAbort;
    case kMbYesNo: return kIdYes;
    default: return kIdOk;
  }
}

}  // namespace sim

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  return sim::SimUi::Get().Show({owner, text ? text : "", caption ? caption : "", type});
}

WindowHandle ParentOf(WindowHandle window) {
  return window ? sim::AsSimWindow(window)->parent : nullptr;
}

WindowHandle ActiveWindow() { return sim::SimUi::Get().ActiveWindow(); }

bool InteractiveDesktop() { return sim::SimUi::Get().VisibleStation(); }

namespace {
sim::SimProgress* Bar(WindowHandle window) {
  sim::SimWindow* w = sim::AsSimWindow(window);
  return w ? &w->progress : nullptr;
}
void Show(sim::SimProgress* w, int pos) {
  w->pos = pos;
  w->positions.push_back(pos);
}
}  // namespace

void ProgressBar::SetRange(int minimum, int maximum) {
  if (auto* w = Bar(window_)) {
    w->rangeMin = minimum;
    w->rangeMax = maximum;
    if (w->pos < minimum || w->pos > maximum) Show(w, minimum);
  }
}

void ProgressBar::SetStep(int step) {
  if (auto* w = Bar(window_)) w->step = step;
}

void ProgressBar::SetPos(int position) {
  if (auto* w = Bar(window_)) {
    if (position < w->rangeMin) position = w->rangeMin;
    if (position > w->rangeMax) position = w->rangeMax;
    Show(w, position);
  }
}

void ProgressBar::StepIt() {
  if (auto* w = Bar(window_)) {
    int next = w->pos + w->step;
    // Past the maximum the control starts again from the minimum.
    if (next > w->rangeMax) next = w->rangeMin;
    Show(w, next);
  }
}

int ProgressBar::GetPos() const {
  const auto* w = Bar(window_);
  return w ? w->pos : 0;
}

}  // namespace platform
