#include "record/apps_entry.h"

#include "package/package_layout.h"
#include "platform/decimal.h"
#include "platform/system.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/registry.h"
#include "record/record_file.h"

namespace {

bool SetText(platform::RegKey& key, const char* name, const std::string& text) {
  return key.SetValue(name, platform::kRegSz, text.c_str(),
                      static_cast<std::uint32_t>(text.size() + 1));
}

bool SetNumber(platform::RegKey& key, const char* name, std::uint32_t number) {
  return key.SetValue(name, platform::kRegDword, &number, sizeof number);
}

std::uint64_t SizeOf(const std::string& path) {
  std::uint64_t size = 0;
  return platform::FileSize(path.c_str(), &size) ? size : 0;
}

}  // namespace

std::string FormatDisplayVersion(std::int32_t versionNumber) {
  return platform::Decimal(versionNumber / 10000, 4) + "." +
         platform::Decimal(versionNumber / 100 % 100, 2) + "." + platform::Decimal(versionNumber % 100, 2);
}

std::string TodayText() {
  const platform::LocalTime now = platform::Now();
  return platform::Decimal(now.year, 4) + platform::Decimal(now.month, 2) +
         platform::Decimal(now.day, 2);
}

std::uint32_t EstimatedSizeKb(const InstallRecord& record, const std::string& installFolder) {
  std::uint64_t bytes = SizeOf(installFolder + "\\" + kUninstallerFile) +
                        SizeOf(installFolder + "\\" + kRecordFile);
  for (const std::string& p : record.m_files) bytes += SizeOf(p);
  for (const std::string& p : record.m_libraryFiles) bytes += SizeOf(p);
  for (const RecordedFont& f : record.m_fonts) bytes += SizeOf(f.path);
  const std::uint64_t kb = (bytes + 1023) / 1024;
  return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(kb);
}

bool WriteAppsEntry(const AppsEntry& entry) {
  platform::RegKey root, parent, key;
  if (!root.OpenLocalMachine() || !parent.Create(root, kUninstallKeyParent)) return false;
  // The entry's key itself, replaced by handle; a registry link at its name
  // is left alone.
  bool link = false;
  platform::RegKey earlier;
  if (earlier.OpenNoLink(parent, kUninstallKeyName, &link) && !link) earlier.DeleteThis();
  earlier.Close();
  if (link || !key.CreateNoLink(parent, kUninstallKeyName, &link) || link) {
    if (link) {
      platform::Log(std::string("HKLM\\") + kUninstallKeyParent + "\\" + kUninstallKeyName +
                    ": a registry link, left alone");
      platform::SetLastError(platform::kErrorAccessDenied);
    }
    return false;
  }
  const std::string uninstaller = entry.installFolder + "\\" + kUninstallerFile;
  bool ok = SetText(key, "DisplayName", kDisplayName);
  ok = SetText(key, "DisplayVersion", FormatDisplayVersion(entry.versionNumber)) && ok;
  ok = SetText(key, "Publisher", kPublisher) && ok;
  ok = SetText(key, "InstallLocation", entry.installFolder) && ok;
  ok = SetText(key, "DisplayIcon", uninstaller + ",0") && ok;
  ok = SetText(key, "UninstallString", "\"" + uninstaller + "\"") && ok;
  ok = SetText(key, "QuietUninstallString", "\"" + uninstaller + "\" /S") && ok;
  ok = SetNumber(key, "EstimatedSize", entry.estimatedSizeKb) && ok;
  ok = SetText(key, "InstallDate", entry.installDate) && ok;
  ok = SetNumber(key, "NoModify", 1) && ok;
  ok = SetNumber(key, "NoRepair", 1) && ok;
  return ok;
}

bool ReadAppsEntryFolder(std::string* installFolder) {
  platform::RegKey root, key;
  if (!root.OpenLocalMachine()) return false;
  const std::string path = std::string(kUninstallKeyParent) + "\\" + kUninstallKeyName;
  if (!key.OpenForRead(root, path.c_str())) return false;
  char data[platform::kRegValueBuffer];
  if (!key.QueryValue("InstallLocation", data) || data[0] == '\0') return false;
  *installFolder = data;
  return true;
}

EntryRemoval RemoveAppsEntry(const std::string& installFolder) {
  std::string named;
  platform::RegKey root, parent;
  if (!root.OpenLocalMachine() || !parent.Open(root, kUninstallKeyParent)) return kEntryAbsent;
  platform::RegKey key;
  bool link = false;
  if (!key.OpenNoLink(parent, kUninstallKeyName, &link)) return kEntryAbsent;
  if (link) return kEntryLink;
  char data[platform::kRegValueBuffer];
  if (!key.QueryValue("InstallLocation", data) || !SamePath(data, installFolder))
    return kEntryOfAnotherFolder;
  return key.DeleteThis() ? kEntryRemoved : kEntryNotRemoved;
}

bool EarlierChosenFolder(std::string* chosen) {
  std::string folder;
  if (!ReadAppsEntryFolder(&folder)) return false;
  folder = FullForm(folder);
  const std::size_t cut = platform::FindLastChar(folder, '\\');
  if (cut == std::string::npos || !platform::EqualsIgnoreCase(folder.substr(cut + 1), kInstallSubfolder) ||
      !platform::PathExists((folder + "\\" + kRecordFile).c_str()))
    return false;
  // A drive's root keeps its separator: "D:" alone names the drive's current
  // folder.
  *chosen = folder.substr(0, cut == 2 ? cut + 1 : cut);
  return true;
}
