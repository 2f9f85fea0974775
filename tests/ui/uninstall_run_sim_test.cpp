// The uninstall as SetUp.exe and its uninstaller run it, natively: an
// install through the command line, then Uninstall.exe or SetUp.exe
// /UNINSTALL with their switches, boxes, log and exit codes; and the record
// and entry an install leaves for each of its exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "install/folder_lock.h"
#include "host/host_registry.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_dialog.h"

using platform::sim::SimFiles;
using platform::sim::SimSystem;
using platform::sim::SimUi;

namespace {

const std::string kSetUp = "C:\\pkg\\SetUp.exe";
const std::string kFolder = "C:\\Korvex\\Tarnwell";
const std::string kUninstaller = kFolder + "\\Uninstall.exe";
const std::string kHostKey = "SOFTWARE\\ZWSOFT\\ZWCAD\\2024\\zh-CN";
const std::string kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";

class UninstallRunTest : public testing::Test {
 protected:
  void SetUp() override {
    g_hostRegistry = CHostRegistry();
    g_warnHostRunning = true;
    SimFiles& fs = SimFiles::Get();
    fs.AddFile(kSetUp, "MZ SetUp");
    for (const char* f : {"Korvex2021.ZRX", "Korvex_EN.shx", "Korvex_HZ.shx", "readme.txt",
                          "Korvex扩展绘图库\\a.dwg"})
      fs.AddFile(std::string("C:\\pkg\\Data\\") + f, f);
    fs.AddFolder("C:\\ZW2024\\Fonts");
    // The parent of the entry exists on every Windows.
    ASSERT_TRUE(testing_support::WriteTree({testing_support::Sz(kHostKey, "C:\\ZW2024"),
                                            testing_support::Key(kEntry.substr(0, kEntry.rfind('\\')))}));
  }
  void TearDown() override {
    g_hostRegistry = CHostRegistry();
    g_warnHostRunning = true;
    SimUi::Get().SetAnswerer(nullptr);
  }
  // Runs the executable with the arguments; its exit code.
  static int Run(const std::string& exe, const std::string& arguments) {
    g_hostRegistry = CHostRegistry();
    SimFiles::Get().SetExecutablePath(exe);
    SimSystem::Get().SetCommandLine("\"" + exe + "\" " + arguments);
    EXPECT_FALSE(theApp.RunSetup());
    return theApp.ExitCode();
  }
  // Every file and folder outside C:\Temp, and every key below SOFTWARE.
  static std::vector<std::string> Everything(const std::string& folder = "C:") {
    std::vector<std::string> out;
    for (const std::string& name : SimFiles::Get().List(folder)) {
      const std::string path = folder + "\\" + name;
      if (path == "C:\\Temp") continue;
      out.push_back(path);
      for (const std::string& below : Everything(path)) out.push_back(below);
    }
    if (folder == "C:") Keys("SOFTWARE", &out);
    return out;
  }
  static void Keys(const std::string& key, std::vector<std::string>* out) {
    for (const std::string& name : testing_support::SubKeys(key)) {
      out->push_back(key + "\\" + name);
      Keys(key + "\\" + name, out);
    }
  }
  static std::string Value(const std::string& name) {
    std::uint32_t type = 0;
    std::string data;
    if (!testing_support::ReadValue(kEntry, name, &type, &data)) return "<none>";
    return data.substr(0, data.find('\0'));
  }
  static std::vector<std::string> LogLines(const std::string& file) {
    std::string text;
    std::vector<std::string> lines;
    if (!testing_support::ReadFile(file, &text)) return lines;
    for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
      lines.push_back(text.substr(pos + 26, end - pos - 26));
    return lines;
  }
};

enum class Before { kNothing, kInstalled, kInstalledHostRunning };

struct RunCase {
  const char* name;
  Before before;
  std::string exe;
  std::string arguments;
  int answer;  // to the question, when one is asked
  int exitCode;
  bool removed;                    // everything the install wrote is gone
  std::vector<std::string> boxes;  // texts shown, in order (all captioned "Tarnwell软件卸载")
  std::string log;                 // the log file expected; "": none
};

const char* const kAsk = "确定要卸载Tarnwell软件吗 ?";
const char* const kDone = "卸载完成 !";
const std::string kDefaultLog = "C:\\Temp\\TarnwellUninstall.log";

const RunCase kRuns[] = {
    {"QuietUninstallString", Before::kInstalled, kUninstaller, "/S", 0, 0, true, {}, kDefaultLog},
    {"SetUpUninstallSwitch", Before::kInstalled, kSetUp, "/UNINSTALL /S /LOG=C:\\u.log", 0, 0, true, {},
     "C:\\u.log"},
    {"InteractiveYes", Before::kInstalled, kUninstaller, "", platform::kIdYes, 0, true, {kAsk, kDone}, ""},
    {"InteractiveNo", Before::kInstalled, kUninstaller, "", platform::kIdNo, 2, false, {kAsk}, ""},
    {"InteractiveLogged", Before::kInstalled, kUninstaller, "/LOG=C:\\u.log", platform::kIdYes, 0, true,
     {kAsk, kDone}, "C:\\u.log"},
    {"HostRunning", Before::kInstalledHostRunning, kUninstaller, "", 0, 6, false,
     {"请关闭CAD后再进行卸载 !"}, ""},
    {"HostRunningSilent", Before::kInstalledHostRunning, kUninstaller, "/S", 0, 6, false, {}, kDefaultLog},
    {"NoEntry", Before::kNothing, kSetUp, "/UNINSTALL /S", 0, 1, false, {}, kDefaultLog},
    {"NoEntryShown", Before::kNothing, kSetUp, "/UNINSTALL", 0, 1, false,
     {"未找到Tarnwell软件的安装 !"}, ""},
    {"InstallSwitchRefused", Before::kInstalled, kUninstaller, "/S /D=C:\\x", 0, 1, false, {}, kDefaultLog},
    // Its name in another case is still the uninstaller, never an install.
    {"UninstallerNamedInLowerCase", Before::kInstalled, kFolder + "\\uninstall.exe", "/S", 0, 0, true, {},
     kDefaultLog},
};

class UninstallRuns : public UninstallRunTest, public testing::WithParamInterface<RunCase> {};

TEST_P(UninstallRuns, EndWithTheirExitCode) {
  const RunCase& c = GetParam();
  const std::vector<std::string> pristine = Everything();
  if (c.before != Before::kNothing) {
    ASSERT_EQ(Run(kSetUp, "/S"), 0);
  }
  if (c.before == Before::kInstalledHostRunning)
    platform::sim::SimProcesses::Get().SetProcesses({"System", "zwcad.exe"});
  const std::vector<std::string> installed = Everything();
  testing_support::RemoveTree("C:\\Temp");
  ASSERT_TRUE(testing_support::MakeFolders("C:\\Temp"));
  SimUi::Get().SetAnswerer([&c](const platform::sim::MessageBoxRecord& box) {
    return (box.type & 0x0F) == platform::kMbYesNo ? c.answer : platform::kIdOk;
  });

  EXPECT_EQ(Run(c.exe, c.arguments), c.exitCode);
  std::vector<std::string> texts;
  for (const auto& box : SimUi::Get().Boxes()) {
    texts.push_back(box.text);
    EXPECT_EQ(box.caption, "Tarnwell软件卸载");
    EXPECT_EQ(box.type, box.text == kAsk ? (platform::kMbYesNo | platform::kMbIconQuestion)
                                         : platform::kMbOk);
  }
  EXPECT_EQ(texts, c.boxes);
  std::vector<std::string> after = Everything();
  after.erase(std::remove(after.begin(), after.end(), "C:\\u.log"), after.end());
  // What the install added goes entirely, the Applications key it had to
  // make too, and the folders the host had stay; or nothing changes.
  if (c.removed) {
    std::vector<std::string> expected = pristine;
    std::sort(expected.begin(), expected.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, expected);
  } else {
    EXPECT_EQ(after, installed);
  }
  const std::vector<std::string> lines = LogLines(c.log.empty() ? kDefaultLog : c.log);
  EXPECT_EQ(!lines.empty(), !c.log.empty());
  if (!lines.empty()) {
    EXPECT_EQ(lines.back().rfind("exit code " + std::to_string(c.exitCode) + ": ", 0), 0u)
        << lines.back();
  }
}

INSTANTIATE_TEST_SUITE_P(CommandLine, UninstallRuns, testing::ValuesIn(kRuns), CaseName());

TEST_F(UninstallRunTest, RunningUninstallerLeavesItsFolderAtOnce) {
  ASSERT_EQ(Run(kSetUp, "/S"), 0);
  EXPECT_EQ(Run(kUninstaller, "/S"), 0);
  EXPECT_FALSE(SimFiles::Get().Find("C:\\Korvex"));
  EXPECT_EQ(SimFiles::Get().PendingDeletes(),
            (std::vector<std::string>{"C:\\Temp\\Tarnwell-Uninstall-1.exe"}));
  const std::vector<std::string> lines = LogLines(kDefaultLog);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "exit code 0: uninstalled");
}

TEST_F(UninstallRunTest, UninstallTwiceFindsNoRecordTheSecondTime) {
  ASSERT_EQ(Run(kSetUp, "/S"), 0);
  ASSERT_EQ(Run(kSetUp, "/UNINSTALL /S"), 0);
  const std::vector<std::string> once = Everything();
  EXPECT_EQ(Run(kSetUp, "/UNINSTALL /S"), 1);
  EXPECT_EQ(Everything(), once);
}

// A file held open: 3010 and its box. Installed again before the restart,
// the install takes back the deletes of what it holds: the restart keeps it.
TEST_F(UninstallRunTest, HeldFileThenReinstallSurvivesTheRestart) {
  ASSERT_EQ(Run(kSetUp, "/S"), 0);
  SimFiles::Get().SetHeldOpen(kFolder + "\\readme.txt", true);
  SimUi::Get().SetAnswerer([](const platform::sim::MessageBoxRecord& box) {
    return (box.type & 0x0F) == platform::kMbYesNo ? platform::kIdYes : platform::kIdOk;
  });
  EXPECT_EQ(Run(kUninstaller, ""), 3010);
  ASSERT_EQ(SimUi::Get().Boxes().size(), 2u);
  EXPECT_EQ(SimUi::Get().Boxes()[1].text, "卸载完成，部分文件将在重启后删除 !");
  SimFiles::Get().SetHeldOpen(kFolder + "\\readme.txt", false);
  EXPECT_EQ(SimFiles::Get().PendingDeletes().size(), 4u);  // the uninstaller, the file, two folders
  ASSERT_EQ(Run(kSetUp, "/S"), 0);
  const std::vector<std::string> installed = Everything();
  SimFiles::Get().Restart();
  EXPECT_EQ(Everything(), installed);
  // The folders taken back are the install's own again: its uninstall
  // removes the chosen folder too.
  EXPECT_EQ(Run(kUninstaller, "/S"), 0);
  EXPECT_FALSE(SimFiles::Get().Find("C:\\Korvex"));
}

// Where the entry names an install that still holds its record, the dialog
// starts with that install's chosen folder.
TEST_F(UninstallRunTest, AnEarlierInstallIsTheDefaultPath) {
  ASSERT_EQ(Run(kSetUp, "/S /D=C:\\K2"), 0);
  EXPECT_EQ(Dlg_Setup().m_installPath, "C:\\K2");
  ASSERT_TRUE(platform::RemoveFile("C:\\K2\\Tarnwell\\Uninstall.dat"));
  EXPECT_EQ(Dlg_Setup().m_installPath, "C:\\Korvex");
}

// The record and the entry for each end of an install: both, from right
// after the folders were made, whatever stopped the install then.
struct InstallEnd {
  const char* name;
  int exitCode;
  bool record, uninstaller, entry;
};

// Columns: name, exitCode, record (Uninstall.dat left), uninstaller, entry
// (Apps & Features). A record that cannot be written (its name held by
// another process) is a part not written: 8, and the entry all the same.
const InstallEnd kEnds[] = {
    {"Installed", 0, true, true, true},
    {"NoPackage", 4, false, false, false},  // checked before anything is made
    {"CopyStopped", 5, true, true, true},
    {"HostRunning", 6, false, false, false},
    // Written ahead, a record that cannot be written stops the install: 8.
    {"RecordNotWritten", 8, true, false, false},
};

class InstallLeaves : public UninstallRunTest, public testing::WithParamInterface<InstallEnd> {};

TEST_P(InstallLeaves, RecordAndEntry) {
  const InstallEnd& e = GetParam();
  if (e.exitCode == 4) {
    ASSERT_TRUE(testing_support::RemoveTree("C:\\pkg\\Data"));
  }
  if (e.exitCode == 5 || e.exitCode == 8) {
    const std::string held = kFolder + (e.exitCode == 5 ? "\\readme.txt" : "\\Uninstall.dat");
    SimFiles::Get().AddFile(held, "old");
    SimFiles::Get().SetHeldOpen(held, true);
    // As an earlier install left it, locked: used as it is.
    *SimFiles::Get().Security(kFolder) = {platform::kSidAdministrators, true, LockedDacl()};
  }
  if (e.exitCode == 6) platform::sim::SimProcesses::Get().SetProcesses({"zwcad.exe"});
  EXPECT_EQ(Run(kSetUp, "/S"), e.exitCode);
  std::string record;
  EXPECT_EQ(testing_support::ReadFile(kFolder + "\\Uninstall.dat", &record), e.record);
  EXPECT_EQ(SimFiles::Get().Find(kUninstaller) != nullptr, e.uninstaller);
  EXPECT_EQ(Value("UninstallString") != "<none>", e.entry);  // a complete entry
  if (e.exitCode == 8) {
    EXPECT_EQ(record, "old");  // the file held: never replaced
  }
  if (e.exitCode == 5) {  // copied before the held file: the module; never the fonts
    EXPECT_EQ(record, "Tarnwell install record 2\r\nfolder\tC:\\Korvex\\Tarnwell\r\n"
                      "created\tC:\\Korvex\\Tarnwell\\Korvex扩展绘图库\r\n"
                      "file\tC:\\Korvex\\Tarnwell\\Korvex2021.ZRX\r\n"
                      "intent-file\tC:\\Korvex\\Tarnwell\\readme.txt\r\n"
                      "intent-library\tC:\\Korvex\\Tarnwell\\Korvex扩展绘图库\\a.dwg\r\nend\r\n");
  }
  if (e.entry) {
    EXPECT_EQ(Value("DisplayName"), "Tarnwell软件");
    EXPECT_EQ(Value("DisplayVersion"), "2026.05.12");
    EXPECT_EQ(Value("InstallDate"), "20261208");
    EXPECT_EQ(Value("QuietUninstallString"), "\"" + kUninstaller + "\" /S");
  }
}

INSTANTIATE_TEST_SUITE_P(Ends, InstallLeaves, testing::ValuesIn(kEnds), CaseName());

}  // namespace
