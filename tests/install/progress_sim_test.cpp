// The simulated progress bar past its maximum follows Windows: it starts
// again from the minimum (Wine 8 keeps the overshoot, so this is shown on
// the simulation only).
#include <gtest/gtest.h>

#include "common/test_ui.h"
#include "platform/sim/sim_ui.h"

namespace {

TEST(ProgressSim, StepItStartsAgainFromTheMinimum) {
  testing_support::TestProgressBar bar;
  bar.Reset(10, 13, 2);
  for (int i = 0; i < 4; ++i) bar.Bar().StepIt();
  const auto* w = platform::sim::AsSimWindow(bar.Bar().Handle());
  // The first bar's start, the new range, the new position, four steps.
  EXPECT_EQ(w->progress.positions, (std::vector<int>{0, 10, 10, 12, 10, 12, 10}));
}

}  // namespace
