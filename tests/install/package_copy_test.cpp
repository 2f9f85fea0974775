// The package copy from a "Data" folder beside the executable: which
// entries reach the target, how often the bar steps, and what the source
// and target look like afterwards. Natively against the simulated file
// system, under Wine against real folders.
#include <gtest/gtest.h>

#include "common/case_name.h"
#include "install_fixture.h"
#include "install/install_target.h"
#include "package/package_copy.h"
#include "platform/log.h"

using testing_support::Item;

namespace {

constexpr std::uint32_t kDir = platform::kAttrDirectory;
constexpr std::uint32_t kRo = platform::kAttrReadOnly;

struct CopyCase {
  const char* name;
  std::vector<Item> package;    // below Data
  std::vector<Item> existing;   // already in the target folder
  std::vector<std::string> tree;  // the target folder afterwards
  int packageSteps;
  int librarySteps;
  bool usable = true;  // false: over an entry limit, nothing copied (exit 9)
};

std::vector<Item> Numbered(int count) {
  std::vector<Item> items;
  for (int i = 0; i < count; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.txt", i);
    items.push_back({name});
  }
  return items;
}

std::vector<std::string> NumberedNames(int count) {
  std::vector<std::string> names;
  for (const Item& item : Numbered(count)) names.push_back(item.path);
  return names;
}

const std::string kLib = "Korvex扩展绘图库";

const CopyCase kCases[] = {
    {"SkipRulesAndLibrary",
     {{"a.txt"}, {"README"}, {"SetUp.exe.bak"}, {"setup.exe"}, {"korvex_en.SHX"},
      {"Korvex_HZ.shx"}, {"说明扩展绘图库.txt"}, {"Korvex2021.ZRX"}, {"Korvex2025.ZRX"},
      {"sub.dir", kDir}, {"sub.dir\\inner.txt"}, {"中文.dat"},
      {kLib, kDir}, {kLib + "\\l1.dat"}, {kLib + "\\noext"}, {kLib + "\\inner", kDir},
      {kLib + "\\inner\\deep.dat"}},
     {},
     {"a.txt", "Korvex2021.ZRX", "Korvex2025.ZRX", kLib + "\\", kLib + "\\l1.dat",
      kLib + "\\noext", "SetUp.exe.bak", "中文.dat"},
     // ".", "..", 12 entries, and the step that finds the end
     15,
     // ".", "..", l1.dat, noext, inner, and the end
     6},
    {"EmptyPackage", {}, {}, {kLib + "\\"}, 3, 0},
    // 99 files, "." and "..": exactly the 101 entries the copy looks at.
    {"All101Entries", Numbered(99), {}, [] {
       std::vector<std::string> t = NumberedNames(99);
       t.push_back(kLib + "\\");
       return t;
     }(), 101, 0},
    {"PackageOver101EntriesUnusable", Numbered(150), {}, {}, 0, 0, false},
    {"All81LibraryEntries",
     [] {
       std::vector<Item> items = {{kLib, kDir}};
       for (const Item& f : Numbered(79)) items.push_back({kLib + "\\" + f.path});
       return items;
     }(),
     {},
     [] {
       std::vector<std::string> t = {kLib + "\\"};
       for (const std::string& n : NumberedNames(79)) t.push_back(kLib + "\\" + n);
       return t;
     }(),
     4, 81},
    {"LibraryOver81EntriesUnusable",
     [] {
       std::vector<Item> items = {{"a.txt"}, {kLib, kDir}};
       for (const Item& f : Numbered(80)) items.push_back({kLib + "\\" + f.path});
       return items;
     }(),
     {}, {}, 0, 0, false},
    {"ReadOnlyFilesReplacedAndLeftWritable",
     {{"mod.zrx", kRo}, {kLib, kDir}, {kLib + "\\lib.dat", kRo}},
     {{"mod.zrx", kRo}, {kLib, kDir}, {kLib + "\\lib.dat", kRo}},
     {kLib + "\\", kLib + "\\lib.dat", "mod.zrx"},
     5, 4},
};

class PackageCopy : public testing_support::InstallFixture,
                    public testing::WithParamInterface<CopyCase> {};

TEST_P(PackageCopy, CopiesExactlyTheInstalledEntries) {
  const CopyCase& c = GetParam();
  WritePackage(c.package);
  const std::string target = root_ + "\\T";
  ASSERT_TRUE(testing_support::MakeFolders(target));
  for (const Item& item : c.existing) {
    if (item.attributes & kDir)
      ASSERT_TRUE(testing_support::Make(target, item));
    else
      ASSERT_TRUE(testing_support::WriteFile(target + "\\" + item.path, "old", item.attributes));
  }
  testing_support::BoxAnswerer boxes;
  const std::string log = root_ + "\\copy.log";
  ASSERT_TRUE(platform::OpenLog(log));
  CInstallTarget t(target + "\\", progress_.Bar());
  EXPECT_EQ(t.m_folder, target);
  EXPECT_EQ(CopyPackageFiles(t), c.usable);
  EXPECT_EQ(progress_.Bar().GetPos(), c.packageSteps);
  if (!c.usable) {
    // Counted before anything is copied: nothing reaches the target.
    EXPECT_EQ(t.Session().StopCode(), kExitPackageUnusable);
    EXPECT_EQ(testing_support::Tree(target), std::vector<std::string>{});
    platform::CloseLog();
    return;
  }
  CopyExtensionLibrary(t);
  platform::CloseLog();
  EXPECT_EQ(progress_.Bar().GetPos(), c.packageSteps + c.librarySteps);
  EXPECT_TRUE(boxes.Boxes().empty());
  // Every entry was looked at: the log never says otherwise (101 and 81
  // entries are within the limits).
  std::string logged;
  ASSERT_TRUE(testing_support::ReadFile(log, &logged));
  EXPECT_EQ(logged.find("no further entry"), std::string::npos) << logged;

  EXPECT_EQ(testing_support::Tree(target), c.tree);
  for (const std::string& entry : c.tree) {
    if (entry.back() == '\\') continue;
    const std::string path = target + "\\" + entry;
    std::string data;
    ASSERT_TRUE(testing_support::ReadFile(path, &data)) << entry;
    EXPECT_EQ(data, entry) << entry;
    EXPECT_EQ(platform::ReadAttributes(path.c_str()) & kRo, 0u) << entry;
  }
  // The package itself is never changed: a read-only source stays so.
  for (const Item& item : c.package) {
    const std::string from = data_ + "\\" + item.path;
    EXPECT_EQ(platform::ReadAttributes(from.c_str()) & kRo, item.attributes & kRo) << item.path;
  }
}

INSTANTIATE_TEST_SUITE_P(Data, PackageCopy, testing::ValuesIn(kCases), CaseName());

// The Data folder wins over the marker of the flat layout beside it.
class PackageSourceData : public testing_support::InstallFixture {};

TEST_F(PackageSourceData, DataFolderWinsOverFlatMarker) {
  WritePackage({{"a.txt"}});
  WriteBeside({"Korvex2021.zrx"});
  std::string source;
  testing_support::BoxAnswerer boxes;
  ASSERT_TRUE(GetPackageSource(source, nullptr));
  EXPECT_EQ(source, data_);
  EXPECT_EQ(ProbePath(data_), kPathFolder);
  EXPECT_EQ(ProbePath(data_ + "\\a.txt"), kPathFile);
  EXPECT_EQ(ProbePath(data_ + "\\b.txt"), kPathNone);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

namespace {

struct TargetCase {
  const char* name;
  std::string folder;
  std::string kept;
};

const TargetCase kTargets[] = {
    {"NoSeparator", "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell"},
    {"OneSeparatorRemoved", "C:\\Korvex\\Tarnwell\\", "C:\\Korvex\\Tarnwell"},
    {"OnlyOneOfTwoRemoved", "C:\\Korvex\\\\", "C:\\Korvex\\"},
    {"SecondByte5CKept", "C:\\包\x81\x5c", "C:\\包\x81\x5c"},
    {"SeparatorAfterSecondByte5C", "C:\\包\x81\x5c\\", "C:\\包\x81\x5c"},
};

class InstallTarget : public testing::TestWithParam<TargetCase> {};

TEST_P(InstallTarget, OneTrailingSeparatorCharacterRemoved) {
  testing_support::TestProgressBar progress;
  const CInstallTarget t(GetParam().folder, progress.Bar());
  EXPECT_EQ(t.m_folder, GetParam().kept);
  EXPECT_EQ(t.m_progress, &progress.Bar());
}

INSTANTIATE_TEST_SUITE_P(Folders, InstallTarget, testing::ValuesIn(kTargets), CaseName());

TEST(InstallTargetEmpty, IsAnInvalidArgument) {
  testing_support::TestProgressBar progress;
  EXPECT_THROW(CInstallTarget("", progress.Bar()), platform::InvalidArgumentError);
}

}  // namespace
