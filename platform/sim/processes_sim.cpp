#include <vector>

#include "platform/processes.h"
#include "platform/sim/sim_processes.h"

namespace platform {
namespace sim {

SimProcesses::SimProcesses() { Reset(); }

SimProcesses& SimProcesses::Get() {
  static SimProcesses processes;
  return processes;
}

void SimProcesses::Reset() {
  names_ = {"System", "SetUp.exe"};
  fails_ = false;
  entriesRead_ = 0;
  openSnapshots_ = 0;
  taken_ = 0;
}

}  // namespace sim

namespace {
struct Snapshot {
  std::vector<std::string> names;
  std::size_t next = 0;
};

bool Read(void* handle, bool first, std::string* exeName) {
  auto* s = static_cast<Snapshot*>(handle);
  if (!s) return false;
  if (first) s->next = 0;
  if (s->next >= s->names.size()) return false;
  *exeName = s->names[s->next++];
  sim::SimProcesses::Get().EntryRead();
  return true;
}
}  // namespace

bool ProcessSnapshot::Take() {
  Close();
  sim::SimProcesses& p = sim::SimProcesses::Get();
  if (p.SnapshotFails()) return false;
  handle_ = new Snapshot{p.Processes(), 0};
  p.SnapshotOpened();
  p.SnapshotTaken();
  return true;
}

bool ProcessSnapshot::First(std::string* exeName) { return Read(handle_, true, exeName); }

bool ProcessSnapshot::Next(std::string* exeName) { return Read(handle_, false, exeName); }

void ProcessSnapshot::Close() {
  if (!handle_) return;
  delete static_cast<Snapshot*>(handle_);
  handle_ = nullptr;
  sim::SimProcesses::Get().SnapshotClosed();
}

}  // namespace platform
