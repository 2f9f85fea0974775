#pragma once
// Shared set-up of the install tests: the package source is the folder
// "Data" beside the running executable (the simulated C:\pkg\SetUp.exe
// natively, the test program itself under Wine), targets and host folders
// live below the test root, and a progress bar inside a dialog window
// counts the steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_tree.h"
#include "common/test_ui.h"
#include "platform/codepage.h"
#include "platform/files.h"
#if defined(TARNWELL_PLATFORM_SIM)
#include "platform/sim/sim_files.h"
#endif

namespace testing_support {

// A file (content: its own path) or, with the folder bit, a folder.
struct Item {
  std::string path;
  std::uint32_t attributes = 0;
};

inline bool Make(const std::string& base, const Item& item) {
  const std::string path = base + "\\" + item.path;
  if (item.attributes & platform::kAttrDirectory) {
    if (!MakeFolders(path)) return false;
    return item.attributes == platform::kAttrDirectory ||
           platform::WriteAttributes(path.c_str(), item.attributes);
  }
  return WriteFile(path, item.path, item.attributes);
}

class InstallFixture : public testing::Test {
 protected:
  void SetUp() override {
#if defined(TARNWELL_PLATFORM_SIM)
    platform::sim::SimFiles::Get().SetExecutablePath("C:\\pkg\\SetUp.exe");
    ASSERT_TRUE(MakeFolders("C:\\pkg"));
#endif
    const std::string exe = platform::ExecutablePath();
    exeFolder_ = exe.substr(0, platform::FindLastChar(exe, '\\'));
    data_ = exeFolder_ + "\\Data";
    root_ = kTestRoot;
    ASSERT_TRUE(RemoveTree(data_));
    ASSERT_TRUE(RemoveTree(root_));
    ASSERT_TRUE(MakeFolders(root_));
  }
  void TearDown() override {
    EXPECT_TRUE(RemoveTree(data_));
    EXPECT_TRUE(RemoveTree(root_));
    for (const std::string& path : beside_) EXPECT_TRUE(RemoveTree(path));
  }
  // Writes items into the Data folder.
  void WritePackage(const std::vector<Item>& items) {
    ASSERT_TRUE(MakeFolders(data_));
    for (const Item& item : items) ASSERT_TRUE(Make(data_, item)) << item.path;
  }
  // Writes an item beside the executable (removed again at the end).
  void WriteBeside(const Item& item) {
    beside_.push_back(exeFolder_ + "\\" + item.path);
    ASSERT_TRUE(Make(exeFolder_, item));
  }

  std::string exeFolder_, data_, root_;
  std::vector<std::string> beside_;
  TestProgressBar progress_;
};

}  // namespace testing_support
