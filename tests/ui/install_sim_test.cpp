// The whole install behind the Install button, natively: the setup dialog
// runs against the simulated dialog manager, registry, file system and
// process list, and a scripted user types a path, presses Install and
// answers the boxes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "common/security_print.h"
#include "framework/dialog.h"
#include "host/host_registry.h"
#include "install/folder_lock.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "install/install_session.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "install/install_paths.h"
#include "ui/folder_path.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"
#include "record/apps_entry.h"

using platform::sim::MessageBoxRecord;
using platform::sim::SimFiles;
using platform::sim::SimProcesses;
using platform::sim::SimSystem;
using platform::sim::SimUi;
using platform::sim::SimWindow;

namespace {

const std::string kZw = "SOFTWARE\\ZWSOFT\\";
const std::string kKey2024 = kZw + "ZWCAD\\2024\\zh-CN";
const std::string kKey2025 = kZw + "ZWCADM\\2025";
const char* const kDone = "安装完成，重启CAD即可使用 !";
const char* const kCloseHost = "请关闭CAD后再进行安装 !";
const char* const kSetupCaption = "Tarnwell软件安装";
const char* const kToolboxCaption = "Tarnwell工具箱安装";
const std::string kLibrary = "Korvex扩展绘图库";

// What the user saw and what the install left behind.
struct Outcome {
  int result = 0;  // how the dialog closed: 1 OK, 2 Cancel, 0 left open
  int exitCode = -1;
  std::vector<MessageBoxRecord> boxes;
  int progressAtDone = -1, rangeMaxAtDone = -1;
  bool progressModeAtDone = false;
};

class InstallTest : public testing::Test {
 protected:
  void SetUp() override {
    g_hostRegistry = CHostRegistry();
    g_warnHostRunning = true;
    SimFiles& fs = SimFiles::Get();
    fs.AddDrive('D');
    fs.AddDrive('E');
    fs.SetExecutablePath("C:\\pkg\\SetUp.exe");
    fs.AddFile("C:\\pkg\\SetUp.exe", "MZ SetUp");  // copied as the uninstaller
    ASSERT_TRUE(platform::HoldRunningImage());        // as the program does at its start
    const std::string data = "C:\\pkg\\Data\\";
    for (const char* f : {"SetUp.exe", "Korvex2021.ZRX", "Korvex2025.ZRX", "Korvex_EN.shx",
                          "Korvex_HZ.shx", "README", "readme.txt"})
      fs.AddFile(data + f, f);
    fs.AddFile(data + kLibrary + "\\a.dwg", "a");
    fs.AddFile(data + kLibrary + "\\b.dwg", "b");
    fs.AddFile(data + kLibrary + "\\sub\\c.dwg", "c");
    fs.AddFolder("C:\\ZW2024\\Fonts");
    fs.AddFolder("C:\\ZW2025\\Fonts");
    fs.AddFolder("C:\\Temp");
    fs.AddFolder("C:\\Program Files");
    ASSERT_TRUE(testing_support::WriteTree(
        {testing_support::Sz(kKey2024, "C:\\ZW2024\\"), testing_support::Sz(kKey2025, "C:\\ZW2025")}));
  }
  void TearDown() override {
    g_hostRegistry = CHostRegistry();
    g_warnHostRunning = true;
  }

  // Runs SetUp with a user who does `act` and answers copy prompts with
  // `copyAnswer`.
  Outcome Run(std::function<void()> act, int copyAnswer = platform::kIdIgnore) {
    Outcome out;
    SimUi::Get().SetAnswerer([&, copyAnswer](const MessageBoxRecord& box) {
      if (box.caption == kToolboxCaption) {  // the closing box, whole or partial
        const SimWindow* bar = SimUi::Get().Control(kIdProgress);
        out.progressAtDone = bar->progress.pos;
        out.rangeMaxAtDone = bar->progress.rangeMax;
        out.progressModeAtDone = bar->visible && !SimUi::Get().Control(kIdInstallPath)->visible &&
                                 !SimUi::Get().Control(kIdBrowse)->visible &&
                                 !SimUi::Get().Control(kIdPathLabel)->visible;
      }
      return (box.type & 0x0F) == platform::kMbAbortRetryIgnore ? copyAnswer : platform::kIdOk;
    });
    SimUi::Get().SetUser(std::move(act));
    EXPECT_FALSE(theApp.RunSetup());
    out.result = SimUi::Get().Runs().empty() ? -1 : SimUi::Get().Runs().back().result;
    out.boxes = SimUi::Get().Boxes();
    out.exitCode = theApp.ExitCode();
    return out;
  }
  static std::function<void()> Install(const std::string& path) {
    return [path] {
      EXPECT_TRUE(SimUi::Get().Type(kIdInstallPath, path));
      EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
    };
  }
  // Folders created, in order (every CreateDirectoryA call).
  static std::vector<std::string> Creations() {
    std::vector<std::string> out;
    for (const std::string& call : SimFiles::Get().Log())
      if (call.rfind("CreateDirectoryA ", 0) == 0) out.push_back(call.substr(17));
    return out;
  }
  static std::string Loader(const std::string& key, int year) {
    std::uint32_t type = 0;
    std::string data;
    if (!testing_support::ReadValue(key + "\\Applications\\Korvex" + std::to_string(year), "LOADER",
                                    &type, &data))
      return "<none>";
    EXPECT_EQ(type, platform::kRegSz);
    return data;
  }
  static bool Exists(const std::string& path) { return SimFiles::Get().Find(path) != nullptr; }
  // Runs SetUp.exe with these arguments; its exit code.
  static int RunWith(const std::string& arguments) {
    SimSystem::Get().SetCommandLine("\"C:\\pkg\\SetUp.exe\" " + arguments);
    EXPECT_FALSE(theApp.RunSetup());
    return theApp.ExitCode();
  }
  // The log's lines without their time stamps ("YYYY-MM-DD HH:MM:SS+08:00 ").
  static std::vector<std::string> LogLines(const std::string& file, bool stamps = false) {
    std::string text;
    EXPECT_TRUE(testing_support::ReadFile(file, &text)) << file;
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
      lines.push_back(text.substr(pos + (stamps ? 0 : 26), end - pos - (stamps ? 0 : 26)));
    return lines;
  }
};

TEST_F(InstallTest, DefaultInstallCopiesRegistersAndDeploysFonts) {
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); });
  EXPECT_EQ(out.result, 1);
  EXPECT_EQ(out.exitCode, 0);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].text, kDone);
  EXPECT_EQ(out.boxes[0].caption, kToolboxCaption);
  EXPECT_EQ(out.boxes[0].type, platform::kMbOk);
  EXPECT_EQ(out.progressAtDone, 50);
  EXPECT_EQ(out.rangeMaxAtDone, 50);
  EXPECT_TRUE(out.progressModeAtDone);
  const std::vector<std::string> created = Creations();
  ASSERT_GE(created.size(), 2u);
  EXPECT_EQ(created[0], "C:\\Korvex");
  EXPECT_EQ(created[1], "C:\\Korvex\\Tarnwell");
  EXPECT_EQ(SimFiles::Get().List("C:\\Korvex\\Tarnwell"),
            (std::vector<std::string>{"Korvex2021.ZRX", "Korvex2025.ZRX", kLibrary, "readme.txt",
                                      "Uninstall.dat", "Uninstall.exe"}));
  EXPECT_EQ(SimFiles::Get().List("C:\\Korvex\\Tarnwell\\" + kLibrary),
            (std::vector<std::string>{"a.dwg", "b.dwg"}));
  EXPECT_EQ(Loader(kKey2024, 2024), std::string("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX") + '\0');
  EXPECT_EQ(Loader(kKey2025, 2025), std::string("C:\\Korvex\\Tarnwell\\Korvex2025.ZRX") + '\0');
  for (const char* fonts : {"C:\\ZW2024\\Fonts", "C:\\ZW2025\\Fonts"})
    EXPECT_EQ(SimFiles::Get().List(fonts),
              (std::vector<std::string>{"Korvex_EN.shx", "Korvex_HZ.shx"}));
}

TEST_F(InstallTest, UntickedYearGetsNeitherLoaderNorFonts) {
  const Outcome out = Run([] {
    EXPECT_TRUE(SimUi::Get().Click(YearBoxId(2025)));  // untick 2025
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
  });
  EXPECT_EQ(out.result, 1);
  EXPECT_NE(Loader(kKey2024, 2024), "<none>");
  EXPECT_EQ(Loader(kKey2025, 2025), "<none>");
  EXPECT_TRUE(SimFiles::Get().List("C:\\ZW2025\\Fonts").empty());
}

TEST_F(InstallTest, RunningHostWarnsOnceThenTheSecondPressInstalls) {
  SimProcesses::Get().SetProcesses({"explorer.exe", "ZWCAD.EXE"});
  const Outcome out = Run([] {
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
    // Only the warning: nothing created, the dialog still in input mode.
    EXPECT_TRUE(Creations().empty());
    EXPECT_TRUE(SimUi::Get().Control(kIdInstallPath)->visible);
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
  });
  EXPECT_EQ(out.result, 1);
  EXPECT_EQ(out.exitCode, 0);
  ASSERT_EQ(out.boxes.size(), 2u);
  EXPECT_EQ(out.boxes[0].text, kCloseHost);
  EXPECT_EQ(out.boxes[0].caption, kSetupCaption);
  EXPECT_EQ(out.boxes[1].text, kDone);
  EXPECT_EQ(SimProcesses::Get().SnapshotsTaken(), 1) << "asked once, never after the warning";
}

TEST_F(InstallTest, EmptyPathIsAnInvalidArgumentAndInstallStaysUsable) {
  const Outcome out = Run([] {
    EXPECT_TRUE(SimUi::Get().Type(kIdInstallPath, ""));
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
    EXPECT_TRUE(Creations().empty());
    EXPECT_TRUE(SimUi::Get().Control(kIdInstall)->enabled);
    EXPECT_TRUE(SimUi::Get().Control(kIdInstallPath)->visible);
    EXPECT_TRUE(SimUi::Get().Type(kIdInstallPath, "D:\\Kx"));
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
  });
  EXPECT_EQ(out.result, 1);
  ASSERT_EQ(out.boxes.size(), 2u);
  EXPECT_EQ(out.boxes[0].text, platform::InvalidArgumentText());
  EXPECT_EQ(out.boxes[0].caption, "SetUp");
  EXPECT_EQ(out.boxes[0].type, platform::kMbIconStop);
  EXPECT_EQ(out.boxes[1].text, kDone);
  EXPECT_TRUE(Exists("D:\\Kx\\Tarnwell\\Korvex2021.ZRX"));
}

TEST_F(InstallTest, AbortInACopyPromptStopsBeforeLibraryRegistryAndFonts) {
  SimFiles::Get().AddFile("C:\\Korvex\\Tarnwell\\Korvex2025.ZRX", "old");
  SimFiles::Get().SetHeldOpen("C:\\Korvex\\Tarnwell\\Korvex2025.ZRX", true);
  // An earlier install's folder, locked: used as it is.
  *SimFiles::Get().Security("C:\\Korvex\\Tarnwell") = {platform::kSidAdministrators, true, LockedDacl()};
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); }, platform::kIdAbort);
  EXPECT_EQ(out.result, 2);
  EXPECT_EQ(out.exitCode, 5);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].caption, kSetupCaption);
  EXPECT_NE(out.boxes[0].text.find("C:\\Korvex\\Tarnwell\\Korvex2025.ZRX"), std::string::npos);
  EXPECT_TRUE(Exists("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX")) << "copied before the failure";
  EXPECT_FALSE(Exists("C:\\Korvex\\Tarnwell\\readme.txt")) << "the listing is not continued";
  // Made with the folders before the copy, and left empty.
  EXPECT_TRUE(SimFiles::Get().List("C:\\Korvex\\Tarnwell\\" + kLibrary).empty());
  EXPECT_EQ(Loader(kKey2024, 2024), "<none>");
  EXPECT_TRUE(SimFiles::Get().List("C:\\ZW2024\\Fonts").empty());
}

TEST_F(InstallTest, EveryMissingFolderIsMadeOnceAndRecorded) {
  // Neither E:\New nor anything below it exists: all are made, top down,
  // each once, and the record names each as made by the install.
  const Outcome out = Run(Install("E:\\New\\Deep"));
  EXPECT_EQ(out.result, 1);
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_EQ(Creations(), (std::vector<std::string>{"E:\\New", "E:\\New\\Deep", "E:\\New\\Deep\\Tarnwell",
                                                   "E:\\New\\Deep\\Tarnwell\\" + kLibrary}));
  std::string record;
  ASSERT_TRUE(testing_support::ReadFile("E:\\New\\Deep\\Tarnwell\\Uninstall.dat", &record));
  for (const char* made : {"created\tE:\\New\r\n", "created\tE:\\New\\Deep\r\n"})
    EXPECT_NE(record.find(made), std::string::npos) << made;
}

// A file given up with Ignore: the install goes to its end, in part, and
// the closing box says so and names the log that the run keeps.
TEST_F(InstallTest, IgnoreEndsInPartWithItsBox) {
  SimFiles::Get().AddFile("C:\\Korvex\\Tarnwell\\readme.txt", "old");
  SimFiles::Get().SetHeldOpen("C:\\Korvex\\Tarnwell\\readme.txt", true);
  *SimFiles::Get().Security("C:\\Korvex\\Tarnwell") = {platform::kSidAdministrators, true, LockedDacl()};
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); }, platform::kIdIgnore);
  EXPECT_EQ(out.exitCode, 8);
  ASSERT_EQ(out.boxes.size(), 2u);
  EXPECT_EQ(out.boxes[1].caption + out.boxes[1].text,
            std::string(kToolboxCaption) + "安装未全部完成，部分文件或设置未能写入 !\n\n请查看日志：C:\\Temp\\TarnwellSetup.log");
  EXPECT_EQ(out.progressAtDone, 50);
  EXPECT_EQ(LogLines("C:\\Temp\\TarnwellSetup.log").back(), "exit code 8: " + std::string(ExitCodeMeaning(8)));
}

TEST_F(InstallTest, MissingPackageClosesAsCancelledAfterItsMessage) {
  ASSERT_TRUE(testing_support::RemoveTree("C:\\pkg\\Data"));
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); });
  EXPECT_EQ(out.result, 2);
  EXPECT_EQ(out.exitCode, 4);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].caption, kSetupCaption);
  EXPECT_EQ(out.boxes[0].text.rfind("未找到安装所需的Data文件夹 !", 0), 0u);
  EXPECT_EQ(Loader(kKey2024, 2024), "<none>");
}

TEST_F(InstallTest, CrowdedPackageClosesAsCancelledAfterItsMessage) {
  for (int i = 0; i < 100; ++i) SimFiles::Get().AddFile("C:\\pkg\\Data\\f" + std::to_string(i) + ".txt");
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); });
  EXPECT_EQ(out.result, 2);
  EXPECT_EQ(out.exitCode, 9);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].text, kPackageDamagedText);
  EXPECT_FALSE(Exists("C:\\Korvex\\Tarnwell\\readme.txt"));
}

// The path the user typed, and where the install went.
struct PathCase {
  const char* name;
  std::string typed;
  std::vector<std::string> created;  // the first two folder creations
  std::string installFolder;         // the LOADER prefix
  std::string landed;                // the folder that holds the copied module
};

class InstallPath : public InstallTest, public testing::WithParamInterface<PathCase> {};

TEST_P(InstallPath, MakesTheFoldersAndRegistersTheModuleThere) {
  const PathCase& c = GetParam();
  const Outcome out = Run(Install(c.typed));
  EXPECT_EQ(out.result, 1);
  ASSERT_FALSE(out.boxes.empty());
  EXPECT_EQ(out.boxes.back().text, kDone);
  std::vector<std::string> created = Creations();
  created.resize(2);
  EXPECT_EQ(created, c.created);
  EXPECT_EQ(Loader(kKey2024, 2024), c.installFolder + "\\Korvex2021.ZRX" + '\0');
  EXPECT_TRUE(Exists(c.landed + "\\Korvex2021.ZRX")) << c.landed;
}

const std::string k5C = "\x81\x5c";  // a GBK character whose second byte is "\"

INSTANTIATE_TEST_SUITE_P(
    Paths, InstallPath,
    testing::Values(
        PathCase{"Default", "C:\\Korvex", {"C:\\Korvex", "C:\\Korvex\\Tarnwell"},
                 "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell"},
        PathCase{"TrailingSeparator", "C:\\Korvex\\", {"C:\\Korvex", "C:\\Korvex\\Tarnwell"},
                 "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell"},
        PathCase{"DriveRoot", "D:\\", {"D:\\Tarnwell", "D:\\Tarnwell\\" + kLibrary}, "D:\\Tarnwell",
                 "D:\\Tarnwell"},
        // Made full once: the same folders, named in one form everywhere.
        PathCase{"TwoTrailingSeparators", "C:\\Korvex\\\\",
                 {"C:\\Korvex", "C:\\Korvex\\Tarnwell"}, "C:\\Korvex\\Tarnwell",
                 "C:\\Korvex\\Tarnwell"},
        PathCase{"SlashesAndDots", "C:/Korvex/./sub/..//",
                 {"C:\\Korvex", "C:\\Korvex\\Tarnwell"}, "C:\\Korvex\\Tarnwell",
                 "C:\\Korvex\\Tarnwell"},
        PathCase{"Relative", "Kx", {"C:\\Kx", "C:\\Kx\\Tarnwell"}, "C:\\Kx\\Tarnwell",
                 "C:\\Kx\\Tarnwell"},
        PathCase{"EndsInSecondByte5C", "C:\\Korvex" + k5C,
                 {"C:\\Korvex" + k5C, "C:\\Korvex" + k5C + "\\Tarnwell"},
                 "C:\\Korvex" + k5C + "\\Tarnwell", "C:\\Korvex" + k5C + "\\Tarnwell"},
        PathCase{"SecondByte5CThenSeparator", "C:\\Korvex" + k5C + "\\",
                 {"C:\\Korvex" + k5C, "C:\\Korvex" + k5C + "\\Tarnwell"},
                 "C:\\Korvex" + k5C + "\\Tarnwell", "C:\\Korvex" + k5C + "\\Tarnwell"},
        PathCase{"LongestThatFits", "C:\\" + std::string(230, 'k'),
                 {"C:\\" + std::string(230, 'k'), "C:\\" + std::string(230, 'k') + "\\Tarnwell"},
                 "C:\\" + std::string(230, 'k') + "\\Tarnwell",
                 "C:\\" + std::string(230, 'k') + "\\Tarnwell"}),
    CaseName());

TEST_F(InstallTest, TooLongAPathIsRefusedBeforeAnythingIsCreated) {
  const Outcome out = Run([] {
    EXPECT_TRUE(SimUi::Get().Type(kIdInstallPath, "C:\\" + std::string(231, 'k')));  // 234 bytes
    EXPECT_TRUE(SimUi::Get().Click(kIdInstall));
    EXPECT_TRUE(Creations().empty());
    EXPECT_TRUE(SimUi::Get().Control(kIdInstallPath)->visible);
    EXPECT_TRUE(SimUi::Get().Escape());
  });
  EXPECT_EQ(out.result, 2);
  EXPECT_EQ(out.exitCode, 2);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].text, "安装路径太长 !\n\n请选择较短的安装路径后再安装 !");
  EXPECT_EQ(out.boxes[0].caption, kSetupCaption);
  EXPECT_EQ(Loader(kKey2024, 2024), "<none>");
}

// --- The command line --------------------------------------------------------

// Without /S a log is written only when /LOG= names one; the dialog's
// install goes into it as the silent one does.
TEST_F(InstallTest, InteractiveRunLogsOnlyWithTheLogSwitch) {
  SimSystem::Get().SetCommandLine("\"C:\\pkg\\SetUp.exe\" /log=C:\\Temp\\dialog.log");
  const Outcome out = Run([] { EXPECT_TRUE(SimUi::Get().Click(kIdInstall)); });
  EXPECT_EQ(out.exitCode, 0);
  EXPECT_FALSE(Exists("C:\\Temp\\TarnwellSetup.log"));
  const std::vector<std::string> lines = LogLines("C:\\Temp\\dialog.log");
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "command line: \"C:\\pkg\\SetUp.exe\" /log=C:\\Temp\\dialog.log");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "copied C:\\pkg\\Data\\readme.txt -> C:\\Korvex\\Tarnwell\\readme.txt"),
            lines.end());
  EXPECT_EQ(lines.back(), "exit code 0: installed");
}

// What fails beyond the package copy is silent for the person and goes into
// the log: a font that cannot be replaced, a host key removed meanwhile.
TEST_F(InstallTest, SilentLogsWhatFailedBeyondTheCopy) {
  SimFiles::Get().AddFile("C:\\ZW2025\\Fonts\\Korvex_HZ.shx", "theirs", platform::kAttrReadOnly);
  // Another program removes the 2024 host key while the loaders are written.
  platform::sim::SimRegistry::Get().SetCallHook([](const char* operation) {
    const auto* record = SimFiles::Get().Find("C:\\Korvex\\Tarnwell\\Uninstall.dat");
    if (std::string(operation) == "RegCreateKeyExA REG_OPTION_OPEN_LINK" && record &&
        record->data.find("phase\tloaders") != std::string::npos)
      platform::sim::SimRegistry::Get().RemoveTree(kKey2024);
  });
  EXPECT_EQ(RunWith("/S"), 8);  // the install goes to its end, in part
  const std::vector<std::string> lines = LogLines("C:\\Temp\\TarnwellSetup.log");
  const auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("loader key not written: HKLM\\" + kKey2024 + "\\Applications\\Korvex2024: error 1018: "
                  "Illegal operation attempted on a registry key that has been marked for deletion."));
  EXPECT_TRUE(has("font not copied C:\\pkg\\Data\\Korvex_HZ.shx -> C:\\ZW2025\\Fonts\\Korvex_HZ.shx: "
                  "error 5: Access is denied."));
  // Neither is recorded: the uninstall must not delete what it did not write.
  std::string record;
  ASSERT_TRUE(testing_support::ReadFile("C:\\Korvex\\Tarnwell\\Uninstall.dat", &record));
  EXPECT_EQ(record.find("\nloader\t" + kKey2024), std::string::npos) << record;  // an intent at most
  EXPECT_EQ(record.find("\nfont\tC:\\ZW2025\\Fonts\\Korvex_HZ.shx"), std::string::npos) << record;
  EXPECT_NE(record.find("font\tC:\\ZW2025\\Fonts\\Korvex_EN.shx\t"), std::string::npos) << record;
}

// The host's Applications key takes no subkey: the loader key is not
// written, the install ends in part, and nothing of that key is recorded.
TEST_F(InstallTest, LoaderKeyNotWrittenIsPartial) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Key(kKey2024 + "\\Applications")}));
  ASSERT_TRUE(platform::sim::SimRegistry::Get().SetDenied(kKey2024 + "\\Applications", true));
  EXPECT_EQ(RunWith("/S"), kExitPartial);
  platform::sim::SimRegistry::Get().SetDenied(kKey2024 + "\\Applications", false);
  EXPECT_EQ(Loader(kKey2024, 2024), "<none>");
  EXPECT_NE(Loader(kKey2025, 2025), "<none>");
  std::string record;
  ASSERT_TRUE(testing_support::ReadFile("C:\\Korvex\\Tarnwell\\Uninstall.dat", &record));
  EXPECT_EQ(record.find("\nloader\t" + kKey2024), std::string::npos) << record;
  EXPECT_EQ(record.find("\napplications\t" + kKey2024), std::string::npos) << record;
  EXPECT_NE(record.find("applications\t" + kKey2025 + "\\Applications\r\n"), std::string::npos) << record;
}

// No interactive desktop (a service started SetUp.exe without /S): exit 10
// at once, no window, no box, nothing created; the same when the dialog
// cannot be created. Only the simulation has an invisible window station.
TEST_F(InstallTest, NoDesktopEndsTenBeforeAnyWindow) {
  SimUi::Get().SetVisibleStation(false);
  for (const char* arguments : {"", "/?", "/YEARS=2020"}) {
    EXPECT_EQ(RunWith(arguments), *arguments == '/' && arguments[1] == 'Y' ? 1 : 10) << arguments;
    EXPECT_TRUE(SimUi::Get().Boxes().empty() && SimUi::Get().Runs().empty()) << arguments;
    EXPECT_TRUE(Creations().empty()) << arguments;
  }
}

// The default log's name held by another process (a temporary folder that
// all may write): the log takes a name of its own beside it.
TEST_F(InstallTest, DefaultLogHeldTakesANameBesideIt) {
  SimFiles::Get().AddFile("C:\\Temp\\TarnwellSetup.log", "theirs");
  SimFiles::Get().SetHeldOpen("C:\\Temp\\TarnwellSetup.log", true);
  EXPECT_EQ(RunWith("/S"), 0);
  EXPECT_EQ(LogLines("C:\\Temp\\TarnwellSetup-1.log").back(), "exit code 0: installed");
  SimFiles::Get().SetHeldOpen("C:\\Temp\\TarnwellSetup.log", false);
}

// The image that runs differs from the file at its path (replaced before
// the program could open it): no uninstaller, no Apps & Features entry, and
// the install ends as installed in part.
TEST_F(InstallTest, ImageReplacedBeforeTheStartGivesNoUninstaller) {
  SimFiles::Get().SetMappedImage("MZ the image that runs");
  EXPECT_EQ(RunWith("/S"), kExitPartial);
  EXPECT_FALSE(Exists("C:\\Korvex\\Tarnwell\\Uninstall.exe"));
  EXPECT_TRUE(Exists("C:\\Korvex\\Tarnwell\\Uninstall.dat"));
  std::string folder;  // only the provisional entry: nothing to start
  std::vector<std::string> made;
  EXPECT_EQ(ReadAppsEntryState(&folder, &made), EntryState::kProvisional);
  EXPECT_EQ(folder, "C:\\Korvex\\Tarnwell");
  EXPECT_EQ(made.size(), 3u);  // the chosen, install and library folders
  const std::vector<std::string> lines = LogLines("C:\\Temp\\TarnwellSetup.log");
  EXPECT_EQ(lines.at(2).rfind("the running image cannot be held", 0), 0u) << lines.at(2);
}

// Who held the folders on the way and the install folder before the install,
// and the owner and DACL the install leaves. Only the simulation can show
// them: Wine accepts the calls and stores nothing. One row per attack.
struct Kept {
  std::string path;
  std::optional<platform::FileSecurity> security;  // none: as it was before
};
struct LockCase {
  const char* name;
  std::function<void()> before;
  std::string typed;  // the chosen folder
  bool installs;      // or refused, nothing created, the dialog left open
  std::vector<Kept> after;
  std::vector<std::string> absent;   // paths that must not exist afterwards
  std::string recorded;              // a line the install record holds
  std::string unrecorded = "";       // a line it must not hold
};
void PrintTo(const LockCase& c, std::ostream* os) { *os << c.name; }

class InstallLock : public InstallTest, public testing::WithParamInterface<LockCase> {};

using namespace platform;
const char* const kOther = "S-1-5-21-9-9-9-1002";  // another user of the machine
const std::string kTw = "C:\\Korvex\\Tarnwell";
const std::string kEvil = "C:\\Users\\evil\\t";
const std::string kConfig = "C:\\Windows\\System32\\config";
const FileSecurity kLocked = {kSidAdministrators, true, LockedDacl()};

void SetSecurity(const std::string& path, const std::string& owner, std::vector<Ace> dacl) {
  *SimFiles::Get().Security(path) = {owner, true, std::move(dacl)};
}
Ace Full(const char* sid, std::uint8_t flags = kAceInheritAll) {
  return {kAceAllow, flags, kAccessFull, sid};
}
void OtherUsersTarnwell() {
  SimFiles::Get().AddFile(kTw + "\\planted.dll", "evil");
  SetSecurity(kTw, kOther, {Full(kOther)});
  SetSecurity(kTw + "\\planted.dll", kOther, {Full(kOther, 0)});
}

TEST_P(InstallLock, TrustsTightensOrRefusesBeforeAnythingIsCreated) {
  const LockCase& c = GetParam();
  c.before();
  std::vector<FileSecurity> expected;
  for (const Kept& k : c.after)
    expected.push_back(k.security ? *k.security : *SimFiles::Get().Security(k.path));
  const std::vector<std::string> tree = testing_support::Tree("C:\\");
  const Outcome out = Run([&] {
    Install(c.typed)();
    if (!c.installs) {
      std::vector<std::string> now = testing_support::Tree("C:\\");
      now.erase(std::remove(now.begin(), now.end(), "Temp\\TarnwellSetup.log"), now.end());
      EXPECT_EQ(now, tree) << "nothing created but the run's log";
      EXPECT_TRUE(SimUi::Get().Control(kIdInstallPath)->visible);
      EXPECT_TRUE(SimUi::Get().Escape());
    }
  });
  ASSERT_FALSE(out.boxes.empty());
  EXPECT_EQ(out.boxes.back().text, c.installs ? kDone : "安装路径不安全，请选择其他安装路径 !");
  EXPECT_EQ(out.result, c.installs ? 1 : 2);
  for (std::size_t i = 0; i < c.after.size(); ++i) {
    ASSERT_TRUE(SimFiles::Get().Security(c.after[i].path)) << c.after[i].path;
    EXPECT_EQ(*SimFiles::Get().Security(c.after[i].path), expected[i]) << c.after[i].path;
  }
  for (const std::string& path : c.absent) EXPECT_FALSE(Exists(path)) << path;
  EXPECT_TRUE(SimFiles::Get().Token().enabled.empty()) << "privileges disabled again";
  std::string record;
  if (!c.recorded.empty()) {
    const std::string folder = c.typed + "\\Tarnwell\\Uninstall.dat";
    EXPECT_TRUE(testing_support::ReadFile(folder, &record));
    EXPECT_NE(record.find(c.recorded + "\r\n"), std::string::npos) << record;
    if (!c.unrecorded.empty()) {
      EXPECT_EQ(record.find(c.unrecorded + "\r\n"), std::string::npos) << record;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, InstallLock,
    testing::Values(
        LockCase{"NewFoldersAreBornLocked", [] {}, "C:\\Korvex", true,
                 {{"C:\\Korvex", kLocked}, {kTw, kLocked}, {kTw + "\\" + kLibrary, kLocked},
                  {"C:\\", {}}},
                 {}, "created\tC:\\Korvex"},
        LockCase{"PickerFolderIsLockedAndCountsAsMade",
                 [] { ASSERT_EQ(CheckFolderPath("C:\\Picked\\New", false), kFolderValid); },
                 "C:\\Picked\\New", true,
                 {{"C:\\Picked", kLocked}, {"C:\\Picked\\New", kLocked}}, {},
                 "created\tC:\\Picked\\New"},
        LockCase{"TrustedChosenFolderStaysAsItIs",
                 [] {
                   SimFiles::Get().AddFolder("C:\\Korvex");
                   SetSecurity("C:\\Korvex", kSidTrustedInstaller,
                               {Full(kSidSystem), Full(kSidAdministrators),
                                {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers}});
                 },
                 "C:\\Korvex", true, {{"C:\\Korvex", {}}}, {}, ""},
        LockCase{"FolderOfTheEarlierInstallerIsTightened",
                 [] { SimFiles::Get().AddFolder("C:\\Korvex"); }, "C:\\Korvex", true,
                 {{"C:\\Korvex",
                   FileSecurity{kSidAdministrators, true,
                                {Full(kSidAdministrators), Full(kSidSystem),
                                 {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers},
                                 {kAceAllow, kAceInheritAll | kAceInheritOnly, kAccessModify,
                                  kSidAuthenticatedUsers},
                                 {kAceAllow, 0, 0x1201BF, kSidAuthenticatedUsers}}}}},
                 {}, ""},
        LockCase{"OwnedByAnotherUser",
                 [] {
                   SimFiles::Get().AddFolder("C:\\Korvex");
                   SetSecurity("C:\\Korvex", kOther, {Full(kSidAdministrators)});
                 },
                 "C:\\Korvex", false, {}, {kTw}, ""},
        LockCase{"AnotherUserMayWriteTheDacl",
                 [] {
                   SimFiles::Get().AddFolder("C:\\Korvex");
                   SetSecurity("C:\\Korvex", kSidAdministrators,
                               {Full(kSidAdministrators), {kAceAllow, 0, kAccessWriteDac, kOther}});
                 },
                 "C:\\Korvex", false, {}, {kTw}, ""},
        LockCase{"HeldOpenForRenaming",
                 [] { SimFiles::Get().AddFolder("C:\\Korvex")->heldForDelete = true; },
                 "C:\\Korvex", false, {}, {kTw}, ""},
        LockCase{"OwnedByAnotherUserHigherUp",
                 [] {
                   SimFiles::Get().AddFolder("C:\\a\\b");
                   SetSecurity("C:\\a", kOther, {Full(kOther)});
                   SetSecurity("C:\\a\\b", kSidAdministrators, LockedDacl());
                 },
                 "C:\\a\\b", false, {}, {"C:\\a\\b\\Tarnwell"}, ""},
        LockCase{"LinkOnTheWay", [] { SimFiles::Get().AddLink("C:\\Korvex", kEvil, true); },
                 "C:\\Korvex", false, {}, {kEvil + "\\Tarnwell"}, ""},
        LockCase{"LockedEarlierInstallIsUsed",
                 [] {
                   SimFiles::Get().AddFile(kTw + "\\old.dll", "old");
                   SetSecurity("C:\\Korvex", kSidAdministrators, LockedDacl());
                   SetSecurity(kTw, kSidAdministrators, LockedDacl());
                 },
                 "C:\\Korvex", true, {{kTw, {}}, {kTw + "\\old.dll", {}}}, {kTw + ".old"}, ""},
        LockCase{"OtherUsersTarnwellIsReplaced", OtherUsersTarnwell, "C:\\Korvex", true,
                 {{kTw, kLocked}}, {kTw + "\\planted.dll", kTw + ".old"}, ""},
        // Its record is evidence of nothing: the uninstall would remove a
        // C:\Korvex that was there before the install.
        LockCase{"EarlierInstallersTarnwellIsReplacedAndItsRecordIgnored",
                 [] {
                   SimFiles::Get().AddFile(kTw + "\\Uninstall.dat",
                                           "Tarnwell install record 1\r\nfolder\t" + kTw +
                                               "\r\ncreated\tC:\\Korvex\r\nend\r\n");
                 },
                 "C:\\Korvex", true, {{kTw, kLocked}}, {kTw + ".old"}, "created\t" + kTw,
                 "created\tC:\\Korvex"},
        LockCase{"LinkInPlaceOfTarnwell",
                 [] {
                   SimFiles::Get().AddFile(kEvil + "\\keep.txt");
                   SimFiles::Get().AddLink(kTw, kEvil, true);
                 },
                 "C:\\Korvex", true, {{kTw, kLocked}, {kEvil + "\\keep.txt", {}}},
                 {kEvil + "\\Korvex2021.ZRX", kTw + ".old"}, ""},
        LockCase{"LinksInsideAreRemovedAsLinks",
                 [] {
                   SimFiles& fs = SimFiles::Get();
                   fs.AddFile(kConfig + "\\SAM", "hive");
                   SetSecurity(kConfig, kSidSystem, {Full(kSidSystem)});
                   OtherUsersTarnwell();
                   fs.AddLink(kTw + "\\cfg", kConfig, true);
                   fs.AddHardLink(kConfig + "\\SAM", kTw + "\\sub\\sam");
                 },
                 "C:\\Korvex", true,
                 {{kTw, kLocked}, {kConfig, {}}, {kConfig + "\\SAM", {}}}, {kTw + ".old"}, ""},
        LockCase{"HandleHeldInsideTarnwell",
                 [] {
                   OtherUsersTarnwell();
                   SimFiles::Get().SetHeldOpen(kTw + "\\planted.dll", true);
                 },
                 "C:\\Korvex", false, {{kTw, {}}}, {kTw + ".old", kTw + "\\Korvex2021.ZRX"}, ""},
        // The root is refused, never changed, where others may delete or
        // rename what it holds.
        LockCase{"RootGivesEveryoneDeleteChild",
                 [] {
                   SimFiles::Get().Security("C:\\")->dacl.push_back(
                       {kAceAllow, 0, kAccessDeleteChild, kSidEveryone});
                 },
                 "C:\\Korvex", false, {{"C:\\", {}}}, {"C:\\Korvex"}, ""},
        LockCase{"VolumeWithoutSecurity", [] { SimFiles::Get().Find("D:\\")->noSecurity = true; },
                 "D:\\Kx", false, {}, {"D:\\Kx"}, ""},
        // GENERIC_ALL stands for WRITE_DAC and WRITE_OWNER too.
        LockCase{"AnotherUserHasGenericAll",
                 [] {
                   SimFiles::Get().AddFolder("C:\\Korvex");
                   SetSecurity("C:\\Korvex", kSidAdministrators,
                               {Full(kSidAdministrators), {kAceAllow, 0, kGenericAll, kOther}});
                 },
                 "C:\\Korvex", false, {}, {kTw}, ""},
        // The chosen folder made by somebody else, as a link, between the
        // check of the way and its creation: looked at again and refused.
        LockCase{"ChosenFolderAppearsAsALinkWhileMade",
                 [] {
                   SimFiles::Get().AddFolder(kEvil);
                   SimFiles::Get().beforeMakeFolder = [](const std::string& path) {
                     if (path == "D:\\Korvex") SimFiles::Get().AddLink(path, kEvil, true);
                   };
                 },
                 "D:\\Korvex", false, {}, {kEvil + "\\Tarnwell"}, ""},
        LockCase{"DriveRootIsTrusted", [] {}, "D:\\", true, {{"D:\\", {}}, {"D:\\Tarnwell", kLocked}},
                 {}, ""}),
    CaseName());

TEST_F(InstallTest, SilentRefusalIsExitSevenWithTheReasonInTheLog) {
  SimFiles::Get().AddFolder("C:\\Korvex");
  SetSecurity("C:\\Korvex", kOther, {Full(kOther)});
  EXPECT_EQ(RunWith("/S"), 7);
  EXPECT_FALSE(Exists(kTw));
  const std::vector<std::string> lines = LogLines("C:\\Temp\\TarnwellSetup.log");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "install path not safe: C:\\Korvex: owned by " + std::string(kOther)),
            lines.end());
}

// A registry link where the install writes a key: left alone, nothing
// written or deleted where it leads, the install ends in part.
class RegistryLink : public InstallTest, public testing::WithParamInterface<std::string> {};

TEST_P(RegistryLink, IsLeftAloneAndTheInstallEndsInPart) {
  const std::string victim = "SOFTWARE\\Victim";
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Sz(victim, "keep", "Kept")}));
  ASSERT_TRUE(platform::sim::SimRegistry::Get().AddLink(GetParam(), victim));
  EXPECT_EQ(RunWith("/S"), 8);
  std::uint32_t type = 0;
  std::string data;
  EXPECT_TRUE(testing_support::SubKeys(victim).empty()) << "created through the link";
  EXPECT_TRUE(testing_support::ReadValue(victim, "Kept", &type, &data)) << "deleted through the link";
  EXPECT_FALSE(testing_support::ReadValue(victim, "LOADER", &type, &data) ||
               testing_support::ReadValue(victim, "DisplayName", &type, &data));
}

INSTANTIATE_TEST_SUITE_P(Keys, RegistryLink,
                         testing::Values(kKey2024 + "\\Applications\\Korvex2024", kKey2024 + "\\Applications",
                                         std::string(kUninstallKeyParent) + "\\Tarnwell"));

}  // namespace
