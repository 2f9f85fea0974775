#include "platform/sim/sim.h"

#include "platform/log.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"

namespace platform::sim {

void ResetAll() {
  SimRegistry::Get().Reset();
  SimUi::Get().Reset();
  SimFiles::Get().Reset();
  SimProcesses::Get().Reset();
  SimShell::Get().Reset();
  SimSystem::Get().Reset();
  CloseLog();
}

}  // namespace platform::sim
