// Cut off at every call that changes the machine: for each k, an install
// into two hosts, an upgrade with a manifest over an earlier install, and an
// uninstall are run with every changing call after the first k failing (a
// power loss, a killed process), then the machine is looked at:
// - the uninstall the cut run left (Uninstall.exe in the folder, else
//   SetUp.exe /UNINSTALL) brings back the machine as it was before the
//   install (logs, and the empty folders of an install cut before its first
//   record, aside), the user's own font included;
// - the same install run again leaves exactly what one uninterrupted
//   install leaves;
// - an uninstall cut off, run again, ends 0 and leaves the machine as it
//   was before the install.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/install_machine.h"
#include "common/registry_tree.h"
#include "host/host_registry.h"
#include "install/install_sequence.h"
#include "package/package_manifest.h"
#include "record/apps_entry.h"
#include "package/sha256.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"

namespace {

namespace ts = testing_support;
using platform::sim::FsNode;
using platform::sim::RegNode;
using platform::sim::SimFiles;
using platform::sim::SimSystem;

const std::string kSetUp = "C:\\pkg\\SetUp.exe";
const std::string kFolder = "C:\\Korvex\\Tarnwell";
const std::string kUninstaller = kFolder + "\\Uninstall.exe";
const std::string kUserFont = "C:\\ZW2024\\Fonts\\txt.shx";
const std::vector<std::string> kPackage = {"Korvex2021.ZRX", "readme.txt", "Korvex_EN.shx",
                                           "Korvex_HZ.shx", "Korvex扩展绘图库\\a.dwg"};

// Everything the runs can change: files and folders (with attributes and
// content) outside the temporary folder and the package, every key and
// value, the deletes pending for the restart outside the temporary folder.
using State = std::map<std::string, std::string>;

void Files(const FsNode& node, const std::string& path, State* out) {
  for (const auto& child : node.children) {
    const std::string below = path + "\\" + child->name;
    if (below == "C:\\Temp" || below == "C:\\pkg") continue;
    (*out)[below] = std::to_string(child->attributes) + ":" + child->data;
    Files(*child, below, out);
  }
}

void Keys(const RegNode& node, const std::string& path, State* out) {
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

// The package of version `v` in C:\pkg\Data; each file holds its name and v.
void WritePackage(int v) {
  for (const std::string& f : kPackage) SimFiles::Get().AddFile("C:\\pkg\\Data\\" + f, f + std::to_string(v));
}

std::string ManifestOf(int v) {
  std::string text = std::string(kManifestHeader) + "\r\n";
  for (const std::string& f : kPackage) {
    const std::string data = f + std::to_string(v);
    text += "file\t" + f + "\t" + std::to_string(data.size()) + "\t" + Sha256Hex(data) + "\r\n";
  }
  return text + "end\t" + std::to_string(kPackage.size()) + "\r\n";
}

// Two hosts, each "Applications" key already there (another plug-in's
// below 2024), the user's own font beside where the fonts go.
void PrepareMachine() {
  SimFiles& fs = SimFiles::Get();
  fs.AddFile(kSetUp, "MZ SetUp");
  fs.AddFolder("C:\\Temp");
  fs.AddFolder("C:\\ZW2021\\Fonts");
  fs.AddFile(kUserFont, "the user's own");
  WritePackage(1);
  ASSERT_TRUE(ts::WriteTree({ts::Sz(ts::kZwcad + "2021\\zh-CN", "C:\\ZW2021"),
                             ts::Sz(ts::kZwcad + "2024\\zh-CN", "C:\\ZW2024"),
                             ts::Key(ts::kZwcad + "2021\\zh-CN\\Applications"),
                             ts::Key(ts::kZwcad + "2024\\zh-CN\\Applications\\Other"),
                             ts::Key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall")}));
}

int Run(const std::string& exe, const std::string& arguments) {
  g_hostRegistry = CHostRegistry();
  g_warnHostRunning = true;
  SimFiles::Get().SetExecutablePath(exe);
  SimSystem::Get().SetCommandLine("\"" + exe + "\" " + arguments);
  EXPECT_FALSE(theApp.RunSetup());
  return theApp.ExitCode();
}

// The uninstall a cut run left: its folder's uninstaller, else the entry's.
int UninstallLeft() {
  return SimFiles::Get().Find(kUninstaller) ? Run(kUninstaller, "/S") : Run(kSetUp, "/UNINSTALL /S");
}

// Without the empty folders an install cut before its first record made.
State WithoutEmptyFolders(State state) {
  for (const std::string& folder : {kFolder, std::string("C:\\Korvex")}) {
    const auto below = state.lower_bound(folder + "\\");
    if (below == state.end() || below->first.rfind(folder + "\\", 0) != 0) state.erase(folder);
  }
  return state;
}

struct CutRun {
  const char* name;
  std::function<void()> before;  // on the prepared machine, uncut
  std::function<int()> run;      // the run that is cut off
  bool uninstall;                // the cut run is the uninstall
};

void Upgrade() {
  ASSERT_EQ(Run(kSetUp, "/S"), 0);
  WritePackage(2);
  SimSystem::Get().ProgramData()[kManifestResource] = ManifestOf(2);
}

const CutRun kCutRuns[] = {
    {"InstallIntoTwoHosts", [] {}, [] { return Run(kSetUp, "/S"); }, false},
    {"UpgradeWithAManifest", Upgrade, [] { return Run(kSetUp, "/S"); }, false},
    {"Uninstall", [] { ASSERT_EQ(Run(kSetUp, "/S"), 0); }, [] { return Run(kUninstaller, "/S"); },
     true},
};

class CutOff : public testing::TestWithParam<CutRun> {
 protected:
  // A fresh machine, the state before anything was installed, then the
  // row's own preparation.
  State Prepare() {
    platform::sim::ResetAll();
    PrepareMachine();
    const State pristine = Snapshot();
    GetParam().before();
    return pristine;
  }
};

TEST_P(CutOff, EveryCutLeavesAWayBack) {
  const CutRun& c = GetParam();
  const auto began = std::chrono::steady_clock::now();
  const State pristine = Prepare();
  const State start = Snapshot();
  const long before = SimSystem::Get().Changes();
  const int uncut = c.run();
  const long points = SimSystem::Get().Changes() - before;
  ASSERT_EQ(uncut, 0);
  const State whole = Snapshot();
  ASSERT_NE(whole, start);
  for (long k = 0; k < points; ++k) {
    SCOPED_TRACE("cut after " + std::to_string(k) + " of " + std::to_string(points) + " changes");
    // The uninstall it left, or (for the uninstall) the same one again.
    Prepare();
    SimSystem::Get().CutAfter(SimSystem::Get().Changes() + k);
    c.run();
    SimSystem::Get().NoCut();
    ASSERT_EQ(SimFiles::Get().Find(kUserFont)->data, "the user's own");
    const bool recorded = c.uninstall || SimFiles::Get().Find(kFolder + "\\Uninstall.dat");
    const int again = UninstallLeft();
    if (c.uninstall) {
      EXPECT_EQ(again, 0);
    }
    EXPECT_EQ(recorded ? Snapshot() : WithoutEmptyFolders(Snapshot()), pristine);
    if (c.uninstall) continue;
    // The same install run again.
    Prepare();
    SimSystem::Get().CutAfter(SimSystem::Get().Changes() + k);
    c.run();
    SimSystem::Get().NoCut();
    // Folders made before anything named them are the user's to this run.
    State expected = whole;
    std::string named;
    std::uint32_t made = 0;
    ReadAppsEntryState(&named, &made);
    if (!SimFiles::Get().Find(kFolder + "\\Uninstall.dat") && named.empty()) {
      std::string& record = expected[kFolder + "\\Uninstall.dat"];
      for (const std::string& folder : {std::string("C:\\Korvex"), kFolder}) {
        const std::string line = "created\t" + folder + "\r\n";
        if (SimFiles::Get().Find(folder) && record.find(line) != std::string::npos)
          record.erase(record.find(line), line.size());
      }
    }
    EXPECT_EQ(c.run(), 0);
    EXPECT_EQ(Snapshot(), expected);
    if (HasFailure()) {
      break;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::printf("%s: %ld cut points, %.2f s\n", c.name, points, seconds);
}

INSTANTIATE_TEST_SUITE_P(Runs, CutOff, testing::ValuesIn(kCutRuns), CaseName());

}  // namespace
