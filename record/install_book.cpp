#include "record/install_book.h"

#include <algorithm>

#include "package/manifest_check.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"
#include "record/apps_entry.h"
#include "record/record_file.h"

bool ReplaceRecordFile(const std::string& installFolder, const InstallRecord& record) {
  const std::string text = FormatRecord(record);
  return platform::WriteCheckedFile(installFolder + "\\" + kRecordFile, installFolder + "\\" + kRecordTemporary,
                                    [&](platform::FileHandle& file) { return file.Write(text) && file.Flush(); },
                                    true);
}

CInstallBook::CInstallBook(const std::string& installFolder, const CHostRegistry& hosts)
    : folder_(installFolder) {
  int ignored = 0;
  if (!LoadRecord(ScopeOf(hosts, folder_), &earlier_, &ignored)) earlier_ = InstallRecord();
  if (earlier_.Interrupted())
    platform::Log("an interrupted install found in " + folder_ + ": its record stops in the phase \"" +
                  earlier_.m_phase + "\"; this install completes it");
  earlier_.m_phase.clear();
  current_.m_installFolder = folder_;
  g_installRecord = &current_;
  g_recordAhead = this;
}

CInstallBook::~CInstallBook() {
  if (g_installRecord == &current_) g_installRecord = nullptr;
  if (g_recordAhead == this) g_recordAhead = nullptr;
}

bool CInstallBook::Write(const std::string& phase) {
  phase_ = phase;
  InstallRecord merged = Merged();
  merged.m_phase = phase;
  if (ReplaceRecordFile(folder_, merged)) return true;
  platform::Log("install record not written: " + platform::DescribeError(platform::LastError()));
  return false;
}

bool CInstallBook::Open(std::int32_t versionNumber) {
  if (!platform::PathExists(folder_.c_str())) {
    folderMissing_ = true;
    platform::Log("no install record: the install folder is missing, nothing can be written into it");
    return true;
  }
  std::string named;
  std::vector<std::string> unused;
  if (ReadAppsEntryState(&named, &unused) != EntryState::kComplete &&
      !WriteProvisionalEntry(folder_, current_.m_createdFolders))
    platform::Log("provisional Apps & Features entry not written: " +
                  platform::DescribeError(platform::LastError()));
  if (!Write("setup")) return false;
  platform::Log("install record written: " + folder_ + "\\" + kRecordFile);
  // The uninstaller is the image that runs, from the file held since the
  // start (whatever now lies where it was started from). Run from the
  // install folder itself, the executable is already there.
  const std::string self = platform::ExecutablePath();
  const std::string target = folder_ + "\\" + kUninstallerFile;
  // Copied to "Uninstall.exe.new" and renamed into place: never a torn one.
  uninstallerCopied_ = platform::SamePath(self, target) || platform::CopyRunningImage(target.c_str());
  if (uninstallerCopied_) {
    platform::Log("uninstaller written: " + target);
  } else {
    platform::Log("uninstaller not written: " + target + ": " +
                  platform::DescribeError(platform::LastError()));
  }
  // No complete entry without the uninstaller it would start.
  if (uninstallerCopied_ && !WriteEntry(versionNumber))
    platform::Log("Apps & Features entry not written: " +
                  platform::DescribeError(platform::LastError()));
  // Staged copies of an install cut off among its renames: this install
  // stages and renames the package again.
  std::vector<std::string> kept;
  for (const std::string& staged : earlier_.m_staged) {
    if (platform::RemoveFile(staged.c_str()) || !platform::PathExists(staged.c_str()))
      platform::Log("staged copy of the interrupted install removed: " + staged);
    else
      kept.push_back(staged);
  }
  earlier_.m_staged = kept;
  return true;
}

bool CInstallBook::BeginPhase(const char* phase, const PhaseIntents& intents) {
  if (folderMissing_) return std::string(phase) == "copy";
  for (const std::string& p : intents.createdFolders) current_.AddCreatedFolder(p);
  for (const std::string& p : intents.files) current_.IntendFile(p);
  for (const std::string& p : intents.libraryFiles) current_.IntendLibraryFile(p);
  for (const std::string& p : intents.loaderKeys) current_.IntendLoaderKey(p);
  for (const std::string& p : intents.staged) current_.AddStaged(p);
  for (const PhaseIntents::Font& f : intents.fonts) current_.IntendFont(f.path, f.digest, f.existed);
  if (!Write(phase)) return false;
  platform::Log(std::string("install record written ahead of the phase \"") + phase + "\"");
  return true;
}

bool CInstallBook::Close() {
  if (folderMissing_) return true;
  // The staged copies and temporary fonts are renamed or removed by now;
  // those still there stay named.
  const auto gone = [](const std::string& path) { return !platform::PathExists(path.c_str()); };
  for (InstallRecord* r : {&earlier_, &current_}) {
    r->m_staged.erase(std::remove_if(r->m_staged.begin(), r->m_staged.end(), gone), r->m_staged.end());
    auto& fonts = r->m_intentFonts;
    fonts.erase(std::remove_if(fonts.begin(), fonts.end(), [&](const RecordedFont& f) {
                  return f.path.size() > 4 && f.path.compare(f.path.size() - 4, 4, kStagedSuffix) == 0 &&
                         gone(f.path);
                }), fonts.end());
  }
  if (!Write("")) return false;
  platform::Log("install record written: " + folder_ + "\\" + kRecordFile);
  return true;
}

InstallRecord CInstallBook::Merged() const {
  InstallRecord merged = earlier_;
  merged.m_installFolder = folder_;
  merged.Merge(takenOver_);
  merged.Merge(current_);
  // This folder is never an earlier one of its own (an install taken back
  // after it had been taken over).
  auto& earlier = merged.m_earlierFolders;
  earlier.erase(std::remove_if(earlier.begin(), earlier.end(),
                               [&](const std::string& f) { return SamePath(f, folder_); }),
                earlier.end());
  return merged;
}

void CInstallBook::TakeOverDone() {
  for (const std::string& key : takenOver_.m_applicationsKeys) current_.AddApplicationsKey(key);
  takenOver_ = InstallRecord();
}

void CInstallBook::TakeOver(const std::string& folder, const InstallRecord& record) {
  takenOverFolder_ = folder;
  takenOver_ = record;
  takenOver_.AddEarlierFolder(folder);
}

bool CInstallBook::WriteEntry(std::int32_t versionNumber) {
  const InstallRecord merged = Merged();
  AppsEntry entry;
  entry.installFolder = folder_;
  entry.versionNumber = versionNumber;
  entry.estimatedSizeKb = EstimatedSizeKb(merged, folder_);
  entry.installDate = TodayText();
  return WriteAppsEntry(entry);
}
