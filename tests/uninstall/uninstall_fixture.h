#pragma once
// A silent install through the install sequence itself, into
// <test root>\K\Tarnwell for a 2024 host at <test root>\H24, and what a
// test looks at afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "host/host_registry.h"
#include "install/install_fixture.h"
#include "install/install_sequence.h"
#include "platform/files.h"
#include "record/apps_entry.h"
#include "uninstall/uninstaller.h"

namespace testing_support {

const std::string kHostKey24 = "SOFTWARE\\ZWSOFT\\ZWCAD\\2024 Tarnwell test";
const std::string kLoaderKey24 = kHostKey24 + "\\Applications\\Korvex2024";
const std::string kEntryKey = std::string(kUninstallKeyParent) + "\\" + kUninstallKeyName;

class UninstallFixture : public InstallFixture {
 public:
  std::string host_, chosen_, folder_;
  std::vector<std::string> log_;

 protected:
  void SetUp() override {
    InstallFixture::SetUp();
#if defined(TARNWELL_PLATFORM_SIM)
    // The running executable, which the install copies as the uninstaller.
    ASSERT_TRUE(WriteFile(platform::ExecutablePath(), "MZ SetUp"));
#endif
    ASSERT_TRUE(platform::HoldRunningImage());  // as the program does at its start
    ASSERT_TRUE(DeleteTree(kHostKey24));
    ASSERT_TRUE(DeleteTree(kEntryKey));
    WritePackage({{"Korvex2021.ZRX"}, {"Korvex2025.ZRX"}, {"说明.txt"}, {"Korvex_EN.shx"},
                  {"Korvex_HZ.shx"}, {"Korvex扩展绘图库", platform::kAttrDirectory},
                  {"Korvex扩展绘图库\\门窗.dwg"}});
    host_ = root_ + "\\H24";
    ASSERT_TRUE(MakeFolders(host_ + "\\Fonts"));
    ASSERT_TRUE(WriteTree({Sz(kHostKey24, host_)}));
    chosen_ = root_ + "\\K";
    folder_ = chosen_ + "\\Tarnwell";
  }
  void TearDown() override {
    EXPECT_TRUE(DeleteTree(kHostKey24));
    EXPECT_TRUE(DeleteTree(kEntryKey));
    InstallFixture::TearDown();
  }

  // The silent install of the 2024 host into `chosen` (the test's own folder
  // unless given); its exit code.
  int InstallInto(const std::string& chosen) {
    g_hostRegistry = CHostRegistry();
    g_hostRegistry.ScanInstalledHosts();
    const bool years[kHostYearCount] = {false, false, false, true, false, false, false};
    return RunSilentInstall(chosen, years);
  }
  bool Install() { return InstallInto(chosen_) == kExitInstalled; }

  // An uninstall of the install folder (silent unless told); its exit code.
  int RunUninstallOf(bool silent = true, std::string runningImage = std::string()) {
    CHostRegistry hosts;
    hosts.ScanInstalledHosts();
    UninstallRun run;
    run.silent = silent;
    run.installFolder = folder_;
    run.runningImage = std::move(runningImage);
    run.log = [this](const std::string& line) { log_.push_back(line); };
    return RunUninstall(run, hosts);
  }

  // The test root's tree and the keys below the host key.
  std::vector<std::string> State() const {
    std::vector<std::string> out = Tree(root_);
    for (const std::string& key : SubKeys(kHostKey24)) {
      out.push_back("key " + key);
      for (const std::string& sub : SubKeys(kHostKey24 + "\\" + key))
        out.push_back("key " + key + "\\" + sub);
    }
    if (KeyExists(kEntryKey)) out.push_back("entry");
    return out;
  }
};

}  // namespace testing_support
