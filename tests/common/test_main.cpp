// Entry point of every test program. The installer's texts are GBK byte
// strings, so a run on a system with another ANSI code page proves nothing:
// refuse to run there. Against the simulation every test starts from a
// fresh simulated machine.
#include <gtest/gtest.h>

#include <cstdio>

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
  if (platform::ActiveCodePage() != 936) {
    std::fprintf(stderr, "the ANSI code page is %u, not 936: run with LANG=zh_CN.UTF-8\n",
                 platform::ActiveCodePage());
    return 2;
  }
#if defined(TARNWELL_PLATFORM_SIM)
  testing::UnitTest::GetInstance()->listeners().Append(new ResetSimulation);
#endif
  return RUN_ALL_TESTS();
}
