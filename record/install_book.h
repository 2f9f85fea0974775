#pragma once
// Keeps the install record of a running install: merges it into the record
// an earlier install left in the same folder, writes it after each phase,
// puts the uninstaller beside it, and at a successful end writes the Apps &
// Features entry.
#include <cstdint>
#include <string>

#include "host/host_registry.h"
#include "record/install_record.h"

class CInstallBook {
 public:
  // Starts recording into the install folder (without trailing "\"): reads
  // the folder's earlier record, if any, and makes this the install record
  // that the copies and registrations report to.
  CInstallBook(const std::string& installFolder, const CHostRegistry& hosts);
  ~CInstallBook();
  CInstallBook(const CInstallBook&) = delete;
  CInstallBook& operator=(const CInstallBook&) = delete;

  // The record of an earlier install into this folder that lay elsewhere
  // (its folder was moved aside and replaced).
  void MergeEarlier(const InstallRecord& record) { earlier_.Merge(record); }
  // An earlier install in another folder that this one takes over: its
  // record is written into this one's from now on, so that one uninstall
  // removes both whatever happens.
  void TakeOver(const std::string& folder, const InstallRecord& record);
  // The earlier install's folder, empty when none is taken over.
  const std::string& TakenOverFolder() const { return takenOverFolder_; }
  const InstallRecord& TakenOver() const { return takenOver_; }
  // The earlier install has been removed: its entries leave the record,
  // but for the Applications keys it made, which now hold this install's
  // loader keys (removed with this install, when empty).
  void TakeOverDone();
  // A folder the install sequence created before the copies.
  void FolderCreated(const std::string& path) { current_.AddCreatedFolder(path); }

  // Copies the running image (the file held since the start) into the
  // install folder as the uninstaller (tried once, logged), then writes the
  // merged record; false when the record could not be written.
  bool Save();
  // What the record file holds: the earlier record, an install taken over
  // and this install's own entries.
  InstallRecord Merged() const;
  // Writes the Apps & Features entry for this install folder.
  bool WriteEntry(std::int32_t versionNumber);

  const InstallRecord& Current() const { return current_; }
  bool UninstallerCopied() const { return uninstallerCopied_; }

 private:
  std::string folder_;
  InstallRecord earlier_;
  InstallRecord current_;
  std::string takenOverFolder_;
  InstallRecord takenOver_;
  bool uninstallerCopied_ = false;
  bool uninstallerFailed_ = false;
};
