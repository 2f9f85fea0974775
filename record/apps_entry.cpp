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

namespace {

constexpr const char* kChosenCreatedValue = "FoldersCreated";

// The entry's key itself (made when `create`), never what a registry link
// of its name leads to: such a link is left alone.
bool OpenEntry(platform::RegKey& parent, platform::RegKey& key, bool create) {
  platform::RegKey root;
  bool link = false;
  if (!root.OpenLocalMachine() ||
      !(create ? parent.Create(root, kUninstallKeyParent) : parent.Open(root, kUninstallKeyParent)) ||
      !(create ? key.CreateNoLink(parent, kUninstallKeyName, &link)
               : key.OpenNoLink(parent, kUninstallKeyName, &link)))
    return false;
  if (!link) return true;
  platform::Log(std::string("HKLM\\") + kUninstallKeyParent + "\\" + kUninstallKeyName +
                ": a registry link, left alone");
  platform::SetLastError(platform::kErrorAccessDenied);
  return false;
}

bool HasValue(const platform::RegKey& key, const char* name) {
  return key.QueryValueRaw(name, nullptr, nullptr);
}

}  // namespace

bool WriteAppsEntry(const AppsEntry& entry) {
  platform::RegKey parent, key;
  if (!OpenEntry(parent, key, true)) return false;
  const std::string uninstaller = entry.installFolder + "\\" + kUninstallerFile;
  bool ok = SetText(key, "InstallLocation", entry.installFolder);
  if (HasValue(key, kChosenCreatedValue)) ok = key.DeleteValue(kChosenCreatedValue) && ok;
  ok = SetText(key, "DisplayName", kDisplayName) && ok;
  ok = SetText(key, "DisplayVersion", FormatDisplayVersion(entry.versionNumber)) && ok;
  ok = SetText(key, "Publisher", kPublisher) && ok;
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

EntryState ReadAppsEntryState(std::string* installFolder, std::vector<std::string>* created) {
  installFolder->clear();
  created->clear();
  platform::RegKey parent, key;
  if (!OpenEntry(parent, key, false)) return EntryState::kNone;
  char data[platform::kRegValueBuffer];
  if (key.QueryValue("InstallLocation", data)) *installFolder = data;
  if (key.QueryValue(kChosenCreatedValue, data))
    for (const std::string& folder : platform::SplitAtChar(data, '|'))
      if (!folder.empty()) created->push_back(folder);
  return HasValue(key, "UninstallString") ? EntryState::kComplete : EntryState::kProvisional;
}

namespace {
std::string Joined(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& folder : folders) text += (text.empty() ? "" : "|") + folder;
  return text;
}
}  // namespace

bool WriteProvisionalEntry(const std::string& installFolder, const std::vector<std::string>& created) {
  platform::RegKey parent, key;
  // The folders first: an entry that names no install folder yet is
  // removed whole by the uninstall.
  return OpenEntry(parent, key, true) &&
         (created.empty() || SetText(key, kChosenCreatedValue, Joined(created))) &&
         SetText(key, "InstallLocation", installFolder);
}

bool MakeEntryProvisional(const std::string& installFolder, const std::vector<std::string>& created) {
  std::string named;
  platform::RegKey parent, key;
  if (!ReadAppsEntryFolder(&named) || !SamePath(named, installFolder) ||
      !OpenEntry(parent, key, false))
    return false;
  if (!created.empty() && !SetText(key, kChosenCreatedValue, Joined(created))) return false;
  // Hidden first, then nothing to start: each value that is gone already
  // stays gone.
  for (const char* name : {"DisplayName", "UninstallString"})
    if (HasValue(key, name) && !key.DeleteValue(name)) return false;
  return true;
}

bool RemoveEmptyEntry() {
  platform::RegKey parent, key;
  if (!OpenEntry(parent, key, false) || HasValue(key, "InstallLocation") ||
      HasValue(key, "UninstallString"))
    return false;
  return key.DeleteThis();
}
