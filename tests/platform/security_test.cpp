// The security service and the link operations of the file system:
// natively against the simulated file system, under Wine against a real
// tree below C:\tarnwell-test. Wine 8 accepts owners and DACLs but stores
// neither (it answers a descriptor made from the Unix file mode), so these
// check the results of the calls; what Windows stores is checked in the
// simulation (tests/ui/install_sim_test.cpp).
#include <gtest/gtest.h>

#include <cstdint>
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

class SecurityCall : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::RemoveTree(kRoot));
    ASSERT_TRUE(testing_support::WriteFile(kFile, "f"));
  }
  void TearDown() override { EXPECT_TRUE(testing_support::RemoveTree(kRoot)); }
};

const FileSecurity kLocked = {kSidAdministrators, true,
                              {{kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
                               {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
                               {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers}}};

TEST_F(SecurityCall, FolderBornWithItsDescriptor) {
  const std::string made = kRoot + "\\made";
  EXPECT_EQ(MakeSecuredFolder(made.c_str(), kLocked), 0u);
  EXPECT_EQ(ReadAttributes(made.c_str()) & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(MakeSecuredFolder(made.c_str(), kLocked), kErrorNameExists);
  EXPECT_EQ(MakeSecuredFolder(kFile.c_str(), kLocked), kErrorNameExists);
  EXPECT_EQ(MakeSecuredFolder((kRoot + "\\none\\x").c_str(), kLocked), kErrorPathNotFound);
  EXPECT_EQ(ProcessUserSid().rfind("S-1-5-", 0), 0u) << ProcessUserSid();
}

TEST_F(SecurityCall, HeldEntryReadsRenamesAndDeletesItself) {
  HeldEntry entry;
  EXPECT_EQ(entry.Open((kDir + "\\none").c_str(), kAccessReadControl), kErrorFileNotFound);
  EXPECT_EQ(entry.Open((kDir + "\\none\\x").c_str(), kAccessReadControl), kErrorPathNotFound);
  ASSERT_EQ(entry.Open(kDir.c_str(), kAccessReadControl | kAccessWriteDac | kAccessDelete), 0u);
  std::uint32_t attributes = 0;
  FileSecurity s;
  std::string final;
  EXPECT_EQ(entry.Attributes(&attributes), 0u);
  EXPECT_EQ(attributes & (kAttrDirectory | kAttrReparsePoint), kAttrDirectory);
  EXPECT_EQ(entry.ReadSecurity(&s), 0u);
  EXPECT_FALSE(s.owner.empty());
  EXPECT_EQ(entry.SetDacl(kLocked.dacl, true), 0u);
  EXPECT_EQ(entry.FinalPath(&final), 0u);
  EXPECT_EQ(final, kDir);

  const std::string moved = kRoot + "\\moved";
  ASSERT_TRUE(testing_support::MakeFolders(moved));
  EXPECT_EQ(entry.Rename(moved.c_str()), kErrorNameExists) << "never over an existing name";
  ASSERT_TRUE(RemoveFolder(moved.c_str()));
  EXPECT_EQ(entry.Rename(moved.c_str()), 0u);
  EXPECT_EQ(entry.FinalPath(&final), 0u);
  EXPECT_EQ(final, moved);
  EXPECT_EQ(entry.Delete(), 145u) << "ERROR_DIR_NOT_EMPTY";

  HeldEntry file;
  ASSERT_EQ(file.Open((moved + "\\f.txt").c_str(), kAccessDelete | kAccessWriteAttributes), 0u);
  ASSERT_TRUE(WriteAttributes((moved + "\\f.txt").c_str(), kAttrReadOnly));
  EXPECT_EQ(file.Delete(), 0u) << "read-only cleared first";
  file.Close();
  EXPECT_EQ(entry.Delete(), 0u);
  entry.Close();
  EXPECT_FALSE(PathExists(moved.c_str()));
}

TEST_F(SecurityCall, FolderRemoval) {
  EXPECT_FALSE(RemoveFolder(kDir.c_str())) << "not empty";
  EXPECT_FALSE(RemoveFolder(kFile.c_str()));
  ASSERT_TRUE(RemoveFile(kFile.c_str()));
  EXPECT_TRUE(RemoveFolder(kDir.c_str()));
  EXPECT_FALSE(PathExists(kDir.c_str()));
}

}  // namespace
