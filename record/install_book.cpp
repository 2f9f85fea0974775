#include "record/install_book.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"
#include "record/apps_entry.h"
#include "record/record_file.h"

CInstallBook::CInstallBook(const std::string& installFolder, const CHostRegistry& hosts)
    : folder_(installFolder) {
  int ignored = 0;
  if (!LoadRecord(ScopeOf(hosts, folder_), &earlier_, &ignored)) earlier_ = InstallRecord();
  current_.m_installFolder = folder_;
  g_installRecord = &current_;
}

CInstallBook::~CInstallBook() {
  if (g_installRecord == &current_) g_installRecord = nullptr;
}

bool CInstallBook::Save() {
  if (!uninstallerCopied_ && !uninstallerFailed_) {
    const std::string self = platform::ExecutablePath();
    const std::string target = folder_ + "\\" + kUninstallerFile;
    // The uninstaller is the image that runs, from the file held since the
    // start (whatever now lies where it was started from). Run from the
    // install folder itself, the executable is already there.
    uninstallerCopied_ = platform::SamePath(self, target) ||
                         platform::CopyRunningImage(target.c_str());
    if (uninstallerCopied_) {
      platform::Log("uninstaller written: " + target);
    } else {
      uninstallerFailed_ = true;
      platform::Log("uninstaller not written: " + target + ": " +
                    platform::DescribeError(platform::LastError()));
    }
  }
  const std::string path = folder_ + "\\" + kRecordFile;
  const std::string text = FormatRecord(Merged());
  return platform::WriteCheckedFile(path, folder_ + "\\~tarnwell-record.new",
                                    [&](platform::FileHandle& file) { return file.Write(text); });
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
