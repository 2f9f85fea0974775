#include "uninstall/uninstaller.h"

#include <algorithm>

#include "host/host_contract.h"
#include "host/host_process.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "record/apps_entry.h"
#include "uninstall/removal.h"

const char* const kUninstallNoRecordText =
    "未找到安装记录 Uninstall.dat，或它已损坏 !\n\n没有删除任何文件。";
const char* const kUninstallUnsafeText =
    "安装文件夹所在的路径不安全 !\n\n没有删除任何文件。";

const char* UninstallExitMeaning(int code) {
  switch (code) {
    case kUninstallDone: return "uninstalled";
    case kUninstallNoRecord: return "the command line was not understood, the install record is missing or unreadable, or a folder on the way is not safe: nothing removed";
    case kUninstallDeclined: return "the uninstall was declined: nothing removed";
    case kUninstallHostRunning: return "the host program is running: nothing removed";
    case kUninstallPartial: return "removed in part; the log names what stays";
    case kUninstallRestart: return "uninstalled; a file in use is deleted at the next restart";
    default: return "unknown";
  }
}

std::vector<std::string> FontsOfOtherInstalls(const CHostRegistry& hosts,
                                              const std::vector<std::string>& folders) {
  std::vector<std::string> out;
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return out;
  for (int y = 0; y < kHostYearCount; ++y) {
    const std::string name = LoaderKeyName(HostYearAt(y));
    for (std::size_t i = 0; i < hosts.m_keyPaths[y].Count(); ++i) {
      platform::RegKey key;
      char loader[platform::kRegValueBuffer];
      if (key.OpenForRead(root, (hosts.m_keyPaths[y].At(i) + name).c_str()) &&
          key.QueryValue(kLoaderValue, loader) &&
          std::none_of(folders.begin(), folders.end(), [&](const std::string& folder) {
            return LoaderNamesModuleIn(loader, folder);
          }))
        out.push_back(hosts.m_locations[y].At(i) + "\\" + kFontsFolder);
    }
  }
  return out;
}

std::vector<std::string> OwnFolders(const std::string& folder, const InstallRecord& record) {
  std::vector<std::string> out{folder};
  out.insert(out.end(), record.m_earlierFolders.begin(), record.m_earlierFolders.end());
  return out;
}

InstallRecord WithoutFolders(const InstallRecord& record, const std::vector<std::string>& kept) {
  InstallRecord out = record;
  const auto dropped = [&](const std::string& path) {
    for (const std::string& folder : record.m_earlierFolders) {
      if (std::any_of(kept.begin(), kept.end(),
                      [&](const std::string& k) { return SamePath(k, folder); }))
        continue;
      const std::string inside = platform::LowerCase(FullForm(folder) + "\\");
      const std::string full = platform::LowerCase(FullForm(path));
      if (SamePath(path, folder) || full.compare(0, inside.size(), inside) == 0) return true;
      const std::size_t cut = platform::FindLastChar(folder, '\\');
      if (cut != std::string::npos && SamePath(path, folder.substr(0, cut))) return true;
    }
    return false;
  };
  for (auto* list : {&out.m_createdFolders, &out.m_files, &out.m_libraryFiles})
    list->erase(std::remove_if(list->begin(), list->end(), dropped), list->end());
  out.m_earlierFolders = kept;
  return out;
}

int RunUninstall(const UninstallRun& run, const CHostRegistry& hosts) {
  auto log = [&](const std::string& line) {
    if (run.log) run.log(line);
  };
  auto box = [&](const char* text, unsigned type) {
    return platform::ShowMessageBox(platform::ActiveWindow(), text, kUninstallCaption, type);
  };
  if (!run.installFolder.empty()) log("install folder: " + run.installFolder);
  if (IsHostRunning()) {
    log("the host program is running: nothing removed");
    if (!run.silent) box(kUninstallHostRunningText, platform::kMbOk);
    return kUninstallHostRunning;
  }
  if (run.byAppsEntry && run.installFolder.empty()) {
    if (RemoveEmptyEntry()) {
      log("Apps & Features entry removed: it named no install folder (an install cut off while writing it)");
      return kUninstallDone;
    }
    log("no Apps & Features entry names an install: nothing removed");
    if (!run.silent) box(kUninstallNoEntryText, platform::kMbOk);
    return kUninstallNoRecord;
  }
  // Nothing is removed through a folder that somebody else could rename
  // or re-own meanwhile.
  std::string reason;
  if (!run.installFolder.empty() && !SecureTheWay(run.installFolder, &reason)) {
    log("install path not safe: " + reason + ": nothing removed");
    if (!run.silent) box(kUninstallUnsafeText, platform::kMbOk);
    return kUninstallNoRecord;
  }
  InstallRecord record;
  int ignored = 0, unreadable = 0;
  const RecordScope scope = ScopeOf(hosts, run.installFolder);
  // Without a record, a provisional entry that names this folder tells of
  // an install cut off before its record, or of an uninstall cut off after
  // it deleted the record: only the folders and the entry are left to go.
  std::string named;
  std::vector<std::string> created;
  const bool cut =
      !run.installFolder.empty() &&
      !platform::PathExists((scope.installFolder + "\\" + kRecordFile).c_str()) &&
      ReadAppsEntryState(&named, &created) == EntryState::kProvisional &&
      SamePath(named, scope.installFolder);
  if (cut) {
    log("no install record, and the Apps & Features entry is provisional: an install or uninstall was cut off; the folders and the entry are removed");
  } else if (run.installFolder.empty() || !LoadRecord(scope, &record, &ignored, &unreadable)) {
    log("the install record is missing or unreadable: nothing removed");
    if (!run.silent) box(kUninstallNoRecordText, platform::kMbOk);
    return kUninstallNoRecord;
  }
  RemovalMode mode;
  if (unreadable > 0)
    mode.leftBehind.push_back("install record: " + std::to_string(unreadable) +
                              " line(s) unreadable: whatever they name stays");
  if (ignored > unreadable)
    log("install record: " + std::to_string(ignored - unreadable) +
        " line(s) ignored (outside this install)");
  // An earlier install this one took over is removed through safe folders
  // only; one that is not safe stays whole.
  std::vector<std::string> earlier;
  for (const std::string& folder : record.m_earlierFolders) {
    if (SecureTheWay(folder, &reason)) {
      earlier.push_back(folder);
    } else {
      mode.leftBehind.push_back("earlier install folder not safe: " + reason +
                                ": nothing of it removed");
    }
  }
  if (!run.silent &&
      box(kUninstallConfirmText, platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes) {
    log("the user answered No: nothing removed");
    return kUninstallDeclined;
  }
  if (earlier.size() != record.m_earlierFolders.size()) record = WithoutFolders(record, earlier);
  const RemovalOutcome outcome =
      cut ? FinishCutRemoval(scope.installFolder, run.runningImage, created)
          : RemoveRecorded(record, scope.installFolder, run.runningImage,
                           FontsOfOtherInstalls(hosts, OwnFolders(scope.installFolder, record)), mode);
  for (const std::string& event : outcome.events) log(event);
  const int code = outcome.leftBehind      ? kUninstallPartial
                   : outcome.restartNeeded ? kUninstallRestart
                                           : kUninstallDone;
  if (!run.silent)
    box(code == kUninstallPartial   ? kUninstallPartialText
        : code == kUninstallRestart ? kUninstallRestartText
                                    : kUninstallDoneText,
        platform::kMbOk);
  return code;
}
