// File-system behaviour where Wine 8 differs from Windows on NTFS; the
// simulation follows Windows: read-only and hidden targets refuse to be
// overwritten, a folder keeps further attribute bits, alternate data
// streams exist (Wine makes "a:Zone.Identifier" a file of its own), and
// entries keep an owner and a DACL (Wine keeps neither).
#include <gtest/gtest.h>

#include "common/file_tree.h"
#include "common/security_print.h"
#include "platform/files.h"
#include "platform/security.h"
#include "platform/sim/sim_files.h"

namespace {

using platform::sim::SimFiles;

TEST(FilesSim, ReadOnlyHiddenOrHeldTargetsRefuseTheCopy) {
  ASSERT_TRUE(testing_support::WriteFile("C:\\s\\src", "new"));
  // Read-only, hidden, and held open by another process.
  for (std::uint32_t attributes : {0x01u, 0x02u, 0u}) {
    ASSERT_TRUE(testing_support::WriteFile("C:\\s\\dst", "old", platform::kAttrArchive));
    ASSERT_TRUE(platform::WriteAttributes("C:\\s\\dst", attributes));
    ASSERT_TRUE(SimFiles::Get().SetHeldOpen("C:\\s\\dst", attributes == 0));
    EXPECT_FALSE(platform::CopyOneFile("C:\\s\\src", "C:\\s\\dst", false)) << attributes;
    EXPECT_EQ(SimFiles::Get().Find("C:\\s\\dst")->data, "old");
    ASSERT_TRUE(SimFiles::Get().SetHeldOpen("C:\\s\\dst", false));
    ASSERT_TRUE(platform::WriteAttributes("C:\\s\\dst", 0));
    EXPECT_EQ(platform::ReadAttributes("C:\\s\\dst"), platform::kAttrNormal);
  }
  ASSERT_TRUE(SimFiles::Get().SetHeldOpen("C:\\s\\dst", true));
  EXPECT_FALSE(platform::RemoveFile("C:\\s\\dst"));
}

TEST(FilesSim, CopyCarriesAttributesAndStreams) {
  ASSERT_TRUE(testing_support::WriteFile("C:\\s\\src", "x", platform::kAttrHidden | platform::kAttrArchive));
  ASSERT_TRUE(SimFiles::Get().AddStream("C:\\s\\src", "Zone.Identifier", "[ZoneTransfer]"));
  ASSERT_TRUE(platform::CopyOneFile("C:\\S\\SRC", "C:\\s\\dst", false));
  EXPECT_EQ(platform::ReadAttributes("C:\\s\\dst"), platform::kAttrHidden | platform::kAttrArchive);
  EXPECT_TRUE(SimFiles::Get().HasStream("C:\\s\\dst", "zone.identifier"));
  // A stream is no entry of the listing, and deleting it leaves the file.
  EXPECT_EQ(testing_support::ListNames("C:\\s"), (std::vector<std::string>{"dst", "src"}));
  EXPECT_TRUE(platform::RemoveFile("C:\\s\\src:Zone.Identifier"));
  EXPECT_FALSE(platform::RemoveFile("C:\\s\\src:Zone.Identifier"));
  EXPECT_TRUE(platform::PathExists("C:\\s\\src"));
}

TEST(FilesSim, FolderKeepsFurtherAttributeBits) {
  ASSERT_TRUE(testing_support::MakeFolders("C:\\s\\backup.old"));
  ASSERT_TRUE(platform::WriteAttributes("C:\\s\\backup.old", platform::kAttrReadOnly));
  platform::FindEntry e;
  platform::FileFinder finder;
  ASSERT_TRUE(finder.First("C:\\s\\backup.old", &e));
  EXPECT_EQ(e.attributes, platform::kAttrDirectory | platform::kAttrReadOnly);
  EXPECT_FALSE(platform::CopyOneFile("C:\\s\\backup.old", "C:\\s\\x", false));
}

}  // namespace
