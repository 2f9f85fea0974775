// An install, an upgrade with a manifest and an uninstall, each cut off
// after every k changes of the machine; what is left to the uninstall, to
// the same install run again and to the uninstall run again (README).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/install_machine.h"
#include "host/host_registry.h"
#include "package/package_manifest.h"
#include "package/sha256.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "record/apps_entry.h"

namespace {

namespace ts = testing_support;
using platform::sim::SimFiles;
using platform::sim::SimSystem;

const std::string kSetUp = "C:\\pkg\\SetUp.exe", kFolder = "C:\\Korvex\\Tarnwell";
const std::string kRecord = kFolder + "\\Uninstall.dat", kUninstaller = kFolder + "\\Uninstall.exe";
const std::vector<std::string> kPackage = {"Korvex2021.ZRX", "readme.txt", "Korvex_EN.shx",
                                           "Korvex_HZ.shx", "Korvex扩展绘图库\\a.dwg"};

// Files with attributes and content, keys, values and restart deletes; not
// the logs (C:\Temp) nor the package.
using State = std::map<std::string, std::string>;
void Files(const platform::sim::FsNode& node, const std::string& path, State* out) {
  for (const auto& child : node.children)
    if (path + "\\" + child->name != "C:\\Temp" && path + "\\" + child->name != "C:\\pkg") {
      (*out)[path + "\\" + child->name] = std::to_string(child->attributes) + ":" + child->data;
      Files(*child, path + "\\" + child->name, out);
    }
}
void Keys(const platform::sim::RegNode& node, const std::string& path, State* out) {
  for (const auto& value : node.values) (*out)[path + "|" + value.name] = value.data;
  for (const auto& child : node.children) {
    (*out)[path + "\\" + child->name] = "key";
    Keys(*child, path + "\\" + child->name, out);
  }
}
State Snapshot() {
  State out;
  Files(*SimFiles::Get().Find("C:\\"), "C:", &out);
  Keys(*platform::sim::SimRegistry::Get().Root(), "HKLM", &out);
  for (const std::string& p : SimFiles::Get().PendingDeletes())
    if (p.rfind("C:\\Temp\\", 0) != 0) out["restart " + p] = "";
  return out;
}

void WritePackage(int v) {
  for (const std::string& f : kPackage) SimFiles::Get().AddFile("C:\\pkg\\Data\\" + f, f + std::to_string(v));
}
int RunExe(const std::string& exe, const std::string& arguments) {
  g_hostRegistry = CHostRegistry();
  SimFiles::Get().SetExecutablePath(exe);
  SimSystem::Get().SetCommandLine("\"" + exe + "\" " + arguments);
  EXPECT_FALSE(theApp.RunSetup());
  return theApp.ExitCode();
}
int Install() { return RunExe(kSetUp, "/S"); }

// Two hosts with their "Applications" keys, the user's own font, then the
// row's preparation; the state before it.
State Prepare(const std::function<void()>& before) {
  platform::sim::ResetAll();
  SimFiles::Get().AddFile(kSetUp, "MZ SetUp");
  SimFiles::Get().AddFolder("C:\\Temp");
  SimFiles::Get().AddFolder("C:\\ZW2021\\Fonts");
  SimFiles::Get().AddFile("C:\\ZW2024\\Fonts\\txt.shx", "the user's own");
  WritePackage(1);
  EXPECT_TRUE(ts::WriteTree({ts::Sz(ts::kZwcad + "2021\\zh-CN", "C:\\ZW2021"), ts::Sz(ts::kZwcad + "2024\\zh-CN", "C:\\ZW2024"),
                             ts::Key(ts::kZwcad + "2021\\zh-CN\\Applications"), ts::Key(ts::kZwcad + "2024\\zh-CN\\Applications\\Other"),
                             ts::Key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall")}));
  const State pristine = Snapshot();
  before();
  return pristine;
}

struct CutCase {
  const char* name;
  std::function<void()> before;
  std::function<int()> run;
};
const CutCase kCuts[] = {
    {"InstallIntoTwoHosts", [] {}, Install},
    {"UpgradeWithAManifest", [] {
       ASSERT_EQ(Install(), 0);
       WritePackage(2);
       std::string m = std::string(kManifestHeader) + "\r\n";
       for (const std::string& f : kPackage) m += "file\t" + f + "\t" + std::to_string(f.size() + 1) + "\t" + Sha256Hex(f + "2") + "\r\n";
       SimSystem::Get().ProgramData()[kManifestResource] = m + "end\t5\r\n";
     }, Install},
    {"Uninstall", [] { ASSERT_EQ(Install(), 0); }, [] { return RunExe(kUninstaller, "/S"); }},
};

class CutOff : public testing::TestWithParam<CutCase> {};

TEST_P(CutOff, EveryCutLeavesAWayBack) {
  const CutCase& c = GetParam();
  const bool uninstall = std::string(c.name) == "Uninstall";
  const auto began = std::chrono::steady_clock::now();
  const State pristine = Prepare(c.before);
  const long from = SimSystem::Get().Changes();
  ASSERT_EQ(c.run(), 0);
  const long points = SimSystem::Get().Changes() - from;
  const State whole = Snapshot();
  for (int check = 0; check < (uninstall ? 1 : 2); ++check) {
    for (long k = 0; k < points && !HasFailure(); ++k) {
      SCOPED_TRACE("check " + std::to_string(check) + ", cut after " + std::to_string(k) + " changes");
      Prepare(c.before);
      SimSystem::Get().CutAfter(SimSystem::Get().Changes() + k);
      c.run();
      SimSystem::Get().NoCut();
      const bool recorded = uninstall || SimFiles::Get().Find(kRecord);
      std::string named;
      std::vector<std::string> made;
      ReadAppsEntryState(&named, &made);
      if (check == 0) {  // the uninstall it left
        const int code = SimFiles::Get().Find(kUninstaller) ? RunExe(kUninstaller, "/S") : RunExe(kSetUp, "/UNINSTALL /S");
        EXPECT_TRUE(code == 0 || !uninstall) << code;
        if (!recorded) {  // empty folders made before the first record may stay
          platform::RemoveFolder((kFolder + "\\Korvex扩展绘图库").c_str());
          platform::RemoveFolder(kFolder.c_str());
          platform::RemoveFolder("C:\\Korvex");
        }
        EXPECT_EQ(Snapshot(), pristine);
        continue;
      }
      // The same install again; folders made before anything named them
      // are not this install's.
      State expected = whole;
      for (const std::string& line : {std::string("created\tC:\\Korvex\r\n"), "created\t" + kFolder + "\r\n",
                                      "created\t" + kFolder + "\\Korvex扩展绘图库\r\n"})
        if (!recorded && named.empty() && expected[kRecord].find(line) != std::string::npos &&
            SimFiles::Get().Find(line.substr(8, line.size() - 10)))
          expected[kRecord].erase(expected[kRecord].find(line), line.size());
      EXPECT_EQ(Install(), 0);
      EXPECT_EQ(Snapshot(), expected);
    }
  }
  std::printf("%s: %ld cut points, %.2f s\n", c.name, points,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
}

INSTANTIATE_TEST_SUITE_P(Runs, CutOff, testing::ValuesIn(kCuts), CaseName());

}  // namespace
