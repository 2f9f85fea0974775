// The file-system layer: natively against the simulated file system, under
// Wine against real folders below C:\tarnwell-test; each case builds and
// removes its own tree.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "platform/files.h"
#include "platform/system.h"

namespace {

using testing_support::WriteFile;

class Files : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::RemoveTree(root_));
    ASSERT_TRUE(testing_support::MakeFolders(root_));
  }
  void TearDown() override { EXPECT_TRUE(testing_support::RemoveTree(root_)); }
  std::string P(const std::string& name) const { return root_ + "\\" + name; }
  const std::string root_ = std::string(testing_support::kTestRoot) + "\\fs";
};

std::vector<std::pair<std::string, bool>> Listing(const std::string& pattern) {
  std::vector<std::pair<std::string, bool>> out;
  platform::FindEntry e;
  platform::FileFinder finder;
  for (bool more = finder.First(pattern.c_str(), &e); more; more = finder.Next(&e))
    out.push_back({e.name, (e.attributes & platform::kAttrDirectory) != 0});
  return out;
}

TEST_F(Files, ListingGivesDotsThenNtfsOrder) {
  for (const char* name : {"b.txt", "a.txt", "Mm.txt", "zz.txt", "aa.txt", "README"})
    ASSERT_TRUE(WriteFile(P(name), name));
  ASSERT_TRUE(testing_support::MakeFolders(P("sub")));
  const std::vector<std::pair<std::string, bool>> expected = {
      {".", true},       {"..", true},      {"a.txt", false}, {"aa.txt", false}, {"b.txt", false},
      {"Mm.txt", false}, {"README", false}, {"sub", true},    {"zz.txt", false}};
  EXPECT_EQ(Listing(root_ + "\\*.*"), expected);
  EXPECT_EQ(Listing(root_ + "\\*"), expected);
}

TEST_F(Files, PatternWithoutWildcardYieldsThePathItself) {
  ASSERT_TRUE(WriteFile(P("a.txt"), "a"));
  ASSERT_TRUE(testing_support::MakeFolders(P("sub.dir")));
  using Entries = std::vector<std::pair<std::string, bool>>;
  EXPECT_EQ(Listing(P("sub.dir")), (Entries{{"sub.dir", true}}));
  EXPECT_EQ(Listing(P("A.TXT")), (Entries{{"a.txt", false}}));
  EXPECT_TRUE(Listing(P("none")).empty());
  EXPECT_TRUE(Listing(P("none\\*.*")).empty());
  EXPECT_TRUE(platform::PathExists(P("SUB.DIR").c_str()));
  EXPECT_FALSE(platform::PathExists(P("none").c_str()));
}

TEST_F(Files, AttributesReadAndWritten) {
  ASSERT_TRUE(WriteFile(P("a.txt"), "a"));
  const std::string a = P("a.txt");
  EXPECT_EQ(platform::ReadAttributes(a.c_str()) & platform::kAttrReadOnly, 0u);
  ASSERT_TRUE(platform::WriteAttributes(a.c_str(), platform::kAttrReadOnly));
  // Windows reads back 0x01; Wine 8 keeps the archive bit (0x21).
  EXPECT_NE(platform::ReadAttributes(a.c_str()) & platform::kAttrReadOnly, 0u);
  EXPECT_FALSE(platform::RemoveFile(a.c_str()));  // read-only files are not deleted
  ASSERT_TRUE(platform::WriteAttributes(a.c_str(), platform::kAttrNormal));
  EXPECT_EQ(platform::ReadAttributes(a.c_str()) & platform::kAttrReadOnly, 0u);
  EXPECT_NE(platform::ReadAttributes(root_.c_str()) & platform::kAttrDirectory, 0u);
  EXPECT_EQ(platform::ReadAttributes(P("none").c_str()), platform::kInvalidAttributes);
  EXPECT_FALSE(platform::WriteAttributes(P("none").c_str(), platform::kAttrNormal));
  // No zone mark on a file written here, and none on a missing file.
  EXPECT_FALSE(platform::RemoveFile((a + ":Zone.Identifier").c_str()));
  EXPECT_TRUE(platform::RemoveFile(a.c_str()));
  EXPECT_FALSE(platform::PathExists(a.c_str()));
  EXPECT_FALSE(platform::RemoveFile(a.c_str()));
}

TEST_F(Files, CopyTakesContentAndAttributes) {
  ASSERT_TRUE(WriteFile(P("src.dat"), "new", platform::kAttrReadOnly));
  ASSERT_TRUE(WriteFile(P("old.dat"), "old"));
  ASSERT_TRUE(testing_support::MakeFolders(P("dir")));
  std::string data;
  EXPECT_TRUE(platform::CopyOneFile(P("src.dat").c_str(), P("copy.dat").c_str(), false));
  ASSERT_TRUE(testing_support::ReadFile(P("copy.dat"), &data));
  EXPECT_EQ(data, "new");
  EXPECT_NE(platform::ReadAttributes(P("copy.dat").c_str()) & platform::kAttrReadOnly, 0u);
  EXPECT_FALSE(platform::CopyOneFile(P("src.dat").c_str(), P("old.dat").c_str(), true));
  ASSERT_TRUE(testing_support::ReadFile(P("old.dat"), &data));
  EXPECT_EQ(data, "old");
  EXPECT_TRUE(platform::CopyOneFile(P("src.dat").c_str(), P("OLD.DAT").c_str(), false));
  ASSERT_TRUE(testing_support::ReadFile(P("old.dat"), &data));
  EXPECT_EQ(data, "new");
  EXPECT_FALSE(platform::CopyOneFile(P("dir").c_str(), P("dircopy").c_str(), false));
  EXPECT_FALSE(platform::CopyOneFile(P("none").c_str(), P("x.dat").c_str(), false));
  EXPECT_FALSE(platform::CopyOneFile(P("src.dat").c_str(), P("missing\\x.dat").c_str(), false));
  EXPECT_FALSE(platform::CopyOneFile(P("src.dat").c_str(), P("dir").c_str(), false));
}

TEST_F(Files, OwnPathAndCurrentFolder) {
  const std::string exe = platform::ExecutablePath();
  ASSERT_GT(exe.size(), 4u);
  EXPECT_EQ(exe.substr(1, 2), ":\\");
  EXPECT_TRUE(platform::PathExists(platform::CurrentFolder().c_str()));
}

// The operations of the uninstall, one row each: what is there before, the
// call, its result and the names left in the folder.
struct RemovalOp {
  const char* name;
  std::vector<std::string> files;    // written before (a name ending in "\\" is a folder)
  std::function<bool(const std::string& root)> call;
  bool result;
  std::vector<std::string> after;    // the folder's names afterwards
};

const RemovalOp kRemovalOps[] = {
    {"RemoveEmptyFolder", {"d\\"}, [](const std::string& r) { return platform::RemoveFolder((r + "\\d").c_str()); },
     true, {}},
    {"RemoveFolderNotEmpty", {"d\\a.txt"},
     [](const std::string& r) { return platform::RemoveFolder((r + "\\d").c_str()); }, false, {"d"}},
    {"RemoveFolderMissing", {}, [](const std::string& r) { return platform::RemoveFolder((r + "\\d").c_str()); },
     false, {}},
    {"RemoveFolderOfAFile", {"a.txt"},
     [](const std::string& r) { return platform::RemoveFolder((r + "\\a.txt").c_str()); }, false, {"a.txt"}},
    {"RemoveCurrentFolder", {"d\\"},
     [](const std::string& r) {
       const std::string before = platform::CurrentFolder();
       const bool changed = platform::ChangeCurrentFolder((r + "\\d").c_str());
       const bool removed = platform::RemoveFolder((r + "\\d").c_str());
       platform::ChangeCurrentFolder(before.c_str());
       return changed && removed;
     },
     false, {"d"}},
    {"MoveRenames", {"a.txt"},
     [](const std::string& r) { return platform::MoveOneFile((r + "\\a.txt").c_str(), (r + "\\b.txt").c_str()); },
     true, {"b.txt"}},
    {"MoveIntoAFolder", {"a.txt", "d\\"},
     [](const std::string& r) { return platform::MoveOneFile((r + "\\a.txt").c_str(), (r + "\\d\\a.txt").c_str()); },
     true, {"d"}},
    {"MoveOntoAFile", {"a.txt", "b.txt"},
     [](const std::string& r) { return platform::MoveOneFile((r + "\\a.txt").c_str(), (r + "\\b.txt").c_str()); },
     false, {"a.txt", "b.txt"}},
    {"MoveMissing", {},
     [](const std::string& r) { return platform::MoveOneFile((r + "\\a.txt").c_str(), (r + "\\b.txt").c_str()); },
     false, {}},
    {"WriteCreates", {},
     [](const std::string& r) {
       std::string data;
       return platform::WriteWholeFile((r + "\\w.txt").c_str(), std::string("a\0b", 3)) &&
              platform::ReadWholeFile((r + "\\w.txt").c_str(), 3, &data) && data == std::string("a\0b", 3);
     },
     true, {"w.txt"}},
    {"WriteReplaces", {"w.txt"},
     [](const std::string& r) {
       std::string data;
       std::uint64_t size = 0;
       return platform::WriteWholeFile((r + "\\W.TXT").c_str(), "new") &&
              platform::ReadWholeFile((r + "\\w.txt").c_str(), 100, &data) && data == "new" &&
              platform::FileSize((r + "\\w.txt").c_str(), &size) && size == 3;
     },
     true, {"w.txt"}},
    {"WriteIntoMissingFolder", {},
     [](const std::string& r) { return platform::WriteWholeFile((r + "\\x\\w.txt").c_str(), "a"); }, false, {}},
    {"ReadPastTheLimit", {"a.txt"},
     [](const std::string& r) {
       std::string data = "kept";
       return platform::ReadWholeFile((r + "\\a.txt").c_str(), 4, &data) || data != "kept";
     },
     false, {"a.txt"}},
    {"ReadOrSizeOfAFolder", {"d\\"},
     [](const std::string& r) {
       std::string data;
       std::uint64_t size = 0;
       return platform::ReadWholeFile((r + "\\d").c_str(), 100, &data) ||
              platform::FileSize((r + "\\d").c_str(), &size);
     },
     false, {"d"}},
};

class RemovalOps : public Files, public testing::WithParamInterface<RemovalOp> {};

TEST_P(RemovalOps, ResultAndFolder) {
  for (const std::string& f : GetParam().files) {
    if (f.back() == '\\')
      ASSERT_TRUE(testing_support::MakeFolders(P(f.substr(0, f.size() - 1))));
    else
      ASSERT_TRUE(WriteFile(P(f), f));  // content: its own name (a.txt: 5 bytes)
  }
  EXPECT_EQ(GetParam().call(root_), GetParam().result);
  EXPECT_EQ(testing_support::ListNames(root_), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Uninstall, RemovalOps, testing::ValuesIn(kRemovalOps), CaseName());

TEST_F(Files, TemporaryFolderExists) {
  const std::string temp = platform::TempFolder();
  ASSERT_GT(temp.size(), 3u);
  EXPECT_NE(temp.back(), '\\');
  EXPECT_NE(platform::ReadAttributes(temp.c_str()) & platform::kAttrDirectory, 0u);
}

}  // namespace
