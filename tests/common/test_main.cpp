// Entry point of every test program. A run on a system code page other than
// 936 happens only when it was asked for (TARNWELL_CODE_PAGE, set with the
// locale of tools/wine-run.sh): a run that lands on another code page by
// mistake is refused. Against the simulation every test starts from a fresh
// simulated machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/codepage.h"
#if defined(TARNWELL_PLATFORM_SIM)
#include "platform/sim/sim.h"
#endif

namespace {
#if defined(TARNWELL_PLATFORM_SIM)
class ResetSimulation : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { platform::sim::ResetAll(); }
};
#endif
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const char* asked = std::getenv("TARNWELL_CODE_PAGE");
  const unsigned expected = asked ? static_cast<unsigned>(std::strtoul(asked, nullptr, 10)) : 936;
  if (platform::ActiveCodePage() != expected) {
    std::fprintf(stderr, "the ANSI code page is %u, not %u: run with LANG=zh_CN.UTF-8\n",
                 platform::ActiveCodePage(), expected);
    return 2;
  }
#if defined(TARNWELL_PLATFORM_SIM)
  testing::UnitTest::GetInstance()->listeners().Append(new ResetSimulation);
#endif
  return RUN_ALL_TESTS();
}
