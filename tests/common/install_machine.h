#pragma once
// A machine to install on, the same natively (simulated) and under Wine: a
// package in C:\pkg\Data, four host installations (2021, 2024; 2025 under
// two version keys) with their Fonts folders, what an install leaves behind,
// and one table of SetUp.exe runs with switches that both sides run and
// check alike. Each side starts SetUp.exe its own way and reports a RunSeen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "platform/files.h"
#include "platform/system.h"

namespace testing_support {

inline const std::string kPkg = "C:\\pkg";
inline const std::string kHosts = "C:\\hosts";

// The host years' key paths (as the scan records them) and their locations.
struct HostInstall {
  std::string keyPath;  // below HKLM, ending in "\"
  std::string location;
  int year;
};
inline const std::vector<HostInstall> kInstalls = {
    {kZwcad + "2021\\zh-CN\\", kHosts + "\\ZW2021", 2021},
    {kZwcad + "2024\\zh-CN\\", kHosts + "\\ZW2024", 2024},
    {kZwcad + "2025\\en-US\\", kHosts + "\\ZW2025en", 2025},
    {kZwcad + "2025\\zh-CN\\", kHosts + "\\ZW2025", 2025},
};

// The package's files and the library's top-level files, nothing excluded,
// and beside them the install record and the uninstaller.
inline const std::vector<std::string> kInstalled = {
    "a.txt", "Korvex2021.ZRX", "Korvex2025.ZRX", "Korvex扩展绘图库\\", "Korvex扩展绘图库\\l1.dat",
    "Korvex扩展绘图库\\l2.dat", "Uninstall.dat", "Uninstall.exe"};
// The Apps & Features entry of a complete install.
inline const std::string kEntryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwell";

inline bool Exists(const std::string& path) {
  return platform::ReadAttributes(path.c_str()) != platform::kInvalidAttributes;
}


// The package (each file holds its own name; the "SetUp.exe" inside Data
// is a package entry, the program that runs is the caller's to place) and
// the hosts.
inline void PrepareMachine() {
  ASSERT_FALSE(KeyExists("SOFTWARE\\ZWSOFT"));
  for (const char* name : {"Korvex2021.ZRX", "Korvex2025.ZRX", "Korvex_EN.shx", "Korvex_HZ.shx",
                           "README", "SetUp.exe", "a.txt", "说明扩展绘图库.txt", "Korvex扩展绘图库\\l1.dat",
                           "Korvex扩展绘图库\\l2.dat", "Korvex扩展绘图库\\sub\\x.dat"})
    ASSERT_TRUE(WriteFile(kPkg + "\\Data\\" + name, name));
  std::vector<RegEntry> hosts;
  for (const HostInstall& h : kInstalls) {
    hosts.push_back(Sz(h.keyPath.substr(0, h.keyPath.size() - 1), h.location));
    ASSERT_TRUE(MakeFolders(h.location + "\\Fonts"));
  }
  ASSERT_TRUE(WriteTree(hosts));
}

// 150 more entries in the package: over its limit.
inline void CrowdPackage() {
  for (int i = 0; i < 150; ++i) ASSERT_TRUE(WriteFile(kPkg + "\\Data\\f" + std::to_string(i) + ".txt", "f"));
}

inline void CleanMachine() {
  EXPECT_TRUE(DeleteTree("SOFTWARE\\ZWSOFT"));
  EXPECT_TRUE(DeleteTree(kEntryKey));
  EXPECT_TRUE(RemoveTree(kPkg));
  EXPECT_TRUE(RemoveTree(kHosts));
}

// The loader keys and fonts of a complete install into `folder`, for the
// hosts of `years`.
// `gone`: a host location that no longer exists, which gets no fonts.
inline void ExpectHostsSetUp(const std::string& folder,
                             const std::vector<int>& years = {2021, 2024, 2025},
                             const std::string& gone = "") {
  for (const HostInstall& h : kInstalls) {
    if (std::find(years.begin(), years.end(), h.year) == years.end()) continue;
    const std::string apps = h.keyPath + "Applications";
    EXPECT_EQ(SubKeys(apps), std::vector<std::string>{"Korvex" + std::to_string(h.year)});
    const std::string key = apps + "\\Korvex" + std::to_string(h.year);
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(ReadValue(key, "LOADCTRLS", &type, &data)) << key;
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(data, std::string("\x02\0\0\0", 4));
    ASSERT_TRUE(ReadValue(key, "LOADER", &type, &data)) << key;
    EXPECT_EQ(type, 1u);
    const std::string module = h.year == 2025 ? "Korvex2025.ZRX" : "Korvex2021.ZRX";
    EXPECT_EQ(data, folder + "\\" + module + std::string(1, '\0'));
    if (h.location == gone) continue;
    EXPECT_EQ(Tree(h.location + "\\Fonts"), (std::vector<std::string>{"Korvex_EN.shx", "Korvex_HZ.shx"}));
    std::string font;
    EXPECT_TRUE(ReadFile(h.location + "\\Fonts\\Korvex_HZ.shx", &font));
    EXPECT_EQ(font, "Korvex_HZ.shx");
  }
}

inline void ExpectHostsUntouched() {
  for (const HostInstall& h : kInstalls) {
    EXPECT_FALSE(KeyExists(h.keyPath + "Applications")) << h.keyPath;
    EXPECT_TRUE(Tree(h.location + "\\Fonts").empty()) << h.location;
  }
}

// --- SetUp.exe with switches --------------------------------------------------

// What a run needs besides the machine: the host program running,
// C:\Korvex\Tarnwell\Korvex2021.ZRX ("old") held open by another process,
// SetUp.exe started from C:\nopkg, where no package lies, or the name of the
// silent log taken by a link to kVictim ("keep"), which another user could
// leave in a temporary folder that all may write; or a package of 150
// entries. The attacks on the package: its entry a.txt a symbolic link to
// kVictim, or a second name of it; and on /LOG=: C:\logs a link to kVictim's
// folder.
enum class Prepare {
  kNothing, kHostRunning, kHeldModule, kNoPackage, kLogLinked, kCrowdedPackage, kHostRemoved,
  kEntryLinkedOut, kEntrySecondName, kLogFolderLinked, kDataLinked
};
// kHostRemoved: the 2021 host's folder is gone, its key left behind.
inline const std::string kRemovedHost = kHosts + "\\ZW2021";
inline const std::string kVictim = "C:\\victim\\keep.txt";
inline const std::string kLinkedEntry = kPkg + "\\Data\\a.txt";
inline const std::string kLinkedLogFolder = "C:\\logs";

// Makes the attack of a row on the package or the log's folder (the same
// on both sides; under Wine as Unix links).
inline void PrepareAttack(Prepare prepare) {
  if (prepare == Prepare::kHostRemoved) {
    ASSERT_TRUE(RemoveTree(kRemovedHost));
  }
  if (prepare < Prepare::kEntryLinkedOut) return;
  ASSERT_TRUE(WriteFile(kVictim, "keep"));
  ASSERT_TRUE(RemoveTree(kLinkedEntry));
  if (prepare == Prepare::kDataLinked) {
    // "Data" a link to a folder its user may read and others may not.
    ASSERT_TRUE(RemoveTree(kPkg + "\\Data"));
    ASSERT_TRUE(MakeLink(kPkg + "\\Data", "C:\\victim", true));
  } else if (prepare == Prepare::kEntryLinkedOut) {
    ASSERT_TRUE(MakeLink(kLinkedEntry, kVictim, false));
  } else if (prepare == Prepare::kEntrySecondName) {
    ASSERT_TRUE(MakeHardLink(kVictim, kLinkedEntry));
  } else {
    ASSERT_TRUE(WriteFile(kLinkedEntry, "a.txt"));
    ASSERT_TRUE(MakeLink(kLinkedLogFolder, "C:\\victim", true));
  }
}

struct SwitchRun {
  const char* name;
  std::string arguments;  // after the quoted program name
  Prepare prepare;
  int exitCode;
  std::string folder;                  // the install folder; "": none to look at
  std::vector<std::string> installed;  // what it holds afterwards
  std::vector<int> years;              // the years whose loader keys and fonts are written
  std::vector<std::string> made;       // folders the run may make; absent after exit 1, 3, 6, 7
  std::string box;                     // without /S: how the one box starts; "": no box
  std::string logFile = "";            // the log that ends with the code; "": the silent default
  std::vector<unsigned> codePages = {936};  // the system code pages of its runs under Wine
};

// What a side saw of one run; every box was answered with OK.
struct RunSeen {
  bool ended = false;
  int exitCode = -1;
  bool window = false;  // a window other than a message box came up
  std::vector<std::pair<std::string, std::string>> boxes;  // caption, text
  double seconds = 0;   // from start to end (the simulation: its clock)
};

inline const char* const kUsageStart =
    "SetUp.exe [/S] [/D=路径] [/YEARS=年份,...] [/LOG=文件] [/?]\nSetUp.exe /UNINSTALL [/S] [/LOG=文件]\n\n/S\t";

inline std::vector<SwitchRun> SwitchRuns() {
  // A stopped install keeps the record of what it did and the uninstaller.
  const std::vector<std::string> beforeTheHeldModule = {"a.txt", "Korvex2021.ZRX", "Korvex扩展绘图库\\",
                                                        "Uninstall.dat", "Uninstall.exe"};
  const std::vector<std::string> korvex = {"C:\\Korvex"};
  return {
      {"Default", "/S", Prepare::kNothing, 0, "C:\\Korvex\\Tarnwell", kInstalled, {2021, 2024, 2025},
       {"C:\\Korvex"}, "", "", {936, 932, 1252}},
      // "表" is 0x95 0x5C in Shift-JIS (code page 932): a "\" to the narrow API.
      {"IntoAFolderEndingInBiao", "/S /D=C:\\Korvex表", Prepare::kNothing, 0, "C:\\Korvex表\\Tarnwell",
       kInstalled, {2021, 2024, 2025}, {"C:\\Korvex表"}, "", "", {936, 932}},
      {"OneYearIntoAPathWithBlanks", "/S /YEARS=2024 /D=C:\\Program Files\\Tarnwell Test",
       Prepare::kNothing, 0, "C:\\Program Files\\Tarnwell Test\\Tarnwell", kInstalled, {2024},
       {"C:\\Program Files\\Tarnwell Test"}, ""},
      {"QuotedDriveRootFirst", "/D=\"D:\\\" /s /years=2025,2021", Prepare::kNothing, 0, "D:\\Tarnwell",
       kInstalled, {2021, 2025}, {"D:\\Tarnwell"}, ""},
      {"BadYear", "/S /YEARS=2020", Prepare::kNothing, 1, "", {}, {}, {"C:\\Korvex"}, ""},
      {"LogCannotBeCreated", "/S /LOG=C:\\NoSuch\\setup.log", Prepare::kNothing, 1, "", {}, {},
       {"C:\\Korvex", "C:\\NoSuch"}, ""},
      {"NoHostOfTheYears", "/S /YEARS=2022,2023", Prepare::kNothing, 3, "", {}, {}, {"C:\\Korvex"}, ""},
      {"NoPackage", "/S", Prepare::kNoPackage, 4, "", {}, {}, {"C:\\Korvex"}, ""},
      {"HeldModule", "/S", Prepare::kHeldModule, 5, "C:\\Korvex\\Tarnwell", beforeTheHeldModule, {},
       {"C:\\Korvex"}, ""},
      {"HostRunning", "/S", Prepare::kHostRunning, 6, "", {}, {}, {"C:\\Korvex"}, ""},
      {"LogNameTakenByALink", "/S /YEARS=2021", Prepare::kLogLinked, 0, "C:\\Korvex\\Tarnwell",
       kInstalled, {2021}, {"C:\\Korvex", "C:\\victim"}, ""},
      {"PackageEntryLinkedOut", "/S", Prepare::kEntryLinkedOut, 9, "", {}, {}, korvex, ""},
      {"PackageEntryWithASecondName", "/S", Prepare::kEntrySecondName, 9, "", {}, {}, korvex, ""},
      {"LinkedDataFolder", "/S", Prepare::kDataLinked, 9, "", {}, {}, korvex, ""},
      {"LogThroughALinkedFolder", "/S /LOG=" + kLinkedLogFolder + "\\setup.log",
       Prepare::kLogFolderLinked, 1, "", {}, {}, korvex, ""},
      // Every missing folder of the way is made, born locked.
      {"MissingParent", "/S /D=C:\\NoSuch\\Deep", Prepare::kNothing, 0, "C:\\NoSuch\\Deep\\Tarnwell",
       kInstalled, {2021, 2024, 2025}, {"C:\\NoSuch"}, ""},
      {"WayThroughAFile", "/S /D=C:\\pkg\\Data\\a.txt\\x", Prepare::kNothing, 7, "", {}, {},
       {"C:\\pkg\\Data\\a.txt\\x"}, ""},
      {"MissingDrive", "/S /D=E:\\Korvex", Prepare::kNothing, 7, "", {}, {}, {}, ""},
      {"Relative", "/S /D=relinst", Prepare::kNothing, 7, "", {}, {}, {"C:\\pkg\\relinst"}, ""},
      {"TooLong", "/S /D=C:\\" + std::string(231, 'k'), Prepare::kNothing, 7, "", {}, {},
       {"C:\\" + std::string(231, 'k')}, ""},
      {"SilentHelp", "/? /S", Prepare::kNothing, 0, "", {}, {}, {"C:\\Korvex"}, ""},
      {"Help", "/?", Prepare::kNothing, 0, "", {}, {}, {"C:\\Korvex"}, kUsageStart},
      {"CrowdedPackage", "/S", Prepare::kCrowdedPackage, 9, "", {}, {}, {"C:\\Korvex"}, ""},
      {"PathEndedByASwitch", "/D=C:\\x /S", Prepare::kNothing, 0, "C:\\x\\Tarnwell", kInstalled,
       {2021, 2024, 2025}, {"C:\\x"}, ""},
      {"LogOfALineNotUnderstood", "/S /LOG=C:\\pkg\\t.log /YEARS=2028", Prepare::kNothing, 1, "", {}, {},
       {"C:\\Korvex"}, "", "C:\\pkg\\t.log"},
      // /S glued to another switch: not understood, and never a window.
      {"SilentGluedToAPath", "/S/D=C:\\x", Prepare::kNothing, 1, "", {}, {}, {"C:\\x", "C:\\Korvex"}, ""},
      {"SilentInsideAValue", "/D=C:\\x/S", Prepare::kNothing, 1, "", {}, {}, {"C:\\x", "C:\\Korvex"}, ""},
      // A host whose folder is gone (its key left behind) gets its loader key,
      // no fonts, and the install is whole.
      {"HostFolderGone", "/S", Prepare::kHostRemoved, 0, "C:\\Korvex\\Tarnwell", kInstalled,
       {2021, 2024, 2025}, {"C:\\Korvex"}, ""},
      {"BadYearShown", "/YEARS=2020", Prepare::kNothing, 1, "", {}, {}, {"C:\\Korvex"},
       std::string("命令行无法识别：“2020”不是2021至2027之间的年份\n\n") + kUsageStart},
  };
}

// The rows that run on a system code page.
inline std::vector<SwitchRun> SwitchRunsOn(unsigned codePage) {
  std::vector<SwitchRun> chosen;
  for (const SwitchRun& c : SwitchRuns())
    if (std::find(c.codePages.begin(), c.codePages.end(), codePage) != c.codePages.end())
      chosen.push_back(c);
  return chosen;
}

// The default log of a silent run.
inline std::string SilentLogFile() { return platform::TempFolder() + "\\TarnwellSetup.log"; }

// The lines of a log (UTF-8) without their time stamps.
inline std::vector<std::string> LogEvents(const std::string& file) {
  std::string text;
  std::vector<std::string> lines;
  if (!ReadFile(file, &text)) return lines;
  for (std::size_t pos = 0, end; (end = text.find("\r\n", pos)) != std::string::npos; pos = end + 2)
    lines.push_back(end - pos > 26 ? text.substr(pos + 26, end - pos - 26) : "");
  return lines;
}

// Checks a run against its row: the exit code, no window, the box, the
// files, keys and fonts, nothing created where nothing may change, and the
// silent log.
inline void ExpectRun(const SwitchRun& c, const RunSeen& seen) {
  ASSERT_TRUE(seen.ended);
  EXPECT_EQ(seen.exitCode, c.exitCode);
  EXPECT_FALSE(seen.window);
  if (c.box.empty()) {
    EXPECT_TRUE(seen.boxes.empty());
  } else {
    ASSERT_EQ(seen.boxes.size(), 1u);
    EXPECT_EQ(seen.boxes[0].first, "SetUp");
    EXPECT_EQ(seen.boxes[0].second.substr(0, c.box.size()), c.box);
    EXPECT_NE(seen.boxes[0].second.find("7\t静默：安装路径不可用"), std::string::npos);
  }
  if (!c.folder.empty()) {
    EXPECT_EQ(Tree(c.folder), c.installed);
  }
  for (const HostInstall& h : kInstalls) {
    const bool chosen = std::find(c.years.begin(), c.years.end(), h.year) != c.years.end();
    const bool gone = c.prepare == Prepare::kHostRemoved && h.location == kRemovedHost;
    EXPECT_EQ(KeyExists(h.keyPath + "Applications"), chosen) << h.keyPath;
    EXPECT_EQ(Tree(h.location + "\\Fonts").size(), chosen && !gone ? 2u : 0u) << h.location;
    EXPECT_EQ(Exists(h.location), !gone) << "no Fonts folder is made";
  }
  if (c.exitCode == 0 && !c.years.empty()) {
    ExpectHostsSetUp(c.folder, c.years, c.prepare == Prepare::kHostRemoved ? kRemovedHost : "");
    // The Apps & Features entry as the system's own list shows it.
    std::uint32_t type = 0;
    std::string name, publisher;
    EXPECT_TRUE(ReadValue(kEntryKey, "DisplayName", &type, &name) &&
                ReadValue(kEntryKey, "Publisher", &type, &publisher));
    EXPECT_EQ(name, std::string("Tarnwell软件", 13));
    EXPECT_EQ(publisher, std::string("Korvex", 7));
  }
  // The package is checked before any folder is made.
  const bool nothingCreated = c.exitCode == 1 || c.exitCode == 3 || c.exitCode == 4 ||
                              c.exitCode == 6 || c.exitCode == 7 || c.exitCode == 9;
  for (const std::string& folder : c.made) {
    EXPECT_TRUE(!nothingCreated || !Exists(folder)) << folder;
  }
  // Silent: the log in the temporary folder ends with the exit code; a run
  // with /S but /LOG= writes none there.
  const std::vector<std::string> log = LogEvents(c.logFile.empty() ? SilentLogFile() : c.logFile);
  const bool silent = c.box.empty();
  EXPECT_EQ(!log.empty(), silent);
  if (!log.empty()) {
    EXPECT_EQ(log.back().rfind("exit code " + std::to_string(c.exitCode) + ": ", 0), 0u) << log.back();
  }
  if (c.prepare == Prepare::kLogLinked || c.prepare >= Prepare::kEntryLinkedOut) {
    std::string victim;
    EXPECT_TRUE(ReadFile(kVictim, &victim));
    EXPECT_EQ(victim, "keep") << "written through the link";
    EXPECT_EQ(Tree("C:\\victim"), std::vector<std::string>{"keep.txt"}) << "written at the link's target";
  }
  if (c.prepare == Prepare::kEntryLinkedOut || c.prepare == Prepare::kEntrySecondName) {
    const std::string why = "package entry not usable: " + kLinkedEntry + ": ";
    EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                            [&](const std::string& line) { return line.rfind(why, 0) == 0; }));
  }
  if (c.prepare == Prepare::kHeldModule) {
    // Five retries a second apart, then Abort.
    EXPECT_GE(seen.seconds, 5.0);
    EXPECT_LT(seen.seconds, 10.0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "answer: Retry"), 5);
    EXPECT_EQ(std::count(log.begin(), log.end(), "answer: Abort"), 1);
    std::string held;
    EXPECT_TRUE(ReadFile("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX", &held));
    EXPECT_EQ(held, "old");
  }
}

}  // namespace testing_support
