// DLLs planted beside SetUp.exe. Each plant is the one DLL of
// tests/hardening/plant copied under a system DLL's name; a loaded plant
// writes C:\tarnwell-markers\<name>.txt. Wine is told to prefer a native DLL
// of each planted name (HKCU\Software\Wine\DllOverrides: an inherited
// WINEDLLOVERRIDES reaches only some names of a child process), so that
// nothing but the program's own way of loading keeps a plant out.
//
// Every name is planted. SetUp.exe imports only kernel32, msvcrt and
// advapi32, whose imports under Wine are none of these names; user32, gdi32
// and shell32 are delay-loaded and comctl32 is loaded explicitly, each from
// the system folder, after the entry point has restricted the search. (When
// user32 was imported, Wine's user32, which imports version.dll, took a
// planted version.dll before the entry point: docs/wine-notes.md.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "common/setup_scenarios.h"
#include "e2e/driver.h"
#include "ui/setup_template.h"

namespace {

constexpr int kTimeoutMs = 20000;
const char* const kCaption = "Tarnwell安装";
const char* const kDoneCaption = "Tarnwell工具箱安装";
const char* const kBrowserCaption = "请选择安装目录：";
constexpr int kBrowserTree = 14145;
const char* const kMarkers = "C:\\tarnwell-markers";
const char* const kPlantFolder = "C:\\plant";
const char* const kTarget = "C:\\plant-target";
const char* const kHostFolder = "C:\\ZW2024";
const char* const kOverridesKey = "Software\\Wine\\DllOverrides";
const char kNativeFirst[] = "native,builtin";

// System DLLs that are not always mapped from the system folder, which
// SetUp.exe, comctl32, the shell's folder browser or the loader may ask for.
const std::vector<std::string> kPlantNames = {
    "comctl32.dll", "version.dll",  "uxtheme.dll",  "dwmapi.dll",   "cryptbase.dll",
    "winmm.dll",    "propsys.dll",  "profapi.dll",  "dbghelp.dll",  "userenv.dll",
    "wtsapi32.dll", "msimg32.dll",  "oleacc.dll",   "textshaping.dll", "riched20.dll",
    "shfolder.dll", "netutils.dll", "secur32.dll",  "sspicli.dll",  "msi.dll",
    "cryptsp.dll"};

using e2e::WinPath;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Markers() { return testing_support::ListNames(kMarkers); }

std::string Joined(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& x : v) s += (s.empty() ? "" : " ") + x;
  return s;
}

// One planted folder: the executable under test, the plants, and the
// override that makes Wine take a native DLL of each planted name.
class PlantedFolder : public testing::Test {
 protected:
  void SetUp() override {
    testing_support::RemoveTree(kMarkers);
    testing_support::RemoveTree(kPlantFolder);
    ASSERT_TRUE(CreateDirectoryA(kPlantFolder, nullptr));
    for (const std::string& name : kPlantNames)
      ASSERT_TRUE(CopyFileA(WinPath(TARNWELL_PLANT_DLL).c_str(),
                            (std::string(kPlantFolder) + "\\" + name).c_str(), FALSE))
          << name;
    // Wine's per-prefix overrides, which every process started from here reads.
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kOverridesKey, &overrides_), ERROR_SUCCESS);
    for (const std::string& name : kPlantNames) {
      const std::string dll = name.substr(0, name.size() - 4);
      ASSERT_EQ(RegSetValueExA(overrides_, dll.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(kNativeFirst), sizeof kNativeFirst),
                ERROR_SUCCESS);
    }
  }
  void TearDown() override {
    if (overrides_) {
      for (const std::string& name : kPlantNames)
        RegDeleteValueA(overrides_, name.substr(0, name.size() - 4).c_str());
      RegCloseKey(overrides_);
    }
    testing_support::RemoveTree(kPlantFolder);
    testing_support::RemoveTree(kMarkers);
  }
  // Copies the program into the planted folder under `name`.
  std::string Place(const char* built, const char* name) {
    const std::string to = std::string(kPlantFolder) + "\\" + name;
    EXPECT_TRUE(CopyFileA(WinPath(built).c_str(), to.c_str(), FALSE)) << built;
    return to;
  }
  // Runs a program to its end; its exit code, or -1.
  static long Run(const std::string& exe, const std::string& args) {
    std::string command = "\"" + exe + "\" " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, kPlantFolder,
                        &si, &pi))
      return -1;
    CloseHandle(pi.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, kTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
  }

  HKEY overrides_ = nullptr;
};

// The probe loads every planted name by its bare name after start-up. With
// SetUp.exe's entry point none comes from its folder; with the C runtime's
// entry point every one does: the plants and the override work, so the
// whole-install test below can fail.
struct ProbeCase {
  const char* name;
  const char* exe;
  bool restricted;
};

class ProbeTest : public PlantedFolder, public testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeTest, BareNamesComeFromTheSystemFolderOnlyBehindTheEntryPoint) {
  const ProbeCase& c = GetParam();
  const std::string exe = Place(c.exe, "SetUp.exe");
  std::string args;
  for (const std::string& name : kPlantNames) args += name + " ";
  const long fromOwnFolder = Run(exe, args);
  const std::vector<std::string> markers = Markers();
  if (c.restricted) {
    EXPECT_EQ(fromOwnFolder, 0);
    EXPECT_TRUE(markers.empty()) << Joined(markers);
  } else {
    // Wine has no cryptbase, profapi or textshaping of its own; their plants
    // are loaded all the same.
    EXPECT_EQ(fromOwnFolder, static_cast<long>(kPlantNames.size()));
    EXPECT_EQ(markers.size(), kPlantNames.size()) << Joined(markers);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Plant, ProbeTest,
    testing::Values(ProbeCase{"WithTarnwellEntry", TARNWELL_DLL_PROBE_EXE, true},
                    ProbeCase{"WithRuntimeEntry", TARNWELL_DLL_PROBE_OPEN_EXE, false}),
    CaseName());

// A whole install by SetUp.exe from the planted folder: the package in
// C:\plant\Data, one ZWCAD 2024; the folder picker opened and cancelled, the
// Install button, the closing message; then the files are in place and no
// plant was loaded.
class PlantedInstallTest : public PlantedFolder {
 protected:
  void SetUp() override {
    PlantedFolder::SetUp();
    ASSERT_FALSE(testing_support::KeyExists("SOFTWARE\\ZWSOFT"));
    testing_support::RemoveTree(kTarget);
    testing_support::RemoveTree(kHostFolder);
    const std::string data = std::string(kPlantFolder) + "\\Data";
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr));
    for (const char* file : {"Korvex2021.ZRX", "Korvex2025.ZRX", "Korvex_EN.shx", "Korvex_HZ.shx",
                             "readme.txt"})
      ASSERT_TRUE(testing_support::WriteFile(data + "\\" + file, file)) << file;
    ASSERT_TRUE(CreateDirectoryA(kHostFolder, nullptr));
    ASSERT_TRUE(CreateDirectoryA((std::string(kHostFolder) + "\\Fonts").c_str(), nullptr));
    ASSERT_TRUE(testing_support::WriteTree({testing_support::Host("2024", kHostFolder)}));
  }
  void TearDown() override {
    process_.Kill();
    testing_support::DeleteTree("SOFTWARE\\ZWSOFT");
    testing_support::RemoveTree(kTarget);
    testing_support::RemoveTree(kHostFolder);
    PlantedFolder::TearDown();
  }
  e2e::SetupProcess process_;
};

TEST_F(PlantedInstallTest, InstallsAndLoadsNoPlant) {
  std::string error;
  ASSERT_TRUE(process_.Start(Place(TARNWELL_SETUP_EXE, "SetUp.exe"), &error)) << error;
  ASSERT_TRUE(process_.WaitForDialog(kCaption, kTimeoutMs)) << Joined(Markers());
  ASSERT_TRUE(process_.Item(kIdInstall).enabled) << "Install";
  // The shell's folder browser, with its tree view, and Cancel.
  void* browser = nullptr;
  ASSERT_TRUE(process_.Click(kIdBrowse));
  ASSERT_TRUE(process_.WaitForWindow(kBrowserCaption, kTimeoutMs, &browser)) << Joined(Markers());
  for (int i = 0; i < 300 && !process_.ItemIn(browser, kBrowserTree).exists; ++i) Sleep(10);
  EXPECT_TRUE(process_.ItemIn(browser, kBrowserTree).exists);
  ASSERT_TRUE(process_.ClickIn(browser, IDCANCEL));
  for (int i = 0; i < 500 && process_.Alive(browser); ++i) Sleep(10);
  ASSERT_FALSE(process_.Alive(browser));
  ASSERT_TRUE(process_.Type(kIdInstallPath, kTarget));
  ASSERT_TRUE(process_.Click(kIdInstall));
  e2e::BoxInfo box;
  ASSERT_TRUE(process_.WaitForBox(kTimeoutMs, &box));
  EXPECT_EQ(box.caption, kDoneCaption) << box.text;
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  std::uint32_t code = 99;
  ASSERT_TRUE(process_.WaitForExit(kTimeoutMs, &code));
  EXPECT_EQ(code, 0u);

  const std::string installed = std::string(kTarget) + "\\Tarnwell";
  for (const char* file : {"Korvex2021.ZRX", "Korvex2025.ZRX", "readme.txt"})
    EXPECT_TRUE(Exists(installed + "\\" + file)) << file;
  for (const char* font : {"Korvex_EN.shx", "Korvex_HZ.shx"}) {
    EXPECT_FALSE(Exists(installed + "\\" + font)) << font;
    EXPECT_TRUE(Exists(std::string(kHostFolder) + "\\Fonts\\" + font)) << font;
  }
  // SetUp.exe never copies itself, and the plants are not package files.
  EXPECT_FALSE(Exists(installed + "\\SetUp.exe"));
  for (const std::string& name : kPlantNames) EXPECT_FALSE(Exists(installed + "\\" + name)) << name;
  const std::vector<std::string> markers = Markers();
  EXPECT_TRUE(markers.empty()) << Joined(markers);
}

}  // namespace
