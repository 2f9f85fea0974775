// Taking over an install folder: the steps taken and their results,
// natively against the simulation and under Wine on a real tree (where every
// call succeeds and nothing is stored). The owners and DACLs left behind are
// checked with the whole install in tests/ui/install_sim_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "package/folder_lock.h"
#include "platform/files.h"

namespace {

const std::string kRoot = std::string(testing_support::kTestRoot) + "\\lock";
const std::string kOutside = kRoot + "\\outside.dll";

struct TakeOverCase {
  const char* name;
  std::string folder;                // below kRoot, made unless its parent is missing
  std::vector<std::string> files;    // below the folder
  std::vector<std::string> aliases;  // below the folder: further names of kOutside
  std::vector<std::string> steps;    // every step, the folder written as "T"
};
void PrintTo(const TakeOverCase& c, std::ostream* os) { *os << c.name; }

class TakeOver : public testing::TestWithParam<TakeOverCase> {
 protected:
  void SetUp() override {
    g_lockSteps.clear();
    ASSERT_TRUE(testing_support::RemoveTree(kRoot));
    ASSERT_TRUE(testing_support::WriteFile(kOutside, "outside"));
  }
  void TearDown() override { EXPECT_TRUE(testing_support::RemoveTree(kRoot)); }
  static std::vector<std::string> Steps(const std::string& folder) {
    std::vector<std::string> out;
    for (const LockStep& step : g_lockSteps) {
      std::string text = DescribeLockStep(step);
      const std::size_t at = text.find(folder);
      if (at != std::string::npos) text.replace(at, folder.size(), "T");
      out.push_back(text);
    }
    return out;
  }
};

TEST_P(TakeOver, LocksTheFolderAndResetsWhatItHolds) {
  const TakeOverCase& c = GetParam();
  const std::string folder = kRoot + "\\" + c.folder;
  if (c.folder == "T") {
    ASSERT_TRUE(testing_support::MakeFolders(folder));
  }
  for (const std::string& f : c.files)
    ASSERT_TRUE(testing_support::WriteFile(folder + "\\" + f, f));
  for (const std::string& a : c.aliases)
    ASSERT_TRUE(testing_support::MakeHardLink(kOutside, folder + "\\" + a));
  TakeOverFolder(folder);
  EXPECT_EQ(Steps(folder), c.steps);
  std::string data;
  EXPECT_TRUE(testing_support::ReadFile(kOutside, &data) && data == "outside");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, TakeOver,
    testing::Values(
        TakeOverCase{"Empty", "T", {}, {}, {"owner T: 0", "dacl T: 0"}},
        TakeOverCase{"EarlierInstall",
                     "T",
                     {"Korvex2021.ZRX", "lib\\a.dwg", "old.dll"},
                     {},
                     {"owner T: 0", "dacl T: 0", "owner T\\Korvex2021.ZRX: 0",
                      "inherit T\\Korvex2021.ZRX: 0", "owner T\\lib: 0", "inherit T\\lib: 0",
                      "owner T\\lib\\a.dwg: 0", "inherit T\\lib\\a.dwg: 0", "owner T\\old.dll: 0",
                      "inherit T\\old.dll: 0"}},
        TakeOverCase{"SecondNameOfAFileOutside",
                     "T",
                     {"a.txt"},
                     {"x.dll"},
                     {"owner T: 0", "dacl T: 0", "owner T\\a.txt: 0", "inherit T\\a.txt: 0",
                      "unlink T\\x.dll: 0"}},
        TakeOverCase{
            "MissingParent", "none\\T", {}, {}, {"owner T: 3", "dacl T: 3", "list T: 4294967295"}}),
    CaseName());

}  // namespace
