// platform::RunOnThreads: as many runs at once as asked and the processors
// allow (one on the simulation), every item of the shared counter taken
// exactly once, and every run ended when it returns.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/system.h"

namespace {

struct Shared {
  int expected = 0;  // runs that must be under way at once
  std::atomic<int> started{0}, ended{0}, next{0};
  std::atomic<int> taken[200] = {};
};

void Work(void* context) {
  Shared& s = *static_cast<Shared*>(context);
  ++s.started;
  // No item is taken before the expected runs are all under way, so that a
  // serial implementation cannot pass by luck.
  for (int waited = 0; s.started < s.expected && waited < 10000; ++waited) platform::Pause(1);
  for (int i; (i = s.next++) < 200;) ++s.taken[i];
  ++s.ended;
}

TEST(RunOnThreads, RunsAtOnceAndTakesEveryItemOnce) {
#if defined(TARNWELL_PLATFORM_SIM)
  const int processors = 1;
#else
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
#endif
  for (const int threads : {1, 2, 64}) {
    Shared s;
    s.expected = std::min({threads, processors, 8});
    platform::RunOnThreads(threads, Work, &s);
    EXPECT_EQ(s.started, s.expected) << threads;
    EXPECT_EQ(s.ended, s.expected) << threads;
    for (const std::atomic<int>& n : s.taken) EXPECT_EQ(n, 1) << threads;
  }
}

}  // namespace
