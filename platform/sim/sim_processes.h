#pragma once
// The simulated process list behind platform::ProcessSnapshot.
#include <string>
#include <vector>

namespace platform::sim {

class SimProcesses {
 public:
  static SimProcesses& Get();
  // The list holds only "System" and "SetUp.exe"; snapshots work.
  void Reset();

  // Executable names in snapshot order.
  void SetProcesses(std::vector<std::string> names) { names_ = std::move(names); }
  const std::vector<std::string>& Processes() const { return names_; }
  // Every later snapshot fails (INVALID_HANDLE_VALUE), or works again.
  void SetSnapshotFails(bool fails) { fails_ = fails; }
  bool SnapshotFails() const { return fails_; }

  // Entries read (Process32First/Next calls that gave an entry) and
  // snapshots still open.
  int EntriesRead() const { return entriesRead_; }
  void EntryRead() { ++entriesRead_; }
  int OpenSnapshots() const { return openSnapshots_; }
  void SnapshotOpened() { ++openSnapshots_; }
  void SnapshotClosed() { --openSnapshots_; }
  int SnapshotsTaken() const { return taken_; }
  void SnapshotTaken() { ++taken_; }

 private:
  SimProcesses();
  std::vector<std::string> names_;
  bool fails_ = false;
  int entriesRead_ = 0;
  int openSnapshots_ = 0;
  int taken_ = 0;
};

}  // namespace platform::sim
