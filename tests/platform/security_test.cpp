// The security service and the link operations of the file system:
// natively against the simulated file system, under Wine against a real
// tree below C:\tarnwell-test. Wine 8 accepts owners and DACLs but stores
// neither (GetNamedSecurityInfoA answers a descriptor made from the Unix
// file mode), so this table checks what both give, the results of the
// calls; what Windows stores is checked in the simulation
// (tests/ui/install_sim_test.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "platform/files.h"
#include "platform/security.h"

namespace {

using namespace platform;

const std::string kRoot = std::string(testing_support::kTestRoot) + "\\sec";
const std::string kDir = kRoot + "\\dir";
const std::string kFile = kDir + "\\f.txt";

struct CallCase {
  const char* name;
  std::function<std::uint32_t()> call;
  std::uint32_t result;
};
void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class SecurityCall : public testing::TestWithParam<CallCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::RemoveTree(kRoot));
    ASSERT_TRUE(testing_support::WriteFile(kFile, "f"));
  }
  void TearDown() override {
    EnablePrivilege(kPrivilegeTakeOwnership, false);
    EXPECT_TRUE(testing_support::RemoveTree(kRoot));
  }
};

TEST_P(SecurityCall, GivesItsWin32Result) { EXPECT_EQ(GetParam().call(), GetParam().result); }

const std::vector<Ace> kLocked = {{kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
                                  {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
                                  {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers}};

INSTANTIATE_TEST_SUITE_P(
    Calls, SecurityCall,
    testing::Values(
        CallCase{"OwnerOfFolder", [] { return SetFileOwner(kDir.c_str(), kSidAdministrators); }, 0},
        CallCase{"OwnerOfFile", [] { return SetFileOwner(kFile.c_str(), kSidAdministrators); }, 0},
        CallCase{"ProtectedDacl", [] { return SetFileDacl(kDir.c_str(), kLocked, true); }, 0},
        CallCase{"UnprotectedDacl",
                 [] {
                   std::vector<Ace> inherited = kLocked;
                   for (Ace& a : inherited) a.flags = kAceInherited;
                   return SetFileDacl(kFile.c_str(), inherited, false);
                 },
                 0},
        CallCase{"OwnerOfMissingEntry",
                 [] { return SetFileOwner((kDir + "\\none").c_str(), kSidAdministrators); },
                 kErrorFileNotFound},
        CallCase{"DaclBelowMissingFolder",
                 [] { return SetFileDacl((kDir + "\\none\\x").c_str(), kLocked, true); },
                 kErrorPathNotFound},
        CallCase{"TakeOwnershipPrivilege",
                 [] { return EnablePrivilege(kPrivilegeTakeOwnership, true); }, 0},
        CallCase{"UnknownPrivilege", [] { return EnablePrivilege("SeNoSuchPrivilege", true); },
                 1313}),  // ERROR_NO_SUCH_PRIVILEGE
    CaseName());

TEST_F(SecurityCall, LinkCountAndFolderRemoval) {
  const std::string other = kRoot + "\\other.txt";
  EXPECT_EQ(LinkCount(kFile.c_str()), 1u);
  ASSERT_TRUE(testing_support::MakeHardLink(kFile, other));
  EXPECT_EQ(LinkCount(kFile.c_str()), 2u);
  EXPECT_EQ(LinkCount(other.c_str()), 2u);
  EXPECT_EQ(LinkCount((kDir + "\\none").c_str()), 0u);
  EXPECT_FALSE(RemoveFolder(kDir.c_str())) << "not empty";
  EXPECT_FALSE(RemoveFolder(kFile.c_str()));
  ASSERT_TRUE(RemoveFile(kFile.c_str()));
  EXPECT_EQ(LinkCount(other.c_str()), 1u);
  EXPECT_TRUE(RemoveFolder(kDir.c_str()));
  EXPECT_FALSE(PathExists(kDir.c_str()));
}

}  // namespace
