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
  // Writes the record again with the phase under way (after a step, what
  // it did); false when it could not be written.
  bool Save() { return Write(phase_); }
  // What the record file holds: the earlier record, an install taken over
  // and this install's own entries.
  InstallRecord Merged() const;
  // Writes the Apps & Features entry for this install folder.
  bool WriteEntry(std::int32_t versionNumber);

  const InstallRecord& Current() const { return current_; }
  bool UninstallerCopied() const { return uninstallerCopied_; }

 private:
  bool Write(const std::string& phase);
  std::string folder_;
  InstallRecord earlier_;
  InstallRecord current_;
  std::string takenOverFolder_;
  InstallRecord takenOver_;
  bool uninstallerCopied_ = false;
  std::string phase_;
  // The install folder could not be made: nothing can be written into it,
  // so the copies may run (and fail into their prompts), the hosts not.
  bool folderMissing_ = false;
};

// Writes a record over the install folder's: to its temporary name, flushed,
// then renamed over it (MOVEFILE_WRITE_THROUGH); the temporary file goes
// again when a step fails.
bool ReplaceRecordFile(const std::string& installFolder, const InstallRecord& record);
