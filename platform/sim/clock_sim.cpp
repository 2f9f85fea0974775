#include "platform/clock.h"
#include "platform/sim/sim_clock.h"

namespace platform {
namespace sim {
SimClock& SimClock::Get() {
  static SimClock clock;
  return clock;
}
}  // namespace sim

LocalTime LocalNow() { return sim::SimClock::Get().Now(); }

}  // namespace platform
