// SetUp.exe /S with a package manifest on the simulation: the listed package
// installs verified (others' files left, no entry limit); a missing file,
// another size or digest, a cut manifest end with 9, hosts and an earlier
// module untouched, no staged copy left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/install_machine.h"
#include "host/host_registry.h"
#include "install/folder_lock.h"
#include "package/package_manifest.h"
#include "package/sha256.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_system.h"
#include "ui/setup_dialog.h"

namespace {

namespace ts = testing_support;
using platform::sim::SimFiles;
using platform::sim::SimSystem;

const std::string kData = ts::kPkg + "\\Data\\";
const std::string kInstall = "C:\\Korvex\\Tarnwell\\";
const std::vector<std::string> kListed = {"Korvex2021.ZRX", "Korvex2025.ZRX", "a.txt", "Korvex扩展绘图库\\l1.dat",
                                          "Korvex扩展绘图库\\l2.dat", "Korvex_EN.shx", "Korvex_HZ.shx"};

std::string Manifest() {
  std::string text = std::string(kManifestHeader) + "\r\n";
  for (const std::string& f : kListed)
    text += "file\t" + f + "\t" + std::to_string(f.size()) + "\t" + Sha256Hex(f) + "\r\n";
  return text + "end\t" + std::to_string(kListed.size()) + "\r\n";
}

struct ManifestRun {
  const char* name;
  const char* change;    // a file of Data given other content ("" none)
  const char* content;   // its new content; nullptr: removed
  int exitCode;
  const char* logLine;   // a line the log holds
  const char* blocked = "";  // a staging name taken by a folder that cannot be removed
};
const ManifestRun kRuns[] = {
    {"Verified", "", "", 0, "package verified: every file copied has the SHA-256"},
    {"ModuleByteChanged", "Korvex2021.ZRX", "Korvex2021.ZRZ", 9,
     "package file not as the manifest says: C:\\pkg\\Data\\Korvex2021.ZRX: expected SHA-256 "},
    {"LibraryByteChanged", "Korvex扩展绘图库\\l2.dat", "Korvex扩展绘图库\\l2.daX", 9, "found SHA-256 "},
    {"LibraryFileRemoved", "Korvex扩展绘图库\\l1.dat", nullptr, 9,
     "l1.dat: expected 23 bytes; found no such file in the package"},
    {"OtherSize", "a.txt", "a.txt!", 9, "a.txt: expected 5 bytes; found 6 bytes"},
    {"FontByteChanged", "Korvex_HZ.shx", "Korvex_HZ.shX", 9, "found SHA-256 "},
    {"ManifestCutShort", "", "", 9, "package manifest of this SetUp.exe not usable: line 9: cut short"},
    {"NoManifest", "", "", 0, "package not verified: this SetUp.exe carries no package manifest"},
    // The third staged copy cannot be made after two others were: none of
    // them takes its final name, all are removed, and the copy has failed.
    {"StagingFailsAfterOthers", "", "", 5, "; every staged copy removed, nothing of the package installed",
     "~tarnwell-3.new"},
};

class ManifestInstall : public testing::TestWithParam<ManifestRun> {
 protected:
  void SetUp() override {
    g_hostRegistry = CHostRegistry();
    SimFiles::Get().AddFolder("C:\\Temp");
    ts::PrepareMachine();
  }
  void TearDown() override { g_hostRegistry = CHostRegistry(); }
};

TEST_P(ManifestInstall, InstallsOnlyWhatTheManifestVouchesFor) {
  const ManifestRun& c = GetParam();
  std::string manifest = Manifest();
  if (std::string(c.name) == "ManifestCutShort") manifest.resize(manifest.size() - 4);
  if (std::string(c.name) != "NoManifest") {
    SimSystem::Get().ProgramData()[kManifestResource] = manifest;
    ts::CrowdPackage();  // 150 files the manifest does not name: no entry limit applies
  }
  if (*c.change) {
    ASSERT_TRUE(c.content ? ts::WriteFile(kData + c.change, c.content)
                          : platform::RemoveFile((kData + c.change).c_str()));
  }
  // An earlier install's module, which a damaged package must not replace,
  // in its folder as that install locked it.
  ASSERT_TRUE(ts::WriteFile(kInstall + "Korvex2021.ZRX", "earlier"));
  if (*c.blocked) {
    ASSERT_TRUE(ts::WriteFile(kInstall + c.blocked + "\\keep", "x"));
  }
  *SimFiles::Get().Security("C:\\Korvex\\Tarnwell") = {platform::kSidAdministrators, true, LockedDacl()};
  const std::string exe = ts::kPkg + "\\SetUp.exe";
  SimFiles::Get().SetExecutablePath(exe);
  ASSERT_TRUE(ts::WriteFile(exe, "MZ SetUp"));
  SimSystem::Get().SetCommandLine("\"" + exe + "\" /S /LOG=C:\\m.log");
  EXPECT_FALSE(theApp.RunSetup());
  EXPECT_EQ(theApp.ExitCode(), c.exitCode);

  std::string log, module;  // the log and the earlier install's module after the run
  ASSERT_TRUE(ts::ReadFile("C:\\m.log", &log));
  EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
  ASSERT_TRUE(ts::ReadFile(kInstall + "Korvex2021.ZRX", &module));
  for (const std::string& name : ts::Tree("C:\\Korvex")) {
    const bool blocked = *c.blocked && name.find(c.blocked) != std::string::npos;
    EXPECT_TRUE(blocked || name.find(".new") == std::string::npos) << name;  // no staged copy left
  }
  if (c.exitCode != 0) {
    EXPECT_EQ(module, "earlier");
    ts::ExpectHostsUntouched();
    return;
  }
  EXPECT_EQ(module, "Korvex2021.ZRX");
  ts::ExpectHostsSetUp("C:\\Korvex\\Tarnwell");
  // The files the manifest does not name stay out.
  EXPECT_FALSE(ts::Exists(kInstall + "f0.txt"));
  EXPECT_TRUE(ts::Exists(kInstall + "Korvex扩展绘图库\\l2.dat"));
}

INSTANTIATE_TEST_SUITE_P(Manifest, ManifestInstall, testing::ValuesIn(kRuns), CaseName());

}  // namespace
