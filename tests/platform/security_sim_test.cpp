// Owners and DACLs as Windows keeps them, in the simulated file system (Wine
// stores neither): what a new entry inherits below a drive's root and below
// a protected DACL, who may take ownership or write a DACL, and links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_tree.h"
#include "common/security_print.h"
#include "platform/files.h"
#include "platform/security.h"
#include "platform/sim/sim_files.h"

namespace {

using namespace platform;
using sim::SimFiles;

const char* const kOther = "S-1-5-21-9-9-9-1002";  // another user of the machine
constexpr std::uint8_t kDirInherited = kAceInherited | kAceInheritAll;

Ace Allow(const char* sid, std::uint32_t mask, std::uint8_t flags) {
  return {kAceAllow, flags, mask, sid};
}
std::vector<Ace> Locked(std::uint8_t flags) {
  return {Allow(kSidAdministrators, kAccessFull, flags), Allow(kSidSystem, kAccessFull, flags),
          Allow(kSidUsers, kAccessReadExecute, flags)};
}
FileSecurity Of(const std::string& path) { return *SimFiles::Get().Security(path); }
bool Lists(const std::string& folder) {
  FindEntry e;
  return FileFinder().First((folder + "\\*.*").c_str(), &e);
}

TEST(SecuritySim, ANewFolderBelowTheRootLetsAuthenticatedUsersModify) {
  ASSERT_TRUE(MakeFolder("C:\\Korvex"));
  ASSERT_TRUE(testing_support::WriteFile("C:\\Korvex\\a.txt", "a"));
  std::vector<Ace> dir = Locked(kDirInherited);
  dir.push_back(Allow(kSidAuthenticatedUsers, kAccessModify, kDirInherited));
  EXPECT_EQ(Of("C:\\Korvex"), (FileSecurity{kSidAdministrators, false, dir}));
  std::vector<Ace> file = Locked(kAceInherited);
  file.push_back(Allow(kSidAuthenticatedUsers, kAccessModify, kAceInherited));
  EXPECT_EQ(Of("C:\\Korvex\\a.txt"), (FileSecurity{kSidAdministrators, false, file}));
}

TEST(SecuritySim, ADaclIsSetExactlyAndWhatIsMadeLaterInheritsFromIt) {
  ASSERT_TRUE(testing_support::MakeFolders("C:\\K\\before"));
  const FileSecurity before = Of("C:\\K\\before");
  ASSERT_EQ(SetFileDacl("C:\\K", Locked(kAceInheritAll), true), 0u);
  EXPECT_EQ(Of("C:\\K"), (FileSecurity{kSidAdministrators, true, Locked(kAceInheritAll)}));
  EXPECT_EQ(Of("C:\\K\\before"), before) << "nothing is passed on to what is there";
  ASSERT_TRUE(MakeFolder("C:\\K\\after"));
  ASSERT_TRUE(testing_support::WriteFile("C:\\K\\after\\f.txt", "f"));
  EXPECT_EQ(Of("C:\\K\\after").dacl, Locked(kDirInherited)) << "no Authenticated Users";
  EXPECT_EQ(Of("C:\\K\\after\\f.txt").dacl, Locked(kAceInherited));
  const std::vector<Ace> one = {Allow(kSidAuthenticatedUsers, kAccessModify, kAceInherited)};
  ASSERT_EQ(SetFileDacl("C:\\K\\after\\f.txt", one, false), 0u);
  EXPECT_EQ(Of("C:\\K\\after\\f.txt"), (FileSecurity{kSidAdministrators, false, one}));
}

TEST(SecuritySim, OwnershipOfAnotherUsersFolderNeedsThePrivilege) {
  ASSERT_TRUE(testing_support::WriteFile("C:\\X\\f.txt", "f"));
  *SimFiles::Get().Security("C:\\X") = {kOther, true, {Allow(kOther, kAccessFull, kAceInheritAll)}};
  EXPECT_EQ(SetFileOwner("C:\\X", kSidAdministrators), kErrorAccessDenied);
  EXPECT_EQ(SetFileDacl("C:\\X", Locked(kAceInheritAll), true), kErrorAccessDenied);
  EXPECT_FALSE(Lists("C:\\X"));
  ASSERT_EQ(EnablePrivilege(kPrivilegeTakeOwnership, true), 0u);
  EXPECT_EQ(SetFileOwner("C:\\X", kOther), kErrorInvalidOwner) << "only its own accounts";
  EXPECT_EQ(SetFileOwner("C:\\X", kSidAdministrators), 0u);
  EXPECT_EQ(SetFileDacl("C:\\X", Locked(kAceInheritAll), true), 0u) << "the owner writes the DACL";
  EXPECT_TRUE(Lists("C:\\X"));
  ASSERT_EQ(EnablePrivilege(kPrivilegeTakeOwnership, false), 0u);
  // OWNER RIGHTS takes the owner's own right to write the DACL away.
  *SimFiles::Get().Security("C:\\X") = {kSidAdministrators, true,
                                        {Allow(kSidOwnerRights, kAccessReadExecute, 0)}};
  EXPECT_EQ(SetFileDacl("C:\\X", Locked(kAceInheritAll), true), kErrorAccessDenied);
  ASSERT_EQ(EnablePrivilege(kPrivilegeRestore, true), 0u);
  EXPECT_EQ(SetFileDacl("C:\\X", Locked(kAceInheritAll), true), 0u);
  // A process that is not elevated holds no such privilege.
  SimFiles::Get().Token() = sim::StandardUser();
  EXPECT_EQ(EnablePrivilege(kPrivilegeTakeOwnership, true), kErrorNotAllAssigned);
}

TEST(SecuritySim, LinksAreFollowedByListingsCopiesAndReadsNotBySettersOrRemoval) {
  ASSERT_TRUE(testing_support::WriteFile("C:\\T\\in.txt", "t"));
  ASSERT_TRUE(SimFiles::Get().AddLink("C:\\L", "C:\\T", true));
  ASSERT_TRUE(testing_support::WriteFile("C:\\src.txt", "s"));
  EXPECT_EQ(ReadAttributes("C:\\L"), kAttrDirectory | kAttrReparsePoint);
  EXPECT_TRUE(Lists("C:\\L"));
  EXPECT_TRUE(CopyOneFile("C:\\src.txt", "C:\\L\\new.txt", false));
  EXPECT_TRUE(PathExists("C:\\T\\new.txt"));
  const FileSecurity target = Of("C:\\T");
  ASSERT_EQ(SetFileDacl("C:\\L", Locked(kAceInheritAll), true), 0u);
  EXPECT_TRUE(Of("C:\\L").protectedDacl) << "the link's own DACL";
  EXPECT_EQ(Of("C:\\T"), target);
  FileSecurity read;
  ASSERT_EQ(ReadFileSecurity("C:\\L", &read), 0u);
  EXPECT_EQ(read, target);
  EXPECT_TRUE(RemoveFolder("C:\\L"));
  EXPECT_TRUE(PathExists("C:\\T\\in.txt"));
}

}  // namespace
