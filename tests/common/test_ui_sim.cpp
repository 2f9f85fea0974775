#include "common/test_ui.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_template.h"

namespace testing_support {

using platform::sim::SimUi;

TestProgressBar::TestProgressBar() {
  platform::sim::SimWindow* dialog = SimUi::Get().NewWindow(kSetupDialogId, "#32770");
  dialog_ = dialog;
  bar_.Attach(SimUi::Get().NewWindow(kIdProgress, "msctls_progress32", dialog));
  Reset(0, 1000, 1);
}

TestProgressBar::~TestProgressBar() = default;

void TestProgressBar::Reset(int minimum, int maximum, int step) {
  bar_.SetRange(minimum, maximum);
  bar_.SetStep(step);
  bar_.SetPos(minimum);
}

struct BoxAnswerer::State {};

BoxAnswerer::BoxAnswerer(Answer answer) : state_(std::make_unique<State>()) {
  if (answer) {
    SimUi::Get().SetAnswerer([answer](const platform::sim::MessageBoxRecord& r) {
      const ShownBox box{r.owner, r.text, r.caption, r.type};
      return answer(box, static_cast<int>(SimUi::Get().Boxes().size()) - 1);
    });
  }
}

BoxAnswerer::~BoxAnswerer() { SimUi::Get().SetAnswerer(nullptr); }

std::vector<ShownBox> BoxAnswerer::Boxes() const {
  std::vector<ShownBox> out;
  for (const auto& r : SimUi::Get().Boxes()) out.push_back({r.owner, r.text, r.caption, r.type});
  return out;
}

}  // namespace testing_support
