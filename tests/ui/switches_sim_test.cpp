// SetUp.exe with switches on the simulated machine: the table that the real
// SetUp.exe also runs under Wine (tests/e2e_silent), run through the start
// routine with the command line set.
#include <gtest/gtest.h>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/install_machine.h"
#include "install/folder_lock.h"
#include "host/host_registry.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_dialog.h"

namespace {

namespace ts = testing_support;
using platform::sim::SimFiles;
using platform::sim::SimSystem;
using platform::sim::SimUi;

class SwitchTable : public testing::TestWithParam<ts::SwitchRun> {
 protected:
  void SetUp() override {
    g_hostRegistry = CHostRegistry();
    g_warnHostRunning = true;
    SimFiles::Get().AddDrive('D');
    for (const char* folder : {"C:\\Program Files", "C:\\Temp"}) SimFiles::Get().AddFolder(folder);
    ts::PrepareMachine();
  }
  void TearDown() override { g_hostRegistry = CHostRegistry(); }
};

TEST_P(SwitchTable, EndsWithItsCodeAndShowsNoWindow) {
  const ts::SwitchRun& c = GetParam();
  std::string exe = ts::kPkg + "\\SetUp.exe";
  if (c.prepare == ts::Prepare::kNoPackage) exe = "C:\\nopkg\\SetUp.exe";
  if (c.prepare == ts::Prepare::kCrowdedPackage) ts::CrowdPackage();
  if (c.prepare == ts::Prepare::kHostRunning)
    platform::sim::SimProcesses::Get().SetProcesses({"System", "ZWCAD.EXE"});
  if (c.prepare == ts::Prepare::kLogLinked) {
    ASSERT_TRUE(ts::WriteFile(ts::kVictim, "keep"));
    ASSERT_TRUE(SimFiles::Get().AddLink(ts::SilentLogFile(), ts::kVictim, false));
  }
  ts::PrepareAttack(c.prepare);
  if (c.prepare == ts::Prepare::kHeldModule) {
    ASSERT_TRUE(ts::WriteFile("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX", "old"));
    SimFiles::Get().SetHeldOpen("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX", true);
    // As an earlier install left it, locked: used as it is. (Under Wine the
    // test account's folder is trusted as its own.)
    *SimFiles::Get().Security("C:\\Korvex\\Tarnwell") = {platform::kSidAdministrators, true,
                                                         LockedDacl()};
  }
  SimFiles::Get().SetExecutablePath(exe);
  ASSERT_TRUE(ts::WriteFile(exe, "MZ SetUp"));  // the running program, copied as the uninstaller
  SimSystem::Get().SetCommandLine("\"" + exe + "\" " + c.arguments);
  EXPECT_FALSE(theApp.RunSetup());
  SimFiles::Get().SetHeldOpen("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX", false);

  ts::RunSeen seen;
  seen.ended = true;
  seen.exitCode = theApp.ExitCode();
  seen.window = !SimUi::Get().Runs().empty();
  for (const auto& box : SimUi::Get().Boxes()) seen.boxes.emplace_back(box.caption, box.text);
  for (unsigned pause : SimSystem::Get().Pauses()) seen.seconds += pause / 1000.0;
  ts::ExpectRun(c, seen);
}

INSTANTIATE_TEST_SUITE_P(CommandLine, SwitchTable, testing::ValuesIn(ts::SwitchRuns()), CaseName());

}  // namespace
