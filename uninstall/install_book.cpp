#include "uninstall/install_book.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "uninstall/apps_entry.h"
#include "uninstall/record_file.h"
#include "uninstall/uninstaller.h"

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
  if (!uninstallerCopied_) {
    const std::string self = platform::ExecutablePath();
    const std::string target = folder_ + "\\" + kUninstallerFile;
    // Run from the install folder itself (a repair by its own uninstaller),
    // the executable is already there.
    uninstallerCopied_ = platform::EqualsIgnoreCase(self, target) ||
                         platform::CopyOneFile(self.c_str(), target.c_str(), false);
  }
  InstallRecord merged = earlier_;
  merged.m_installFolder = folder_;
  merged.Merge(current_);
  const std::string path = folder_ + "\\" + kRecordFile;
  return platform::WriteWholeFile(path.c_str(), FormatRecord(merged));
}

bool CInstallBook::WriteEntry(std::int32_t versionNumber) {
  InstallRecord merged = earlier_;
  merged.Merge(current_);
  AppsEntry entry;
  entry.installFolder = folder_;
  entry.versionNumber = versionNumber;
  entry.estimatedSizeKb = EstimatedSizeKb(merged, folder_);
  entry.installDate = TodayText();
  return WriteAppsEntry(entry);
}
