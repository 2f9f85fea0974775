#pragma once
// The simulated file system as its implementation sees it (files_sim.cpp and
// security_sim.cpp include this, nothing else): the one SimFiles instance,
// with its path helpers and the writers of what tests only read (the call
// log, the pending deletions, the count of open listings).
#include "platform/sim/sim_files.h"

namespace platform::sim {

class FileSystem : public SimFiles {
 public:
  static FileSystem& Get();
  using SimFiles::Drive, SimFiles::Follow, SimFiles::NewChild, SimFiles::PathOf, SimFiles::Split,
      SimFiles::Walk;
  const std::string* MappedImage() const { return mapped_ ? &mappedImage_ : nullptr; }
  void Record(std::string call) { log_.push_back(std::move(call)); }
  void AddPendingDelete(std::string path) { pendingDeletes_.push_back(std::move(path)); }
  std::vector<std::string>& PendingDeleteList() { return pendingDeletes_; }
  void ListingOpened() { ++openListings_; }
  void ListingClosed() { --openListings_; }
};

// What an entry's DACL passes on to a new or reset file (folder = false) or
// folder below it, as Windows computes inherited entries (creator SIDs are
// not modelled).
std::vector<Ace> InheritedAces(const FileSecurity& parent, bool folder);
// The rights `token` has on an entry with descriptor `s`: what the DACL
// grants in order (a deny takes away what no earlier entry granted), the
// owner's READ_CONTROL and WRITE_DAC unless an OWNER RIGHTS entry is
// present, and what enabled privileges give (SeRestorePrivilege: WRITE_DAC,
// WRITE_OWNER and DELETE; SeBackupPrivilege: listing).
std::uint32_t GrantedAccess(const FileSecurity& s, const SimToken& token);
// The simulated CreateDirectoryW(path, NULL): one level, with what its
// parent passes on (MakeSecuredFolder then sets its descriptor).
bool MakeFolder(const char* path);

}  // namespace platform::sim
