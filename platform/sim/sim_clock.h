#pragma once
// The simulated clock behind platform/clock.h: it stands still at the time a
// test sets (2026-12-08 09:30:00 after a reset).
#include "platform/clock.h"

namespace platform::sim {

class SimClock {
 public:
  static SimClock& Get();
  void Reset() { now_ = LocalTime{2026, 12, 8, 9, 30, 0}; }
  void Set(const LocalTime& now) { now_ = now; }
  const LocalTime& Now() const { return now_; }

 private:
  SimClock() { Reset(); }
  LocalTime now_;
};

}  // namespace platform::sim
