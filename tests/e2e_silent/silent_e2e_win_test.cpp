// The real SetUp.exe with switches under Wine, started as a deployment tool
// starts it: the table of common/install_machine.h, which the simulation
// runs too (the same files, keys and fonts as the dialog's default install,
// every exit code, nothing changed where nothing may change, five retries a
// second apart on a file held open, no window), and the silent log of a
// default install line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "e2e_install/install_e2e_fixture.h"
#include "platform/codepage.h"
#include "platform/security.h"
#include "platform/win32/wide.h"

namespace {

using ts::Prepare;
using ts::RunSeen;
using ts::SwitchRun;

BOOL CALLBACK CollectWindows(HWND hwnd, LPARAM lParam) {
  auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->first && IsWindowVisible(hwnd)) found->second.push_back(hwnd);
  return TRUE;
}

class SilentE2e : public InstallE2e {
 protected:
  void SetUp() override {
    InstallE2e::SetUp();
    DeleteFileA(ts::SilentLogFile().c_str());
  }
  // Starts SetUp.exe with the arguments in the package folder and, until it
  // ends, watches its windows: a message box (a dialog with the static
  // 0xFFFF) is read and answered with OK, any other window is noted.
  RunSeen RunWith(const std::string& arguments, const std::string& exe = kPkg + "\\SetUp.exe") {
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(process_.Start(exe, &error, kPkg, arguments)) << error;
    return Watch(start);
  }
  RunSeen Watch(std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now()) {
    RunSeen seen;
    std::uint32_t code = 99;
    for (int i = 0; i < 3000 && !seen.ended; ++i) {
      std::pair<DWORD, std::vector<HWND>> found{process_.Pid(), {}};
      EnumWindows(&CollectWindows, reinterpret_cast<LPARAM>(&found));
      for (HWND hwnd : found.second) {
        if (!GetDlgItem(hwnd, 0xFFFF)) {
          seen.window = true;
          continue;
        }
        for (const e2e::BoxInfo& box : process_.Boxes()) {
          if (box.window != hwnd) continue;
          seen.boxes.emplace_back(box.caption, box.text);
          process_.AnswerBox(box, IDOK);
        }
      }
      seen.ended = process_.WaitForExit(20, &code);
    }
    seen.exitCode = static_cast<int>(code);
    seen.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return seen;
  }
  // The log's lines (UTF-8), each split into its time stamp and its event.
  static std::vector<std::pair<std::string, std::string>> LogLines(const std::string& file) {
    std::string text;
    EXPECT_TRUE(ts::ReadFile(file, &text)) << file;
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
      lines.emplace_back(text.substr(pos, 25), text.substr(pos + 26, end - pos - 26));
    return lines;
  }
};

class SwitchTable : public SilentE2e, public testing::WithParamInterface<SwitchRun> {};

TEST_P(SwitchTable, EndsWithItsCodeAndShowsNoWindow) {
  const SwitchRun& c = GetParam();
  MayMake(c.made);
  std::string exe = kPkg + "\\SetUp.exe";
  if (c.prepare == Prepare::kNoPackage) {
    MayMake({"C:\\nopkg"});
    ASSERT_TRUE(ts::MakeFolders("C:\\nopkg"));
    exe = "C:\\nopkg\\SetUp.exe";
    ASSERT_TRUE(CopyFileA(e2e::SetupExePath().c_str(), exe.c_str(), FALSE));
  }
  if (c.prepare == ts::Prepare::kCrowdedPackage) ts::CrowdPackage();
  if (c.prepare == Prepare::kHeldModule) Hold("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX");
  if (c.prepare == Prepare::kLogLinked) {
    ASSERT_TRUE(ts::WriteFile(ts::kVictim, "keep"));
    ASSERT_TRUE(CreateHardLinkA(ts::SilentLogFile().c_str(), ts::kVictim.c_str(), nullptr));
  }
  if (c.prepare == Prepare::kHostRunning) {
    RunHost();
  }
  if (c.prepare >= Prepare::kEntryLinkedOut) MayMake({"C:\\victim", ts::kLinkedLogFolder});
  ts::PrepareAttack(c.prepare);
  const RunSeen seen = RunWith(c.arguments, exe);
  Release();
  ts::ExpectRun(c, seen);
  if (c.prepare == Prepare::kEntryLinkedOut) {
    EXPECT_TRUE(ts::RemoveLink(ts::kLinkedEntry));
  }
  if (c.prepare == Prepare::kDataLinked) {
    EXPECT_TRUE(ts::RemoveLink(kPkg + "\\Data"));
  }
}

// The rows of the table for the code page of this run (tools/wine-run.sh).
INSTANTIATE_TEST_SUITE_P(CommandLine, SwitchTable,
                         testing::ValuesIn(ts::SwitchRunsOn(platform::ActiveCodePage())), CaseName());

// The log of a silent default install, line by line: the time stamps, then
// every event (UTF-8, so the Chinese names are compared as u8 text).
TEST_F(SilentE2e, LogsEveryEventOfADefaultInstall) {
  MayMake({"C:\\Korvex"});
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const RunSeen run = RunWith("/S");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0);
  const auto lines = LogLines(ts::SilentLogFile());
  ASSERT_GT(lines.size(), 2u);
  char day[16], offset[16];
  std::snprintf(day, sizeof day, "%04d-%02d-%02d", before.wYear, before.wMonth, before.wDay);
  // The offset from UTC as the system has it now.
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  const long bias = -(zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0));
  std::snprintf(offset, sizeof offset, "%c%02ld:%02ld", bias < 0 ? '-' : '+', std::labs(bias) / 60,
                std::labs(bias) % 60);
  for (const auto& line : lines) {
    EXPECT_EQ(line.first.substr(0, 10), day) << line.second;
    EXPECT_EQ(line.first.size(), 25u);
    EXPECT_EQ(line.first[13], ':');
    EXPECT_EQ(line.first.substr(19), offset) << line.second;
  }
  const std::string data = "C:\\pkg\\Data\\", target = "C:\\Korvex\\Tarnwell\\";
  const std::string lib = u8"Korvex扩展绘图库";
  std::vector<std::string> expected = {
      "command line: \"C:\\pkg\\SetUp.exe\" /S",
      lines[1].second,  // the Windows version, elevated or not: checked below
  };
  for (const HostInstall& h : kInstalls)
    expected.push_back("host " + std::to_string(h.year) + ": HKLM\\" + h.keyPath + " -> " + h.location);
  expected.insert(expected.end(), {
      "4 host installation(s) found",
      "years: 2021 2024 2025; install path: \"C:\\Korvex\"",
      "package not verified: this SetUp.exe carries no package manifest",
      "install folder: C:\\Korvex\\Tarnwell",
      "install record written: " + target + "Uninstall.dat",
      "uninstaller written: " + target + "Uninstall.exe",
      "package source: C:\\pkg\\Data",
      "install record written ahead of the phase \"copy\"",
      "copied " + data + "a.txt -> " + target + "a.txt",
      "copied " + data + "Korvex2021.ZRX -> " + target + "Korvex2021.ZRX",
      "copied " + data + "Korvex2025.ZRX -> " + target + "Korvex2025.ZRX",
      "skipped " + data + "Korvex_EN.shx: a font, copied into the hosts' Fonts folders",
      "skipped " + data + "Korvex_HZ.shx: a font, copied into the hosts' Fonts folders",
      "skipped " + data + lib + ": a folder",
      "skipped " + data + "README: no \".\" in its name",
      "skipped " + data + "SetUp.exe: the setup program",
      "skipped " + data + u8"说明扩展绘图库.txt: its name holds \"扩展绘图库\"",
      "install record written after the package copy",
      "library file copied " + data + lib + "\\l1.dat -> " + target + lib + "\\l1.dat",
      "library file copied " + data + lib + "\\l2.dat -> " + target + lib + "\\l2.dat",
      "skipped " + data + lib + "\\sub: a folder",
      "install record written after the library copy",
      "install record written ahead of the phase \"loaders\"",
  });
  for (const HostInstall& h : kInstalls) {
    const std::string module = h.year == 2025 ? "Korvex2025.ZRX" : "Korvex2021.ZRX";
    expected.push_back("host key had no Applications key, made: HKLM\\" + h.keyPath + "Applications");
    expected.push_back("loader key written: HKLM\\" + h.keyPath + "Applications\\Korvex" +
                       std::to_string(h.year) + ", LOADER = " + target + module);
  }
  expected.push_back("install record written after the loader keys");
  expected.push_back("install record written ahead of the phase \"fonts\"");
  for (const HostInstall& h : kInstalls)
    for (const char* font : {"Korvex_EN.shx", "Korvex_HZ.shx"})
      expected.push_back("font copied " + data + font + " -> " + h.location + "\\Fonts\\" + font);
  expected.push_back("install record written: " + target + "Uninstall.dat");
  expected.push_back("Apps & Features entry written: HKLM\\" + ts::kEntryKey);
  expected.push_back("exit code 0: installed");
  std::vector<std::string> events;
  for (const auto& line : lines) events.push_back(line.second);
  EXPECT_EQ(events, expected);
  EXPECT_EQ(lines[1].second.rfind("Windows ", 0), 0u);
  RecordProperty("windows_line", lines[1].second);
}

// Names that GBK cannot hold (Hangul here), wherever they come from, are
// refused each its own way, never turned into "?" and used.
struct Refusal {
  const char* name;
  const wchar_t* folder;  // SetUp.exe is copied there and started from there
  const wchar_t* arguments;
  const wchar_t* extra;   // a further package file, or the Location of a host 2022
  const char* box;        // without /S: the box of Install (caption "Tarnwell软件安装")
  int exitCode;
  const char* logged;     // with /S: the start of a line of the log
};

class RefusalTable : public SilentE2e, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTable, RefusesTheName) {
  const Refusal& c = GetParam();
  const std::wstring exe = std::wstring(c.folder) + L"\\SetUp.exe";
  CreateDirectoryW(c.folder, nullptr);
  ASSERT_TRUE(CopyFileW(platform::Wide(e2e::SetupExePath()).c_str(), exe.c_str(), FALSE));
  HKEY key = nullptr;
  if (c.exitCode == 9) CloseHandle(CreateFileW(c.extra, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  if (c.exitCode == 0 && RegCreateKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ZWSOFT\\ZWCAD\\2022\\zh-CN", &key) == 0) {
    RegSetValueExW(key, L"Location", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.extra),
                   static_cast<DWORD>((wcslen(c.extra) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  MayMake({"C:\\Korvex"});
  std::string error;
  ASSERT_TRUE(process_.StartWide(exe, &error, c.folder, c.arguments)) << error;
  std::uint32_t code = 99;
  if (*c.box) {
    ASSERT_TRUE(process_.WaitForDialog(kCaption, kTimeoutMs));
    const e2e::BoxInfo box = PressForBox();
    EXPECT_EQ(box.caption + ": " + box.text, std::string(kSetupCaption) + ": " + c.box);
    process_.AnswerBox(box, IDOK);
    if (c.exitCode == 2) {  // the dialog stays, nothing created
      ExpectInputMode();
      EXPECT_FALSE(Exists("C:\\Korvex"));
      EXPECT_TRUE(process_.Escape());
    }
    EXPECT_TRUE(process_.WaitForExit(kTimeoutMs, &code));
  } else {
    const RunSeen seen = Watch();
    code = static_cast<std::uint32_t>(seen.exitCode);
    const auto log = ts::LogEvents(ts::SilentLogFile());
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
      return line.rfind(c.logged, 0) == 0;
    })) << c.logged;
  }
  EXPECT_EQ(code, static_cast<std::uint32_t>(c.exitCode));
  if (c.exitCode == 9) ExpectHostsUntouched();
  if (c.exitCode == 0) ExpectHostsSetUp("C:\\Korvex\\Tarnwell");
  // What the tree helpers cannot name goes here.
  const bool removed = c.exitCode == 9   ? DeleteFileW(c.extra)
                       : c.exitCode == 4 ? DeleteFileW(exe.c_str()) && RemoveDirectoryW(c.folder)
                                         : true;
  EXPECT_TRUE(removed);
}

INSTANTIATE_TEST_SUITE_P(
    NoGbkName, RefusalTable,
    testing::Values(
        Refusal{"PackageFolder", L"C:\\pkg\\\uD55C", L"", nullptr,
                "安装文件所在的路径含有系统无法识别的字符 !\n\n请将安装文件解压到其他路径后再执行SetUp.exe !", 4, ""},
        Refusal{"InstallPath", L"C:\\pkg", L"/D=C:\\\uD55C", nullptr,
                "安装路径含有系统无法识别的字符 !\n\n请选择其他安装路径 !", 2, ""},
        // The log names the character by its code, as \uXXXX.
        Refusal{"PackageFile", L"C:\\pkg", L"/S", L"C:\\pkg\\Data\\\uD55C.txt", "", 9,
                "package entry without a GBK name: C:\\pkg\\Data\\\\uD55C.txt"},
        Refusal{"SilentInstallPath", L"C:\\pkg", L"/S /D=C:\\\uD55C", nullptr, "", 7,
                "install path holds a character that GBK cannot hold: \"C:\\\\uD55C\""},
        Refusal{"HostLocation", L"C:\\pkg", L"/S", L"C:\\hosts\\\uD55C", "", 0,
                "host location skipped: HKLM\\SOFTWARE\\ZWSOFT\\ZWCAD\\2022\\zh-CN\\ Location"}),
    CaseName());

// The swap race: SetUp.exe started suspended (its image mapped), renamed,
// another file put at its name, resumed. One byte changed in a section: no
// uninstaller (or one equal to the image), exit 8; an identical copy: exit 0.
struct SwapCase {
  const char* name;
  const char* section;  // the section whose middle byte is changed; "" none
  int exitCode;
};
void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }
class ImageSwap : public InstallE2e, public testing::WithParamInterface<SwapCase> {};

// The file offset of the middle of a section's data, or 0.
std::size_t MiddleOf(const std::string& image, const char* section) {
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
      image.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data())->e_lfanew);
  const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
    if (std::strncmp(reinterpret_cast<const char*>(s->Name), section, 8) == 0)
      return s->PointerToRawData + std::min(s->Misc.VirtualSize, s->SizeOfRawData) / 2;
  return 0;
}

TEST_P(ImageSwap, UninstallerIsTheImageThatRan) {
  const SwapCase& c = GetParam();
  MayMake({"C:\\Korvex"});
  const std::string exe = kPkg + "\\SetUp.exe", moved = kPkg + "\\SetUp-ran.exe";
  std::string image;
  ASSERT_TRUE(ts::ReadFile(exe, &image));
  std::string other = image;
  if (*c.section) {
    const std::size_t at = MiddleOf(image, c.section);
    ASSERT_NE(at, 0u) << c.section;
    other[at] = static_cast<char>(other[at] ^ 0x01);
  }
  std::string line = "\"" + exe + "\" /S";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             kPkg.c_str(), &si, &pi));
  const bool put = MoveFileA(exe.c_str(), moved.c_str()) && ts::WriteFile(exe, other);
  ResumeThread(pi.hThread);
  DWORD code = 99;
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_TRUE(put) << "the mapped image could not be renamed and replaced";
  EXPECT_EQ(static_cast<int>(code), c.exitCode);
  std::string uninstaller;
  const bool written = ts::ReadFile("C:\\Korvex\\Tarnwell\\Uninstall.exe", &uninstaller);
  EXPECT_TRUE(written ? uninstaller == image : c.exitCode != 0) << "Uninstall.exe is not the image that ran";
  DeleteFileA(moved.c_str());
}

INSTANTIATE_TEST_SUITE_P(Swap, ImageSwap,
                         testing::Values(SwapCase{"IdenticalCopy", "", 0},
                                         SwapCase{"CodeByte", ".text", 8},
                                         SwapCase{"ReadOnlyDataByte", ".rdata", 8},
                                         SwapCase{"WritableDataByte", ".data", 8},
                                         SwapCase{"ResourceByte", ".rsrc", 8}),
                         CaseName());

// A planted record in a Tarnwell others may write, naming a C:\Korvex that
// was there before: the folder is moved aside, nothing of it reaches the record.
TEST_F(SilentE2e, PlantedRecordIsEvidenceOfNothing) {
  MayMake({"C:\\Korvex"});
  const std::string planted = "C:\\Korvex\\Tarnwell\\Uninstall.dat";
  ASSERT_TRUE(ts::WriteFile(planted, "Tarnwell install record 1\r\nfolder\tC:\\Korvex\\Tarnwell\r\n"
                                     "created\tC:\\Korvex\r\nend\r\n"));
  using namespace platform;
  HeldEntry folder;  // Everyone may modify it (Wine keeps it as the Unix mode)
  ASSERT_EQ(folder.Open("C:\\Korvex\\Tarnwell", kAccessReadControl | kAccessWriteDac), 0u);
  ASSERT_EQ(folder.SetDacl({{kAceAllow, kAceInheritAll, kAccessModify, kSidEveryone}}, false), 0u);
  folder.Close();
  const RunSeen run = RunWith("/S");
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0);
  std::string record;
  ASSERT_TRUE(ts::ReadFile(planted, &record));
  EXPECT_EQ(record.find("created\tC:\\Korvex\r\n"), std::string::npos) << record;
  EXPECT_FALSE(ts::Exists("C:\\Korvex\\Tarnwell.old")) << "the folder moved aside is removed";
}

}  // namespace

// SetUp.exe /S killed at moments of a 128 MB install (after the start, or a
// path's appearance): the uninstall it left brings the machine back (README).
struct Kill {
  const char* name;
  int afterMs;
  const char* seen;
};

class KillTable : public SilentE2e, public testing::WithParamInterface<Kill> {};

TEST_P(KillTable, TheUninstallItLeftBringsTheMachineBack) {
  const Kill& c = GetParam();
  MayMake({"C:\\Korvex"});
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(ts::WriteFile(kPkg + "\\Data\\big" + std::to_string(i) + ".bin", std::string(8u << 20, 'k')));
  std::string error;
  ASSERT_TRUE(process_.Start(kPkg + "\\SetUp.exe", &error, kPkg, "/S")) << error;
  for (int i = 0; i < 20000 && *c.seen && !Exists(c.seen); ++i) Sleep(1);
  Sleep(static_cast<DWORD>(c.afterMs));
  process_.Kill();
  const bool recorded = Exists("C:\\Korvex\\Tarnwell\\Uninstall.dat");
  const std::string uninstaller = "C:\\Korvex\\Tarnwell\\Uninstall.exe";
  const RunSeen seen = Exists(uninstaller) ? RunWith("/S", uninstaller) : RunWith("/UNINSTALL /S");
  ASSERT_TRUE(seen.ended);
  EXPECT_NE(seen.exitCode, 8);
  for (const HostInstall& h : kInstalls) {  // an "Applications" key the install made may stay
    EXPECT_TRUE(ts::SubKeys(h.keyPath + "Applications").empty()) << h.keyPath;
    EXPECT_TRUE(Tree(h.location + "\\Fonts").empty()) << h.location;
  }
  EXPECT_FALSE(ts::KeyExists(ts::kEntryKey));
  const std::vector<std::string> left = Tree("C:\\Korvex");
  EXPECT_TRUE(recorded ? !Exists("C:\\Korvex") : left.empty() || left == std::vector<std::string>{"Tarnwell\\"});
}

INSTANTIATE_TEST_SUITE_P(
    Moments, KillTable,
    testing::Values(Kill{"EarlyAfterTheStart", 30, ""}, Kill{"AtTheFirstRecord", 0, "C:\\Korvex\\Tarnwell\\Uninstall.dat"},
                    Kill{"AmongTheCopies", 0, "C:\\Korvex\\Tarnwell\\big5.bin"},
                    Kill{"AmongTheHosts", 0, "C:\\hosts\\ZW2021\\Fonts\\Korvex_EN.shx"}),
    CaseName());
