#pragma once
// The uninstall: the host check, the question, the record, the removal and
// the closing message, with the exit code of the run.
#include <functional>
#include <string>
#include <vector>

#include "host/host_registry.h"
#include "record/record_file.h"

constexpr const char* kUninstallCaption = "Tarnwell软件卸载";
constexpr const char* kUninstallHostRunningText = "请关闭CAD后再进行卸载 !";
constexpr const char* kUninstallConfirmText = "确定要卸载Tarnwell软件吗 ?";
constexpr const char* kUninstallDoneText = "卸载完成 !";
constexpr const char* kUninstallRestartText = "卸载完成，部分文件将在重启后删除 !";
constexpr const char* kUninstallPartialText = "卸载未全部完成，部分文件或注册表项未能删除 !";
constexpr const char* kUninstallNoEntryText = "未找到Tarnwell软件的安装 !";
extern const char* const kUninstallNoRecordText;
// A folder on the way to the install folder is not safe (exit 1).
extern const char* const kUninstallUnsafeText;

// Exit codes of the uninstall.
enum UninstallExit : int {
  kUninstallDone = 0,
  kUninstallNoRecord = 1,     // the record is missing or unreadable: nothing removed
  kUninstallDeclined = 2,     // No: nothing removed
  kUninstallHostRunning = 6,  // the host program runs: nothing removed
  kUninstallPartial = 8,      // removed in part; the log names what stays (the entry stays)
  kUninstallRestart = 3010,   // done; a file is deleted at the next restart
};

// What an exit code of the uninstall means, in the words of the log.
const char* UninstallExitMeaning(int code);

struct UninstallRun {
  bool silent = false;         // no box; the host check still holds
  std::string installFolder;   // where the record lies, without trailing "\"
  bool byAppsEntry = false;    // the folder came from the Apps & Features entry (empty: none)
  std::string runningImage;    // this process's executable
  std::function<void(const std::string&)> log;  // one event a line; may be empty
};

// The Fonts folders of the hosts whose loader key names a module outside
// every one of `folders`: another install is registered with them and needs
// their fonts.
std::vector<std::string> FontsOfOtherInstalls(const CHostRegistry& hosts,
                                              const std::vector<std::string>& folders);
// The install folder and the earlier ones its record names.
std::vector<std::string> OwnFolders(const std::string& folder, const InstallRecord& record);

// The record without the files and folders of the earlier install folders
// that are not in `kept` (nor those folders themselves).
InstallRecord WithoutFolders(const InstallRecord& record, const std::vector<std::string>& kept);

// Runs the uninstall against the hosts that `hosts` found (scanned by the
// caller) and returns its exit code.
int RunUninstall(const UninstallRun& run, const CHostRegistry& hosts);
