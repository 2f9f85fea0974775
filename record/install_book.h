#pragma once
// Keeps the install record of a running install, written ahead: merged into
// the record an earlier install left in the same folder, it is on disk with
// the uninstaller and the Apps & Features entry right after the folders are
// made, and before each phase it names what that phase is about to write.
// Each write replaces the record in one rename of a flushed file, so that a
// cut leaves the previous record or the new one.
#include <cstdint>
#include <string>

#include "host/host_registry.h"
#include "package/install_notes.h"
#include "record/install_record.h"

class CInstallBook : public RecordAhead {
 public:
  // Starts recording into the install folder (without trailing "\"): reads
  // the folder's earlier record, if any (one that was cut off is logged as
  // an interrupted install, which this one completes), and makes this the
  // install record that the copies and registrations report to.
  CInstallBook(const std::string& installFolder, const CHostRegistry& hosts);
  ~CInstallBook();
  CInstallBook(const CInstallBook&) = delete;
  CInstallBook& operator=(const CInstallBook&) = delete;

  // The record of an earlier install into this folder that lay elsewhere
  // (its folder was moved aside and replaced).
  void MergeEarlier(const InstallRecord& record) { earlier_.Merge(record); }
  // A folder the install sequence created before the copies.
  void FolderCreated(const std::string& path) { current_.AddCreatedFolder(path); }

  // Right after the folders, before anything else changes: a provisional
  // Apps & Features entry where there is no complete one (with the folders
  // this install made), the record, the
  // uninstaller (copied from the image held since the start to a temporary
  // name and renamed into place), the complete entry. Then the staged copies
  // an interrupted install left go. False when the record could not be
  // written: nothing more may be done. Where the install folder is missing
  // nothing is written and no phase but the copy may run.
  bool Open(std::int32_t versionNumber);
  // Writes the record with the intents of the phase that starts.
  bool BeginPhase(const char* phase, const PhaseIntents& intents) override;
  // The install ended (or stopped): the record with what was done and the
  // intents that were not, no phase under way; false when not written.
  bool Close();
  // Writes the Apps & Features entry for this install folder.
  bool WriteEntry(std::int32_t versionNumber);

  const InstallRecord& Current() const { return current_; }
  bool UninstallerCopied() const { return uninstallerCopied_; }

 private:
  bool Write(const std::string& phase);
  std::string folder_;
  InstallRecord earlier_;
  InstallRecord current_;
  bool uninstallerCopied_ = false;
  // The install folder could not be made: nothing can be written into it,
  // so the copies may run (and fail into their prompts), the hosts not.
  bool folderMissing_ = false;
};

// Writes a record over the install folder's: to its temporary name, flushed,
// then renamed over it (MOVEFILE_WRITE_THROUGH); the temporary file goes
// again when a step fails.
bool ReplaceRecordFile(const std::string& installFolder, const InstallRecord& record);
