// Scan behaviour that needs the simulated registry's controls: keys that
// cannot be opened, keys that vanish while the scan runs, and a record of
// every registry call the scan makes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "host/host_registry.h"
#include "platform/sim/sim_registry.h"

namespace {

using platform::sim::SimRegistry;
using testing_support::Sz;

const std::string kZw = "SOFTWARE\\ZWSOFT\\";

std::vector<std::string> KeyPaths(const CHostRegistry& r, int year) {
  std::vector<std::string> out;
  const StringList& list = r.m_keyPaths[HostYearIndex(year)];
  for (std::size_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i));
  return out;
}

// Windows can deny reading a key to an administrator (an ACL set by an
// installer); Wine does not enforce registry ACLs, so this runs on sim only.
TEST(ScanSim, UnreadableKeyInTheMiddleOfAVersionKeyIsPassedOver) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2021\\A\\deep", "C:\\a"),
                                          Sz(kZw + "ZWCAD\\2021\\B", "C:\\b"),
                                          Sz(kZw + "ZWCAD\\2021\\C\\x", "C:\\c")}));
  ASSERT_TRUE(SimRegistry::Get().SetDenied(kZw + "ZWCAD\\2021\\B", true));
  CHostRegistry r;
  r.ScanInstalledHosts();
  EXPECT_EQ(KeyPaths(r, 2021), (std::vector<std::string>{kZw + "ZWCAD\\2021\\A\\deep\\",
                                                          kZw + "ZWCAD\\2021\\C\\x\\"}));
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 0);
}

TEST(ScanSim, UnreadableProductAndVersionKeysContributeNothing) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2022", "C:\\z"),
                                          Sz(kZw + "ZWCADA\\2022", "C:\\a"),
                                          Sz(kZw + "MEP\\2022", "C:\\m"),
                                          Sz(kZw + "MEP\\2023", "C:\\m3")}));
  ASSERT_TRUE(SimRegistry::Get().SetDenied(kZw + "ZWCAD", true));
  ASSERT_TRUE(SimRegistry::Get().SetDenied(kZw + "MEP\\2022", true));
  CHostRegistry r;
  r.ScanInstalledHosts();
  EXPECT_EQ(KeyPaths(r, 2022), std::vector<std::string>{kZw + "ZWCADA\\2022\\"});
  EXPECT_EQ(KeyPaths(r, 2023), std::vector<std::string>{kZw + "MEP\\2023\\"});
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 0);
}

// Another program removes keys while the scan holds handles to them.
TEST(ScanSim, KeysRemovedDuringTheScanArePassedOver) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2024\\A", "C:\\a"),
                                          Sz(kZw + "ZWCAD\\2024\\B\\inner", "C:\\b"),
                                          Sz(kZw + "ZWCAD\\2025", "C:\\25"),
                                          Sz(kZw + "ZWCAD\\2026", "C:\\26")}));
  int enumerations = 0;
  SimRegistry::Get().SetCallHook([&](const char* op) {
    if (std::string(op) != "RegEnumKeyExA") return;
    // After the version key 2024 listed A: remove B and the version 2025.
    if (++enumerations == 3) {
      SimRegistry::Get().RemoveTree(kZw + "ZWCAD\\2024\\B");
      SimRegistry::Get().RemoveTree(kZw + "ZWCAD\\2025");
    }
  });
  CHostRegistry r;
  r.ScanInstalledHosts();
  EXPECT_EQ(KeyPaths(r, 2024), std::vector<std::string>{kZw + "ZWCAD\\2024\\A\\"});
  EXPECT_TRUE(KeyPaths(r, 2025).empty());
  // The count was taken once (3); 2026 moved up to index 1, index 2 is gone.
  EXPECT_EQ(KeyPaths(r, 2026), std::vector<std::string>{kZw + "ZWCAD\\2026\\"});
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 0);
}

TEST(ScanSim, OnlyReadsAndClosesEveryKeyItOpens) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2024\\A\\B", "C:\\a"),
                                          Sz(kZw + "MEP\\2027", "C:\\m")}));
  std::set<std::string> operations;
  SimRegistry::Get().SetCallHook([&](const char* op) { operations.insert(op); });
  CHostRegistry r;
  r.ScanInstalledHosts();
  EXPECT_EQ(operations, (std::set<std::string>{"RegOpenKeyA", "RegOpenKeyExA", "RegQueryInfoKeyA",
                                               "RegEnumKeyExA", "RegQueryValueExA", "RegCloseKey"}));
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 0);
}

TEST(ScanSim, NameTooLongForTheEnumerationBufferIsSkipped) {
  std::string chinese;
  for (int i = 0; i < 130; ++i) chinese += "望";
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2024\\" + chinese, "C:\\long"),
                                          Sz(kZw + "ZWCAD\\2024\\zz", "C:\\short")}));
  CHostRegistry r;
  r.ScanInstalledHosts();
  EXPECT_EQ(KeyPaths(r, 2024), std::vector<std::string>{kZw + "ZWCAD\\2024\\zz\\"});
}

}  // namespace
