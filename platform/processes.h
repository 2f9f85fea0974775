#pragma once
// The process list: a Tool Help snapshot of the running processes.
#include <string>

namespace platform {

// CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), Process32First,
// Process32Next, CloseHandle. Closed by Close() or by the destructor.
class ProcessSnapshot {
 public:
  ProcessSnapshot() = default;
  ~ProcessSnapshot() { Close(); }
  ProcessSnapshot(const ProcessSnapshot&) = delete;
  ProcessSnapshot& operator=(const ProcessSnapshot&) = delete;

  // Takes the snapshot; false when none can be taken.
  bool Take();
  // The executable file name (szExeFile, no folder) of the first, then of the
  // next process; false when there is none left.
  bool First(std::string* exeName);
  bool Next(std::string* exeName);
  void Close();

 private:
  void* handle_ = nullptr;
};

}  // namespace platform
