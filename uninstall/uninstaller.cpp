#include "uninstall/uninstaller.h"

#include "host/host_contract.h"
#include "host/host_process.h"
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

namespace {

// The Fonts folders of the hosts whose loader key names a module outside
// `folder`: another install is registered with them and needs their fonts.
std::vector<std::string> FontsOfOtherInstalls(const CHostRegistry& hosts, const std::string& folder) {
  std::vector<std::string> out;
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return out;
  for (int y = 0; y < kHostYearCount; ++y) {
    const std::string name = LoaderKeyName(HostYearAt(y));
    for (std::size_t i = 0; i < hosts.m_keyPaths[y].Count(); ++i) {
      platform::RegKey key;
      char loader[platform::kRegValueBuffer];
      if (key.OpenForRead(root, (hosts.m_keyPaths[y].At(i) + name).c_str()) &&
          key.QueryValue(kLoaderValue, loader) && !LoaderNamesModuleIn(loader, folder))
        out.push_back(hosts.m_locations[y].At(i) + "\\" + kFontsFolder);
    }
  }
  return out;
}

}  // namespace

int RunUninstall(const UninstallRun& run, const CHostRegistry& hosts) {
  auto log = [&](const std::string& line) {
    if (run.log) run.log(line);
  };
  auto box = [&](const char* text, unsigned type) {
    return platform::ShowMessageBox(platform::ActiveWindow(), text, kUninstallCaption, type);
  };
  log("install folder: " + run.installFolder);
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
  int ignored = 0;
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
  } else if (run.installFolder.empty() || !LoadRecord(scope, &record, &ignored)) {
    log("the install record is missing or unreadable: nothing removed");
    if (!run.silent) box(kUninstallNoRecordText, platform::kMbOk);
    return kUninstallNoRecord;
  }
  if (ignored > 0)
    log("install record: " + std::to_string(ignored) + " line(s) ignored (outside this install)");
  if (!run.silent &&
      box(kUninstallConfirmText, platform::kMbYesNo | platform::kMbIconQuestion) != platform::kIdYes) {
    log("the user answered No: nothing removed");
    return kUninstallDeclined;
  }
  const RemovalOutcome outcome =
      cut ? FinishCutRemoval(scope.installFolder, run.runningImage, created)
          : RemoveRecorded(record, scope.installFolder, run.runningImage,
                           FontsOfOtherInstalls(hosts, scope.installFolder));
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
