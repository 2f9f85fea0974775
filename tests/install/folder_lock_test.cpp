// The install folder made, used or replaced, and a folder on the way
// tightened: natively against the simulation and under Wine on a real tree.
// Wine keeps no descriptor of its own: it reports one made from the Unix mode
// and turns a DACL it is given into a mode, so a folder opened to Everyone
// reads back as Everyone "Modify" there too. The exact descriptors Windows
// keeps are checked in tests/ui/install_sim_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "install/folder_lock.h"
#include "platform/files.h"

namespace {

namespace ts = testing_support;
using namespace platform;

const std::string kRoot = std::string(ts::kTestRoot) + "\\lock";
const std::string kOutside = kRoot + "\\outside.dll";
const std::string kT = kRoot + "\\Tarnwell";

// Everyone may modify the folder and what it will hold.
void OpenToEveryone(const std::string& path) {
  HeldEntry entry;
  ASSERT_EQ(entry.Open(path.c_str(), kAccessReadControl | kAccessWriteDac), 0u);
  ASSERT_EQ(entry.SetDacl({{kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
                           {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
                           {kAceAllow, kAceInheritAll, kAccessModify, kSidEveryone}},
                          false),
            0u);
}

struct PrepareCase {
  const char* name;
  std::function<void()> plant;  // what lies at kT before
  CInstallFolder::Result result;
  std::vector<std::string> kept;  // what kT holds afterwards
};
void PrintTo(const PrepareCase& c, std::ostream* os) { *os << c.name; }

class InstallFolder : public testing::TestWithParam<PrepareCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::RemoveTree(kRoot));
    ASSERT_TRUE(ts::WriteFile(kOutside, "outside"));
  }
  void TearDown() override { EXPECT_TRUE(ts::RemoveTree(kRoot)); }
};

TEST_P(InstallFolder, IsUsedMadeOrReplacedAndTheOldOneRemovedByHandle) {
  const PrepareCase& c = GetParam();
  c.plant();
  CInstallFolder folder;
  std::string reason;
  EXPECT_EQ(folder.Prepare(kT, &reason), c.result) << reason;
  EXPECT_EQ(folder.Created(), c.result != CInstallFolder::kUsed);
  EXPECT_EQ(folder.MovedAside().empty(), c.result != CInstallFolder::kReplaced);
  folder.RemoveMovedAside();
  EXPECT_EQ(ts::ListNames(kRoot), (std::vector<std::string>{"outside.dll", "Tarnwell"}));
  EXPECT_EQ(ts::Tree(kT), c.kept);
  std::string data;
  EXPECT_TRUE(ts::ReadFile(kOutside, &data) && data == "outside");
  CInstallFolder again;
  EXPECT_EQ(again.Prepare(kT, &reason), CInstallFolder::kUsed) << "born locked: " << reason;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallFolder,
    testing::Values(
        PrepareCase{"Missing", [] {}, CInstallFolder::kCreated, {}},
        PrepareCase{"LockedByAnEarlierInstall",
                    [] {
                      ASSERT_EQ(MakeLockedFolder(kT), 0u);
                      ASSERT_TRUE(ts::WriteFile(kT + "\\a.dll", "a"));
                    },
                    CInstallFolder::kUsed, {"a.dll"}},
        PrepareCase{"OpenToEveryone",
                    [] {
                      ASSERT_TRUE(ts::WriteFile(kT + "\\sub\\deep\\f.txt", "f", kAttrReadOnly));
                      ASSERT_TRUE(ts::WriteFile(kT + "\\Uninstall.dat", "x"));
                      ASSERT_TRUE(ts::MakeHardLink(kOutside, kT + "\\x.dll"));
                      OpenToEveryone(kT);
                    },
                    CInstallFolder::kReplaced, {}},
        PrepareCase{"AFileOfThatName", [] { ASSERT_TRUE(ts::WriteFile(kT, "x")); },
                    CInstallFolder::kReplaced, {}}),
    CaseName());

TEST_F(InstallFolder, FolderOpenToEveryoneOnTheWayIsTightenedNotRefused) {
  const std::string chosen = kRoot + "\\open";
  ASSERT_TRUE(ts::MakeFolders(chosen));
  OpenToEveryone(chosen);
  std::string reason;
  EXPECT_TRUE(SecureTheWay(chosen + "\\Tarnwell", &reason)) << reason;
  EXPECT_TRUE(SecureTheWay(chosen + "\\..\\open\\.\\\\none\\deeper", &reason)) << reason;
}

}  // namespace
