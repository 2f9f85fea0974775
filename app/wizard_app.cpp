#include "app/wizard_app.h"

#include "app/command_line.h"
#include "app/run_log.h"
#include "host/host_registry.h"
#include "install/install_sequence.h"
#include "install/install_session.h"
#include "record/install_record.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"
#include "ui/setup_dialog.h"
#include "record/apps_entry.h"
#include "record/record_file.h"
#include "uninstall/uninstaller.h"

const char* const kUsageText =
    "SetUp.exe [/S] [/D=路径] [/YEARS=年份,...] [/LOG=文件] [/?]\n"
    "SetUp.exe /UNINSTALL [/S] [/LOG=文件]\n\n"
    "/S\t静默安装：不显示窗口和消息框\n"
    "/D=路径\t安装路径（其下建立Tarnwell文件夹）；不加引号时到行尾或其后的开关为止\n"
    "/YEARS=年份,...\t只为这些年份的中望CAD安装（2021至2027，以逗号分隔）\n"
    "/LOG=文件\t日志写入该文件\n"
    "/?\t显示本说明\n"
    "/UNINSTALL\t卸载“应用和功能”中记录的安装（可加 /S 和 /LOG=；Uninstall.exe 同）\n\n"
    "退出码：\n"
    "0\t安装完成\n"
    "1\t命令行无法识别，未作任何更改\n"
    "2\t未安装即关闭对话框\n"
    "3\t静默：所选年份均无CAD，未作任何更改\n"
    "4\t未找到安装文件，或其路径含有代码页936无法表示的字符，CAD未作更改\n"
    "5\t有文件无法拷贝，安装中止，CAD未作更改\n"
    "6\t静默：CAD正在运行，未作任何更改\n"
    "7\t静默：安装路径不可用，未建立任何文件夹\n"
    "8\t部分安装：有必需的内容无法写入，详见日志\n"
    "9\t安装文件不完整或已损坏：未安装任何内容，CAD未作更改\n"
    "10\tthe dialog cannot be shown: no interactive desktop (a service or a deployment tool started SetUp.exe without /S); nothing changed\n"
    "卸载：0 完成，1 无安装记录（未删除任何内容），2 未卸载，6 CAD正在运行，8 部分内容未能删除（详见日志，保留“应用和功能”中的记录），3010 需重启以删除正在使用的文件";
const char* const kCommandLineErrorText = "命令行无法识别：";

namespace {

// Set when this run is an uninstall (Uninstall.exe, or SetUp.exe /UNINSTALL).
bool g_uninstallRun = false;

// True when this executable is an install's uninstaller (SetUp.exe copied
// as "Uninstall.exe" into the install folder).
bool RunsAsUninstaller(const std::string& image) {
  const std::size_t cut = platform::FindLastChar(image, '\\');
  return cut != std::string::npos && platform::EqualsIgnoreCase(image.substr(cut + 1), kUninstallerFile);
}

// The uninstall: of the folder this uninstaller lies in, or (SetUp.exe
// /UNINSTALL) of the folder the Apps & Features entry names.
int RunUninstallMode(bool silent, bool asUninstaller) {
  g_hostRegistry.ScanInstalledHosts();
  LogHostsFound(g_hostRegistry);
  UninstallRun run;
  run.silent = silent;
  run.runningImage = platform::ExecutablePath();
  run.log = [](const std::string& event) { platform::Log(event); };
  run.byAppsEntry = !asUninstaller;
  if (asUninstaller)
    run.installFolder = run.runningImage.substr(0, platform::FindLastChar(run.runningImage, '\\'));
  else
    ReadAppsEntryFolder(&run.installFolder);
  return RunUninstall(run, g_hostRegistry);
}

// The run behind the start routine; gives the exit code, and sets
// `meaning` when the code means something else than ExitCodeMeaning says.
int RunWithSwitches(const char** meaning) {
  // The image file, held from the start: the uninstaller is copied from it,
  // whatever is put where it was started from while the program runs.
  const bool imageHeld = platform::HoldRunningImage();
  const std::uint32_t imageError = imageHeld ? 0 : platform::LastError();
  const std::string commandLine = platform::CommandLineText();
  const std::string_view arguments = ArgumentsOf(commandLine);
  CommandLine line;
  CommandLineError error;
  bool understood = ParseCommandLine(arguments, &line, &error);
  // /S in any form, glued to another switch or inside a value, means that
  // nobody may be there to close a window: none is shown. Understood only
  // as a switch of its own; anywhere else the line is not understood.
  const bool silent = (understood && line.silent) || AsksForSilence(arguments);
  if (understood && silent && !line.silent) {
    understood = false;
    error.kind = CommandLineError::kGlued;
    error.text = "/S";
  }
  const bool asUninstaller = RunsAsUninstaller(platform::ExecutablePath());
  g_uninstallRun = asUninstaller || (understood && line.uninstall);
  // The uninstall takes /S and /LOG= (and /?) only.
  if (understood && g_uninstallRun && (line.hasPath || line.hasYears)) {
    understood = false;
    error.kind = CommandLineError::kNotForUninstall;
    error.text = line.hasPath ? "/D" : "/YEARS";
  }
  // A line not understood still writes the log its /LOG= names, when that
  // switch itself was understood: those are the runs an administrator reads.
  CommandLine logOnly;
  if (!understood) logOnly.hasLog = FindLogSwitch(arguments, &logOnly.logFile);
  CommandLineError logError;
  // A run with the setup dialog always keeps a log: an install that ends
  // in part tells the person where to read what failed.
  const bool withDialog = !silent && understood && !line.help && !g_uninstallRun;
  if (!OpenRunLog(understood ? &line : &logOnly, silent || withDialog,
                  g_uninstallRun ? kUninstallLogName : kSetupLogName, &logError) &&
      understood) {
    understood = false;
    error = logError;
  }
  LogRunStart(commandLine);
  if (!imageHeld)
    platform::Log("the running image cannot be held (no uninstaller can be written): " +
                  platform::ExecutablePath() + ": " + platform::DescribeError(imageError));

  // A service or a deployment tool that starts SetUp.exe without /S: no
  // window could be seen, and a box would wait for ever.
  const bool desktop = silent || platform::InteractiveDesktop();
  if (!desktop) platform::Log("the window station is not visible: no interactive desktop");
  if (!understood) {
    platform::Log("command line not understood: " + DescribeCommandLineError(error, false));
    if (!silent && desktop) {
      const std::string text = std::string(kCommandLineErrorText) +
                               DescribeCommandLineError(error, true) + "\n\n" + kUsageText;
      framework::AppMessageBox(text.c_str(), platform::kMbOk | platform::kMbIconStop);
    }
    return kExitBadCommandLine;
  }
  if (!desktop) {
    *meaning = kNoDesktopMeaning;
    return kExitNoDesktop;
  }
  if (line.help) {
    if (!silent) framework::AppMessageBox(kUsageText, platform::kMbOk | platform::kMbIconInformation);
    *meaning = "the switches were asked for (/?), nothing changed";
    return kExitInstalled;
  }
  if (g_uninstallRun) {
    const int code = RunUninstallMode(silent, asUninstaller);
    *meaning = UninstallExitMeaning(code);
    return code;
  }

  g_hostRegistry.ScanInstalledHosts();
  LogHostsFound(g_hostRegistry);
  bool listed[kHostYearCount];
  for (int y = 0; y < kHostYearCount; ++y) listed[y] = !line.hasYears || line.years[y];
  if (silent) return RunSilentInstall(line.hasPath ? line.path : DefaultInstallPath(), listed);

  Dlg_Setup dialog(nullptr);
  // The switches preset the dialog: the path box, and the boxes of the
  // years not listed start unticked (a year with a host stays enabled).
  if (line.hasPath) dialog.m_installPath = line.path;
  for (int y = 0; y < kHostYearCount; ++y)
    if (!listed[y]) dialog.m_yearSelected[y] = 0;
  if (dialog.DoModal() == -1) {
    platform::Log("the setup dialog cannot be created: " +
                  platform::DescribeError(platform::LastError()));
    return kExitNoDesktop;
  }
  return dialog.m_exitCode;
}

}  // namespace

bool CWizardApp::RunSetup() {
  const char* meaning = nullptr;
  const int code = RunWithSwitches(&meaning);
  EndRunLog(code, meaning);
  SetExitCode(code);
  return false;
}

const framework::AppCommandEntry* CWizardApp::GetCommandTable() const {
  static const framework::AppCommandEntry kTable[] = {
      {framework::kIdHelp, &framework::Application::OnHelp},
      {0, nullptr},
  };
  return kTable;
}
