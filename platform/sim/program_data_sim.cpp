#include "platform/program_data.h"
#include "platform/sim/sim_system.h"

namespace platform {

ProgramDataRead ReadProgramData(const char* name, std::string* data) {
  const auto& resources = sim::SimSystem::Get().ProgramData();
  const auto found = resources.find(name);
  if (found == resources.end()) {
    data->clear();
    return ProgramDataRead::kAbsent;
  }
  *data = found->second;
  return ProgramDataRead::kFound;
}

}  // namespace platform
