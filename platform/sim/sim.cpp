#include "platform/sim/sim.h"

#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_ui.h"

namespace platform::sim {

void ResetAll() {
  SimRegistry::Get().Reset();
  SimUi::Get().Reset();
  SimFiles::Get().Reset();
  SimProcesses::Get().Reset();
  SimShell::Get().Reset();
  SimClock::Get().Reset();
}

}  // namespace platform::sim
