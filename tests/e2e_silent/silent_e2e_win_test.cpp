// SetUp.exe /S under Wine: started as a deployment tool starts it, it shows
// no window, installs what the Install button installs (the same expected
// files, keys and fonts as the dialog's default install in tests/e2e_install),
// ends with the exit code of the table, changes nothing where the table says
// so, and writes its log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "e2e_install/install_e2e_fixture.h"

namespace {

enum class Prepare { kNothing, kHostRunning, kHeldModule, kNoPackage };

struct SilentCase {
  const char* name;
  std::string arguments;
  Prepare prepare;
  std::uint32_t exitCode;
  std::string folder;             // the install folder (its files as `installed`); "": none
  std::vector<std::string> installed;
  std::vector<int> years;         // the years whose loader keys and fonts are written
  std::vector<std::string> made;  // folders the run may make; absent after exit 1, 3, 6, 7
};

const std::vector<std::string> kNothingYet = {};
const std::vector<std::string> kBeforeTheHeldModule = {"a.txt", "Korvex2021.ZRX"};

const SilentCase kCases[] = {
    {"Default", "/S", Prepare::kNothing, 0, "C:\\Korvex\\Tarnwell", kInstalled, {2021, 2024, 2025},
     {"C:\\Korvex"}},
    {"OneYearIntoAPathWithBlanks", "/S /YEARS=2024 /D=C:\\Program Files\\Tarnwell Test",
     Prepare::kNothing, 0, "C:\\Program Files\\Tarnwell Test\\Tarnwell", kInstalled, {2024},
     {"C:\\Program Files\\Tarnwell Test"}},
    {"BadYear", "/S /YEARS=2020", Prepare::kNothing, 1, "", {}, {}, {"C:\\Korvex"}},
    {"LogCannotBeCreated", "/S /LOG=C:\\NoSuch\\setup.log", Prepare::kNothing, 1, "", {}, {},
     {"C:\\Korvex", "C:\\NoSuch"}},
    {"NoHostOfTheYears", "/s /years=2022,2023", Prepare::kNothing, 3, "", {}, {}, {"C:\\Korvex"}},
    {"NoPackage", "/S", Prepare::kNoPackage, 4, "C:\\Korvex\\Tarnwell", kNothingYet, {},
     {"C:\\Korvex", "C:\\nopkg"}},
    {"HeldModule", "/S", Prepare::kHeldModule, 5, "C:\\Korvex\\Tarnwell", kBeforeTheHeldModule, {},
     {"C:\\Korvex"}},
    {"HostRunning", "/S", Prepare::kHostRunning, 6, "", {}, {}, {"C:\\Korvex", "C:\\hostbin"}},
    {"MissingParent", "/S /D=C:\\NoSuch\\Deep", Prepare::kNothing, 7, "", {}, {}, {"C:\\NoSuch"}},
    {"MissingDrive", "/S /D=E:\\Korvex", Prepare::kNothing, 7, "", {}, {}, {}},
    {"Relative", "/S /D=relinst", Prepare::kNothing, 7, "", {}, {}, {"C:\\pkg\\relinst"}},
};

std::string TempLog() {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "TarnwellSetup.log";
}

struct SilentRun {
  bool ended = false;
  std::uint32_t exitCode = 99;
  bool window = false;  // a visible window of SetUp.exe came up
  double seconds = 0;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM lParam) {
  auto* run = reinterpret_cast<std::pair<DWORD, bool>*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == run->first && IsWindowVisible(hwnd)) run->second = true;
  return TRUE;
}

class SilentE2e : public InstallE2e {
 protected:
  // Starts SetUp.exe with the arguments in its package folder and watches
  // for windows until it ends.
  SilentRun RunSilent(const std::string& arguments, const std::string& exe = kPkg + "\\SetUp.exe") {
    SilentRun run;
    DeleteFileA(TempLog().c_str());
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(process_.Start(exe, &error, kPkg, arguments)) << error;
    for (int i = 0; i < 3000 && !run.ended; ++i) {
      std::pair<DWORD, bool> seen{process_.Pid(), false};
      EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&seen));
      run.window = run.window || seen.second;
      run.ended = process_.WaitForExit(20, &run.exitCode);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
  }
  // The log's lines (UTF-8), each split into its time stamp and its event.
  static std::vector<std::pair<std::string, std::string>> LogLines(const std::string& file) {
    std::string text;
    EXPECT_TRUE(ts::ReadFile(file, &text)) << file;
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
      const std::string line = text.substr(pos, end - pos);
      lines.emplace_back(line.substr(0, 19), line.size() > 20 ? line.substr(20) : "");
    }
    return lines;
  }
};

class SilentTable : public SilentE2e, public testing::WithParamInterface<SilentCase> {};

TEST_P(SilentTable, EndsWithItsCodeAndShowsNothing) {
  const SilentCase& c = GetParam();
  MayMake(c.made);
  std::string exe = kPkg + "\\SetUp.exe";
  if (c.prepare == Prepare::kNoPackage) {
    ASSERT_TRUE(ts::MakeFolders("C:\\nopkg"));
    exe = "C:\\nopkg\\SetUp.exe";
    ASSERT_TRUE(CopyFileA(e2e::SetupExePath().c_str(), exe.c_str(), FALSE));
  }
  if (c.prepare == Prepare::kHeldModule) Hold("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX");
  if (c.prepare == Prepare::kHostRunning) {
    ASSERT_TRUE(ts::MakeFolders("C:\\hostbin"));
    ASSERT_TRUE(CopyFileA(kHelper.c_str(), "C:\\hostbin\\zwcad.exe", FALSE));
    signal_ = kPkg + "\\release";
    holder_ = ts::StartProgram("C:\\hostbin\\zwcad.exe", "wait " + signal_);
    ASSERT_NE(holder_, nullptr);
    ASSERT_TRUE(WaitForFile(signal_ + ".ready"));
  }
  const SilentRun run = RunSilent(c.arguments, exe);
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, c.exitCode);
  EXPECT_FALSE(run.window);
  if (!c.folder.empty()) {
    EXPECT_EQ(Tree(c.folder), c.installed);
  }
  if (c.prepare == Prepare::kHeldModule) {
    // Five retries a second apart before it gave up.
    EXPECT_GE(run.seconds, 5.0);
    EXPECT_LT(run.seconds, 10.0);
    Release();
    std::string held;
    EXPECT_TRUE(ts::ReadFile("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX", &held));
    EXPECT_EQ(held, "old");
  }
  for (const HostInstall& h : kInstalls) {
    const bool chosen = std::find(c.years.begin(), c.years.end(), h.year) != c.years.end();
    EXPECT_EQ(ts::KeyExists(h.keyPath + "Applications"), chosen) << h.keyPath;
    EXPECT_EQ(Tree(h.location + "\\Fonts").size(), chosen ? 2u : 0u) << h.location;
  }
  if (c.exitCode == 0) {
    ExpectHostsSetUp(c.folder, c.years);
  }
  // Nothing created: the folders the run might have made are not there.
  for (const std::string& folder : c.made) {
    if (c.exitCode == 1 || c.exitCode == 3 || c.exitCode >= 6) {
      EXPECT_TRUE(folder == "C:\\nopkg" || folder == "C:\\hostbin" || !Exists(folder)) << folder;
    }
  }
  // Silent without /LOG=: the log in %TEMP%, its last line the exit code.
  const auto lines = LogLines(TempLog());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().second.rfind("exit code " + std::to_string(c.exitCode) + ": ", 0), 0u)
      << lines.back().second;
  if (c.prepare == Prepare::kHeldModule) {
    int failed = 0, retries = 0, aborts = 0;
    for (const auto& line : lines) {
      failed += line.second.rfind("copy failed (", 0) == 0;
      retries += line.second == "answer: Retry";
      aborts += line.second == "answer: Abort";
    }
    EXPECT_EQ(failed, 6);
    EXPECT_EQ(retries, 5);
    EXPECT_EQ(aborts, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(CommandLine, SilentTable, testing::ValuesIn(kCases), CaseName());

// Without /S the command line speaks in a box captioned with the program's
// name: what was wrong and the switches (exit 1), or the switches (/?, 0).
TEST_F(SilentE2e, CommandLineBoxesWithoutTheSilentSwitch) {
  MayMake({"C:\\Korvex"});
  DeleteFileA(TempLog().c_str());
  const struct {
    const char* arguments;
    std::string text;  // how the box starts
    std::uint32_t exitCode;
  } rows[] = {
      {"/YEARS=2020", "命令行无法识别：“2020”不是2021至2027之间的年份\n\nSetUp.exe [/S]", 1},
      {"/?", "SetUp.exe [/S] [/D=路径] [/YEARS=年份,...] [/LOG=文件] [/?]\n\n/S\t", 0},
  };
  for (const auto& row : rows) {
    e2e::SetupProcess setup;
    std::string error;
    ASSERT_TRUE(setup.Start(kPkg + "\\SetUp.exe", &error, kPkg, row.arguments)) << error;
    e2e::BoxInfo box;
    ASSERT_TRUE(setup.WaitForBox(kTimeoutMs, &box)) << row.arguments;
    EXPECT_EQ(box.caption, "SetUp");
    EXPECT_EQ(box.text.substr(0, row.text.size()), row.text);
    EXPECT_NE(box.text.find("7\t静默：安装路径不可用"), std::string::npos);  // the exit codes
    ASSERT_TRUE(setup.AnswerBox(box, IDOK));
    std::uint32_t code = 99;
    ASSERT_TRUE(setup.WaitForExit(kTimeoutMs, &code));
    EXPECT_EQ(code, row.exitCode) << row.arguments;
  }
  EXPECT_FALSE(Exists("C:\\Korvex"));
  EXPECT_FALSE(Exists(TempLog()));  // no log without /S or /LOG=
  ExpectHostsUntouched();
}

// The log of a silent default install, line by line: the time stamps, then
// every event (UTF-8, so the Chinese names are compared as u8 text).
TEST_F(SilentE2e, LogsEveryEventOfADefaultInstall) {
  MayMake({"C:\\Korvex"});
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const SilentRun run = RunSilent("/S");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u);
  const auto lines = LogLines(TempLog());
  ASSERT_GT(lines.size(), 2u);
  char day[16];
  std::snprintf(day, sizeof day, "%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
  for (const auto& line : lines) {
    EXPECT_EQ(line.first.substr(0, 10), day) << line.second;
    EXPECT_EQ(line.first.size(), 19u);
    EXPECT_EQ(line.first[13], ':');
  }
  const std::string data = "C:\\pkg\\Data\\", target = "C:\\Korvex\\Tarnwell\\";
  const std::string lib = u8"Korvex扩展绘图库";
  std::vector<std::string> expected = {
      "command line: \"C:\\pkg\\SetUp.exe\" /S",
      lines[1].second,  // the Windows version, elevated or not: checked below
      "host 2021: HKLM\\" + kZw + "2021\\zh-CN\\ -> C:\\hosts\\ZW2021",
      "host 2024: HKLM\\" + kZw + "2024\\zh-CN\\ -> C:\\hosts\\ZW2024",
      "host 2025: HKLM\\" + kZw + "2025\\en-US\\ -> C:\\hosts\\ZW2025en",
      "host 2025: HKLM\\" + kZw + "2025\\zh-CN\\ -> C:\\hosts\\ZW2025",
      "4 host installation(s) found",
      "years: 2021 2024 2025; install path: \"C:\\Korvex\"",
      "install folder: C:\\Korvex\\Tarnwell",
      "package source: C:\\pkg\\Data",
      "copied " + data + "a.txt -> " + target + "a.txt",
      "copied " + data + "Korvex2021.ZRX -> " + target + "Korvex2021.ZRX",
      "copied " + data + "Korvex2025.ZRX -> " + target + "Korvex2025.ZRX",
      "skipped " + data + "Korvex_EN.shx: a font, copied into the hosts' Fonts folders",
      "skipped " + data + "Korvex_HZ.shx: a font, copied into the hosts' Fonts folders",
      "skipped " + data + lib + ": a folder",
      "skipped " + data + "README: no \".\" in its name",
      "skipped " + data + "SetUp.exe: the setup program",
      "skipped " + data + u8"说明扩展绘图库.txt: its name holds \"扩展绘图库\"",
      "library file copied " + data + lib + "\\l1.dat -> " + target + lib + "\\l1.dat",
      "library file copied " + data + lib + "\\l2.dat -> " + target + lib + "\\l2.dat",
      "skipped " + data + lib + "\\sub: a folder",
  };
  for (const HostInstall& h : kInstalls) {
    const std::string module = h.year == 2025 ? "Korvex2025.ZRX" : "Korvex2021.ZRX";
    expected.push_back("loader key written: HKLM\\" + h.keyPath + "Applications\\Korvex" +
                       std::to_string(h.year) + ", LOADER = " + target + module);
  }
  for (const HostInstall& h : kInstalls)
    for (const char* font : {"Korvex_EN.shx", "Korvex_HZ.shx"})
      expected.push_back("font copied " + data + font + " -> " + h.location + "\\Fonts\\" + font);
  expected.push_back("exit code 0: installed");
  std::vector<std::string> events;
  for (const auto& line : lines) events.push_back(line.second);
  EXPECT_EQ(events, expected);
  EXPECT_EQ(lines[1].second.rfind("Windows ", 0), 0u);
  RecordProperty("windows_line", lines[1].second);
}

}  // namespace
