// The uninstall of the real SetUp.exe under Wine. An install (silent or
// through the dialog) shows up in Wine's own Apps & Features list; its
// QuietUninstallString, started as a deployment tool starts it (the command
// line from the registry, waited for), removes what the install wrote and
// leaves what others wrote or changed; the uninstaller's messages answer
// Yes, No and a running host; a file held open makes 3010; install,
// uninstall, install gives one install; a second uninstall finds nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "e2e_install/install_e2e_fixture.h"

namespace {

using ts::kEntryKey;

const std::string kFolder = "C:\\Korvex\\Tarnwell";
const char* const kUninstallCaption = "Tarnwell软件卸载";
const char* const kAsk = "确定要卸载Tarnwell软件吗 ?";
const char* const kUninstallDone = "卸载完成 !";
const char* const kHostRunning = "请关闭CAD后再进行卸载 !";
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::string EntryText(const std::string& name) {
  std::uint32_t type = 0;
  std::string data;
  if (!ts::ReadValue(kEntryKey, name, &type, &data) || type != REG_SZ) return "<none>";
  return data.substr(0, data.find('\0'));
}

// Starts a command line as a deployment tool does and waits for its end.
std::uint32_t RunCommandLine(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &si, &pi))
    return 0xFFFF;
  CloseHandle(pi.hThread);
  DWORD code = 0xFFFE;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return code;
}

// The output of "uninstaller --list", Wine's own Apps & Features list.
std::string WineAppsList() { return testing_support::ProgramOutput("uninstaller.exe --list"); }

class UninstallE2e : public InstallE2e {
 protected:
  void SetUp() override {
    InstallE2e::SetUp();
    MayMake({"C:\\Korvex"});
  }
  void TearDown() override {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSessionManager, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "PendingFileRenameOperations");
      RegCloseKey(key);
    }
    InstallE2e::TearDown();
  }
  std::uint32_t SilentInstall() { return RunCommandLine("\"" + kPkg + "\\SetUp.exe\" /S"); }
  // What the install and the uninstall touch: the install folder's tree, the
  // hosts' Fonts folders, the keys below every host key, the entry.
  std::vector<std::string> State() const {
    std::vector<std::string> out;
    for (const std::string& e : Tree("C:\\Korvex")) out.push_back("C:\\Korvex\\" + e);
    for (const HostInstall& h : kInstalls) {
      for (const std::string& e : Tree(h.location)) out.push_back(h.location + "\\" + e);
      for (const std::string& k : ts::SubKeys(h.keyPath + "Applications"))
        out.push_back(h.keyPath + "Applications\\" + k);
    }
    if (ts::KeyExists(kEntryKey)) out.push_back("entry");
    return out;
  }
  // The interactive uninstaller, started as Apps & Features starts it.
  void StartUninstaller() {
    std::string error;
    ASSERT_TRUE(process_.Start(kFolder + "\\Uninstall.exe", &error, "C:\\")) << error;
  }
  // The next box of the uninstaller: its text, with the caption and the
  // buttons (Yes and No, or OK) checked. (The icon handle of another
  // process's box cannot be compared here; the contract test of the
  // uninstall reads the question icon in its own process.)
  e2e::BoxInfo NextBox(bool question) {
    e2e::BoxInfo box;
    EXPECT_TRUE(process_.WaitForBox(kTimeoutMs, &box));
    EXPECT_EQ(box.caption, kUninstallCaption);
    EXPECT_EQ(process_.ItemIn(box.window, IDYES).exists, question) << box.text;
    EXPECT_EQ(process_.ItemIn(box.window, IDNO).exists, question) << box.text;
    return box;
  }
  std::uint32_t Ended() {
    std::uint32_t code = 99;
    EXPECT_TRUE(process_.WaitForExit(kTimeoutMs, &code));
    return code;
  }
};

TEST_F(UninstallE2e, WineListsTheEntryAfterASilentInstall) {
  ASSERT_EQ(SilentInstall(), 0u);
  EXPECT_NE(WineAppsList().find("Tarnwell|||Tarnwell软件"), std::string::npos);
  const std::string exe = kFolder + "\\Uninstall.exe";
  EXPECT_EQ(EntryText("DisplayName"), "Tarnwell软件");
  EXPECT_EQ(EntryText("DisplayVersion"), "2026.05.12");
  EXPECT_EQ(EntryText("Publisher"), "Korvex");
  EXPECT_EQ(EntryText("InstallLocation"), kFolder);
  EXPECT_EQ(EntryText("DisplayIcon"), exe + ",0");
  EXPECT_EQ(EntryText("UninstallString"), "\"" + exe + "\"");
  EXPECT_EQ(EntryText("QuietUninstallString"), "\"" + exe + "\" /S");
  SYSTEMTIME now;
  GetLocalTime(&now);
  char today[16];
  std::snprintf(today, sizeof today, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  EXPECT_EQ(EntryText("InstallDate"), today);
  for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"}) {
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(ts::ReadValue(kEntryKey, name, &type, &data)) << name;
    EXPECT_EQ(type, static_cast<std::uint32_t>(REG_DWORD)) << name;
    ASSERT_EQ(data.size(), 4u);
    std::uint32_t n = 0;
    std::memcpy(&n, data.data(), 4);
    if (std::string(name) == "EstimatedSize") {
      WIN32_FILE_ATTRIBUTE_DATA a;
      ASSERT_TRUE(GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &a));
      EXPECT_GE(n, a.nFileSizeLow / 1024);  // the uninstaller and more
      EXPECT_LE(n, a.nFileSizeLow / 1024 + 16);
    } else {
      EXPECT_EQ(n, 1u) << name;
    }
  }
}

TEST_F(UninstallE2e, WineListsTheEntryAfterAnInteractiveInstall) {
  Open();
  const Outcome o = PressAndFinish(IDIGNORE);
  ASSERT_TRUE(o.done);
  ASSERT_EQ(o.exitCode, 0u);
  EXPECT_NE(WineAppsList().find("Tarnwell|||Tarnwell软件"), std::string::npos);
  EXPECT_EQ(EntryText("QuietUninstallString"), "\"" + kFolder + "\\Uninstall.exe\" /S");
}

TEST_F(UninstallE2e, QuietUninstallStringRemovesOnlyWhatTheInstallWrote) {
  const std::vector<std::string> before = State();
  ASSERT_EQ(SilentInstall(), 0u);
  // Another plug-in's key beside the loader key, a loader key another copy
  // rewrote, a font replaced by other content, a file a person added.
  const std::string other = kInstalls[1].keyPath + "Applications\\OtherPlugin";
  const std::string rewritten = kInstalls[0].keyPath + "Applications\\Korvex2021";
  const std::string font = kInstalls[2].location + "\\Fonts\\Korvex_EN.shx";
  ASSERT_TRUE(ts::WriteTree({ts::Sz(other, "C:\\other\\other.zrx", "LOADER"),
                             ts::Sz(rewritten, "D:\\Elsewhere\\Tarnwell\\Korvex2021.ZRX", "LOADER")}));
  ASSERT_TRUE(ts::WriteFile(font, "another font"));
  ASSERT_TRUE(ts::WriteFile(kFolder + "\\my notes.txt", "mine"));

  EXPECT_EQ(RunCommandLine(EntryText("QuietUninstallString")), 0u);
  std::vector<std::string> expected = before;
  expected.insert(expected.begin(), {"C:\\Korvex\\Tarnwell\\", "C:\\Korvex\\Tarnwell\\my notes.txt"});
  std::vector<std::string> after = State();
  std::sort(expected.begin(), expected.end());
  std::sort(after.begin(), after.end());
  // The 2021 host is registered with another install now: its fonts stay.
  const std::string fonts21 = kInstalls[0].location + "\\Fonts\\";
  std::vector<std::string> kept = {rewritten, other, font, fonts21 + "Korvex_EN.shx", fonts21 + "Korvex_HZ.shx"};
  for (const std::string& k : kept) expected.push_back(k);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(after, expected);
  EXPECT_EQ(WineAppsList().find("Tarnwell软件"), std::string::npos);
  // The silent default log: what was kept and why, the exit code last.
  std::string log;
  ASSERT_TRUE(ts::ReadFile(platform::TempFolder() + "\\TarnwellUninstall.log", &log));
  for (const std::string& line :
       {std::string("loader key kept, its LOADER names another module: ") + rewritten,
        std::string("font kept, its content was replaced: ") + font,
        std::string("loader key removed: ") + kInstalls[3].keyPath + "Applications\\Korvex2025",
        std::string("exit code 0: uninstalled\r\n")})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  // The uninstaller left its folder at once: renamed into the temporary
  // folder, deleted there at the next restart.
  EXPECT_FALSE(Exists(kFolder + "\\Uninstall.exe"));
}

TEST_F(UninstallE2e, InteractiveNoThenYes) {
  ASSERT_EQ(SilentInstall(), 0u);
  const std::vector<std::string> installed = State();
  StartUninstaller();
  e2e::BoxInfo box = NextBox(true);
  EXPECT_EQ(box.text, kAsk);
  ASSERT_TRUE(process_.AnswerBox(box, IDNO));
  EXPECT_EQ(Ended(), 2u);
  EXPECT_EQ(State(), installed);

  StartUninstaller();
  box = NextBox(true);
  EXPECT_EQ(box.text, kAsk);
  ASSERT_TRUE(process_.AnswerBox(box, IDYES));
  box = NextBox(false);
  EXPECT_EQ(box.text, kUninstallDone);
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  EXPECT_EQ(Ended(), 0u);
  EXPECT_FALSE(Exists("C:\\Korvex"));
  EXPECT_FALSE(ts::KeyExists(kEntryKey));
}

TEST_F(UninstallE2e, HostRunningRemovesNothing) {
  ASSERT_EQ(SilentInstall(), 0u);
  const std::vector<std::string> installed = State();
  RunHost();
  StartUninstaller();
  const e2e::BoxInfo box = NextBox(false);
  EXPECT_EQ(box.text, kHostRunning);
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  EXPECT_EQ(Ended(), 6u);
  EXPECT_EQ(RunCommandLine(EntryText("QuietUninstallString")), 6u);
  EXPECT_EQ(State(), installed);
}

TEST_F(UninstallE2e, FileHeldOpenIsDeletedAtRestart) {
  std::vector<std::string> expected = State();
  ASSERT_EQ(SilentInstall(), 0u);
  signal_ = kPkg + "\\release";
  holder_ = ts::StartProgram(kHelper, "hold " + kFolder + "\\a.txt " + signal_);
  ASSERT_NE(holder_, nullptr);
  ASSERT_TRUE(WaitForFile(signal_ + ".ready"));
  EXPECT_EQ(RunCommandLine(EntryText("QuietUninstallString")), 3010u);
  // Everything else is gone; the held file and its folders wait for the
  // restart.
  expected.insert(expected.begin(), {"C:\\Korvex\\Tarnwell\\", "C:\\Korvex\\Tarnwell\\a.txt"});
  EXPECT_EQ(State(), expected);
  std::uint32_t type = 0;
  std::string pending;
  ASSERT_TRUE(ts::ReadValue(kSessionManager, "PendingFileRenameOperations", &type, &pending));
  EXPECT_NE(pending.find("\\??\\" + kFolder + "\\a.txt"), std::string::npos);
  EXPECT_NE(pending.find(std::string("\\??\\") + "C:\\Korvex" + std::string(1, '\0')), std::string::npos);
  // Installed again before the restart: the restart deletes nothing of it.
  Release();
  ASSERT_EQ(SilentInstall(), 0u);
  pending.clear();
  ts::ReadValue(kSessionManager, "PendingFileRenameOperations", &type, &pending);
  EXPECT_EQ(pending.find("\\??\\C:\\Korvex"), std::string::npos) << pending;
}

TEST_F(UninstallE2e, DoubledSeparatorInstallIsUninstalledWhole) {
  const std::vector<std::string> before = State();
  ASSERT_EQ(RunCommandLine("\"" + kPkg + "\\SetUp.exe\" /S /D=C:\\Korvex\\\\"), 0u);
  EXPECT_EQ(EntryText("InstallLocation"), kFolder);
  EXPECT_EQ(RunCommandLine(EntryText("QuietUninstallString")), 0u);
  EXPECT_EQ(State(), before);
}

TEST_F(UninstallE2e, InstallUninstallInstallIsOneInstallAndASecondUninstallFindsNothing) {
  ASSERT_EQ(SilentInstall(), 0u);
  const std::vector<std::string> once = State();
  std::string record;
  ASSERT_TRUE(ts::ReadFile(kFolder + "\\Uninstall.dat", &record));
  const std::string setup = "\"" + kPkg + "\\SetUp.exe\" /UNINSTALL /S";
  EXPECT_EQ(RunCommandLine(setup), 0u);
  ASSERT_EQ(SilentInstall(), 0u);
  EXPECT_EQ(State(), once);
  std::string again;
  ASSERT_TRUE(ts::ReadFile(kFolder + "\\Uninstall.dat", &again));
  EXPECT_EQ(again, record);
  EXPECT_EQ(RunCommandLine(setup), 0u);
  const std::vector<std::string> gone = State();
  EXPECT_EQ(RunCommandLine(setup), 1u);
  EXPECT_EQ(State(), gone);
}

}  // namespace
