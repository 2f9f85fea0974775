// Package copy behaviour that only the simulation can show: Wine lets a
// copy overwrite read-only and hidden targets, keeps no attribute bits on
// folders, has no alternate data streams, and its executable path cannot be
// moved; the simulation follows Windows on NTFS.
#include <gtest/gtest.h>

#include <functional>

#include "common/case_name.h"
#include "install_fixture.h"
#include "install/install_paths.h"
#include "install/install_target.h"
#include "package/package_copy.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_template.h"

using platform::sim::SimFiles;
using testing_support::Item;

namespace {

constexpr std::uint32_t kDir = platform::kAttrDirectory;
const char* const kCaption = "Tarnwell软件安装";
const char* const kMissing =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";

std::string CopyFailed(const std::string& target) {
  return "拷贝文件 " + target +
         " 失败，可能原因如下：\n\n1、CAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

// --- where the package is found ---------------------------------------

struct LayoutCase {
  const char* name;
  std::string exe;
  std::vector<Item> items;  // absolute paths
  std::string source;       // empty: the missing-package message
};

const std::string k5C = "\x81\x5c";  // one GBK character, second byte "\"

const LayoutCase kLayouts[] = {
    {"DataFolderBeforeMarker", "C:\\pkg\\SetUp.exe",
     {{"C:\\pkg\\Data", kDir}, {"C:\\pkg\\Korvex2021.zrx"}}, "C:\\pkg\\Data"},
    {"DataFolderWithFurtherBits", "C:\\pkg\\SetUp.exe", {{"C:\\pkg\\data", kDir | 0x03}},
     "C:\\pkg\\Data"},
    {"DataFileFallsBackToMarker", "C:\\pkg\\SetUp.exe",
     {{"C:\\pkg\\Data"}, {"C:\\pkg\\KORVEX2021.ZRX"}}, "C:\\pkg"},
    {"MarkerFolderIsNoMarker", "C:\\pkg\\SetUp.exe", {{"C:\\pkg\\Korvex2021.zrx", kDir}}, ""},
    {"NothingThere", "C:\\pkg\\SetUp.exe", {{"C:\\pkg\\Korvex2025.zrx"}}, ""},
    {"SecondByte5CInExecutableName", "C:\\pkg\\安装" + k5C + ".exe", {{"C:\\pkg\\Data", kDir}},
     "C:\\pkg\\Data"},
    {"SecondByte5CInFolderName", "C:\\包" + k5C + "\\SetUp.exe",
     {{"C:\\包" + k5C + "\\Korvex2021.zrx"}}, "C:\\包" + k5C},
    {"NoSeparatorAtAll", "SetUp.exe", {{"C:\\Data", kDir}}, "\\Data"},
};

class PackageSource : public testing::TestWithParam<LayoutCase> {};

TEST_P(PackageSource, FoundInOrderOrReported) {
  const LayoutCase& c = GetParam();
  SimFiles::Get().SetExecutablePath(c.exe);
  for (const Item& item : c.items)
    ASSERT_TRUE(item.attributes & kDir ? SimFiles::Get().AddFolder(item.path, item.attributes)
                                       : SimFiles::Get().AddFile(item.path));
  // The box belongs to the dialog named by the caller, not to whichever
  // window is active.
  auto* dialog = platform::sim::SimUi::Get().NewWindow(kSetupDialogId, "#32770");
  platform::sim::SimUi::Get().SetActiveWindow(platform::sim::SimUi::Get().NewWindow(1, "#32770"));
  for (int call = 1; call <= 2; ++call) {  // nothing is remembered between calls
    std::string source = "unchanged";
    const bool found = GetPackageSource(source, dialog);
    const auto& boxes = platform::sim::SimUi::Get().Boxes();
    if (c.source.empty()) {
      EXPECT_FALSE(found);
      ASSERT_EQ(boxes.size(), static_cast<std::size_t>(call));
      EXPECT_EQ(boxes.back().text, kMissing);
      EXPECT_EQ(boxes.back().caption, kCaption);
      EXPECT_EQ(boxes.back().type, platform::kMbOk);
      EXPECT_EQ(boxes.back().owner, dialog);
    } else {
      EXPECT_TRUE(found);
      EXPECT_EQ(source, c.source);
      EXPECT_TRUE(boxes.empty());
    }
  }
  EXPECT_EQ(SimFiles::Get().OpenListings(), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PackageSource, testing::ValuesIn(kLayouts), CaseName());

class PackageSim : public testing_support::InstallFixture {
 protected:
  std::string Target() const { return root_ + "\\T"; }
  bool Copy() {
    CInstallTarget t(Target(), progress_.Bar());
    return CopyPackageFiles(t);
  }
};

TEST_F(PackageSim, MissingPackageCreatesNothing) {
  SimFiles::Get().AddFile(exeFolder_ + "\\Korvex2021.zrx\\x");  // a folder of that name
  CInstallTarget t(Target(), progress_.Bar());
  EXPECT_FALSE(CopyPackageFiles(t));
  CopyExtensionLibrary(t);
  EXPECT_EQ(platform::sim::SimUi::Get().Boxes().size(), 2u);
  EXPECT_FALSE(platform::PathExists(Target().c_str()));
  EXPECT_EQ(progress_.Bar().GetPos(), 0);
}

TEST_F(PackageSim, FlatLayoutLeavesSetupFontsAndLibraryNameOut) {
  SimFiles::Get().SetExecutablePath(exeFolder_ + "\\SETUP.EXE");
  for (const char* name : {"SETUP.EXE", "Korvex2021.zrx", "Korvex2025.ZRX", "KORVEX_EN.SHX",
                           "korvex_hz.shx", "扩展绘图库说明.txt", "SetUp.exe.bak", "README"})
    ASSERT_TRUE(SimFiles::Get().AddFile(exeFolder_ + "\\" + name, name));
  ASSERT_TRUE(SimFiles::Get().AddFile(exeFolder_ + "\\Korvex扩展绘图库\\l.dat", "l"));
  ASSERT_TRUE(Copy());
  EXPECT_EQ(testing_support::Tree(Target()),
            (std::vector<std::string>{"Korvex2021.zrx", "Korvex2025.ZRX", "SetUp.exe.bak"}));
}

// A name that holds the bytes of "扩展绘图库" only from the second byte of a
// double-byte character on does not contain the text.
TEST_F(PackageSim, LibraryMarkMatchesOnCharacterBoundariesOnly) {
  const std::string shifted = "\x81\xc0\xa9\xd5\xb9\xbb\xe6\xcd\xbc\xbf\xe2" "A.txt";
  WritePackage({{shifted}, {"x扩展绘图库.txt"}});
  ASSERT_TRUE(Copy());
  EXPECT_EQ(testing_support::Tree(Target()), (std::vector<std::string>{shifted}));
}

// The package is never changed (an elevated write there can be redirected):
// its read-only attribute and zone mark stay; the copies take the data alone.
TEST_F(PackageSim, PackageSourceNeverChangedCopiesCarryNoMark) {
  WritePackage({{"a.zrx", platform::kAttrReadOnly | platform::kAttrArchive},
                {"Korvex扩展绘图库", kDir}, {"Korvex扩展绘图库\\l.dat"}});
  const std::string lib = data_ + "\\Korvex扩展绘图库\\l.dat";
  ASSERT_TRUE(SimFiles::Get().AddStream(data_ + "\\a.zrx", "Zone.Identifier", "[ZoneTransfer]"));
  ASSERT_TRUE(SimFiles::Get().AddStream(lib, "Zone.Identifier", "[ZoneTransfer]"));
  CInstallTarget t(Target(), progress_.Bar());
  ASSERT_TRUE(CopyPackageFiles(t));
  CopyExtensionLibrary(t);
  for (const std::string& copy : {Target() + "\\a.zrx", Target() + "\\Korvex扩展绘图库\\l.dat"}) {
    EXPECT_FALSE(SimFiles::Get().HasStream(copy, "Zone.Identifier")) << copy;
    EXPECT_EQ(platform::ReadAttributes(copy.c_str()) & platform::kAttrReadOnly, 0u) << copy;
  }
  EXPECT_TRUE(SimFiles::Get().HasStream(data_ + "\\a.zrx", "Zone.Identifier"));
  EXPECT_TRUE(SimFiles::Get().HasStream(lib, "Zone.Identifier"));
  EXPECT_EQ(platform::ReadAttributes((data_ + "\\a.zrx").c_str()),
            platform::kAttrReadOnly | platform::kAttrArchive);
  for (const std::string& call : SimFiles::Get().Log())
    EXPECT_TRUE(call.rfind("SetFileAttributesA " + data_, 0) != 0 && call.rfind("DeleteFileA " + data_, 0) != 0)
        << call;
}

// --- the Abort/Retry/Ignore prompt --------------------------------------

struct PromptCase {
  const char* name;
  std::vector<Item> package;
  Item existing;                  // in the target; empty path: none
  bool held;                      // the existing target is held open
  std::vector<int> answers;       // one per prompt, in order
  bool removeCause;               // the first prompt removes the cause
  bool result;
  std::vector<std::string> prompted;  // target names, one per prompt
  std::vector<std::string> copied;    // names whose target holds the new data
  int steps;
};

constexpr int kA = platform::kIdAbort, kR = platform::kIdRetry, kI = platform::kIdIgnore;

// Columns: name, package, existing, held, answers, removeCause, result,
// prompted, copied, steps.
const PromptCase kPrompts[] = {
    {"HiddenTargetFailsOnEveryRetry", {{"a.txt"}, {"b.txt"}}, {"a.txt", platform::kAttrHidden},
     false, {kR, kR, kI}, false, true, {"a.txt", "a.txt", "a.txt"}, {"b.txt"}, 5},
    {"ReadOnlyHiddenTargetStillRefused", {{"a.txt"}},
     {"a.txt", platform::kAttrHidden | platform::kAttrReadOnly}, false, {kI}, false, true,
     {"a.txt"}, {}, 4},
    {"HeldTargetAbortStopsAtOnce", {{"a.txt"}, {"b.txt"}}, {"a.txt", platform::kAttrArchive}, true, {kA}, false, false,
     {"a.txt"}, {}, 3},
    {"RetryAfterTheHolderEnded", {{"a.txt"}, {"b.txt"}}, {"a.txt", platform::kAttrArchive}, true, {kR}, true, true,
     {"a.txt"}, {"a.txt", "b.txt"}, 5},
    {"RetryAfterHiddenCleared", {{"a.txt"}}, {"a.txt", platform::kAttrHidden}, false, {kR}, true,
     true, {"a.txt"}, {"a.txt"}, 4},
    {"FolderWithFurtherBitsIsTriedAsFile",
     {{"backup.old", kDir | platform::kAttrReadOnly}, {"plain.dir", kDir},
      {"hidden", kDir | platform::kAttrHidden}, {"z.txt"}},
     {}, false, {kI}, false, true, {"backup.old"}, {"z.txt"}, 7},
};

class CopyPrompt : public PackageSim, public testing::WithParamInterface<PromptCase> {};

TEST_P(CopyPrompt, AsksUntilAnswered) {
  const PromptCase& c = GetParam();
  WritePackage(c.package);
  const std::string target = Target();
  ASSERT_TRUE(testing_support::MakeFolders(target));
  const std::string existing = target + "\\" + c.existing.path;
  if (!c.existing.path.empty()) {
    ASSERT_TRUE(testing_support::WriteFile(existing, "old", c.existing.attributes));
    if (c.held) {
      ASSERT_TRUE(SimFiles::Get().SetHeldOpen(existing, true));
    }
  }
  testing_support::BoxAnswerer boxes([&](const testing_support::ShownBox&, int index) {
    if (index == 0 && c.removeCause) {
      SimFiles::Get().SetHeldOpen(existing, false);
      platform::WriteAttributes(existing.c_str(), platform::kAttrArchive);
    }
    return index < static_cast<int>(c.answers.size()) ? c.answers[index] : kA;
  });
  EXPECT_EQ(Copy(), c.result);
  const auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), c.prompted.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].text, CopyFailed(target + "\\" + c.prompted[i]));
    EXPECT_EQ(shown[i].caption, kCaption);
    EXPECT_EQ(shown[i].type, platform::kMbAbortRetryIgnore);
    EXPECT_EQ(shown[i].owner, progress_.Dialog());
  }
  for (const std::string& name : c.copied) {
    std::string data;
    EXPECT_TRUE(testing_support::ReadFile(target + "\\" + name, &data)) << name;
    EXPECT_EQ(data, name);
  }
  if (!c.existing.path.empty() && c.copied.empty()) {
    std::string data;
    EXPECT_TRUE(testing_support::ReadFile(existing, &data));
    EXPECT_EQ(data, "old");
    // Only the read-only bit is ever cleared.
    EXPECT_EQ(platform::ReadAttributes(existing.c_str()), c.existing.attributes &
                                                              ~static_cast<std::uint32_t>(platform::kAttrReadOnly));
  }
  if (!c.result) {
    EXPECT_EQ(testing_support::Tree(target).size(), 1u);  // nothing after Abort
  }
  EXPECT_EQ(progress_.Bar().GetPos(), c.steps);
  EXPECT_EQ(SimFiles::Get().OpenListings(), 0);
}

INSTANTIATE_TEST_SUITE_P(Prompts, CopyPrompt, testing::ValuesIn(kPrompts), CaseName());

// --- paths at the limits of the 260-byte buffers --------------------------

TEST(PathLimits, ComposeRefusesWhatDoesNotFit) {
  PathBuffer buffer;
  EXPECT_TRUE(ComposePath(buffer, {std::string(250, 'a'), "\\", std::string(8, 'b')}));
  EXPECT_EQ(std::string(buffer), std::string(250, 'a') + "\\" + std::string(8, 'b'));
  EXPECT_FALSE(ComposePath(buffer, {std::string(250, 'a'), "\\", std::string(9, 'b')}));
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_TRUE(InstallFolderFits("C:\\" + std::string(239, 'x')));
  EXPECT_FALSE(InstallFolderFits("C:\\" + std::string(240, 'x')));
}

struct LimitCase {
  const char* name;
  std::size_t targetLength;
  bool packageCopied;   // else: the too-long message and false
  bool libraryCopied;
};

// Columns: name, targetLength, packageCopied, libraryCopied.
const LimitCase kLimits[] = {
    {"Target259", 259, true, false},
    {"Target260", 260, false, false},
    {"Target242", 242, true, true},
    {"Target243", 243, true, false},
};

class TargetLimit : public PackageSim, public testing::WithParamInterface<LimitCase> {};

TEST_P(TargetLimit, LongFoldersRefusedBeforeAnythingIsWritten) {
  const LimitCase& c = GetParam();
  WritePackage({{"a.txt"}, {"Korvex扩展绘图库\\l.dat"}});
  const std::string folder = "C:\\" + std::string(c.targetLength - 3, 'd');
  ASSERT_TRUE(testing_support::MakeFolders(folder));
  CInstallTarget t(folder, progress_.Bar());
  EXPECT_EQ(CopyPackageFiles(t), c.packageCopied);
  CopyExtensionLibrary(t);
  const auto& boxes = platform::sim::SimUi::Get().Boxes();
  if (c.packageCopied) {
    EXPECT_TRUE(boxes.empty());
  } else {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "安装路径太长 !\n\n请选择较短的安装路径后再安装 !");
    EXPECT_EQ(boxes[0].caption, kCaption);
  }
  std::vector<std::string> expected;
  if (c.libraryCopied) expected = {"a.txt", "Korvex扩展绘图库\\", "Korvex扩展绘图库\\l.dat"};
  else if (c.packageCopied) expected = {"a.txt"};
  EXPECT_EQ(testing_support::Tree(folder), expected);
  // Nothing was created or copied under a shortened name.
  for (const std::string& name : testing_support::ListNames("C:\\")) {
    if (name[0] == 'd') {
      EXPECT_EQ("C:\\" + name, folder);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, TargetLimit, testing::ValuesIn(kLimits), CaseName());

// The library's listing pattern is the longest path made from the source:
// a source too deep for it is refused before anything is copied (239 to 255
// bytes would otherwise install the package without its library).
TEST_F(PackageSim, SourceTooDeepToListIsReported) {
  for (std::size_t dataLength : {kMaxLibrarySource, kMaxLibrarySource + 1, kMaxPackageSource,
                                 kMaxPackageSource + 1}) {
    const std::size_t before = platform::sim::SimUi::Get().Boxes().size();
    const std::string folder = "C:\\" + std::string(dataLength - 8, 's');  // + "\Data"
    SimFiles::Get().SetExecutablePath(folder + "\\SetUp.exe");
    ASSERT_TRUE(SimFiles::Get().AddFile(folder + "\\Data\\a.txt", "a"));
    ASSERT_TRUE(SimFiles::Get().AddFile(folder + "\\Data\\Korvex扩展绘图库\\l.dat", "l"));
    const bool fits = dataLength <= kMaxLibrarySource;
    const std::string target = Target() + std::to_string(dataLength);
    CInstallTarget t(target, progress_.Bar());
    const bool copied = CopyPackageFiles(t);
    EXPECT_EQ(copied, fits) << dataLength;
    if (copied) CopyExtensionLibrary(t);
    const auto& boxes = platform::sim::SimUi::Get().Boxes();
    ASSERT_EQ(boxes.size() - before, fits ? 0u : 1u);
    if (!fits) {
      EXPECT_EQ(boxes.back().text,
                "安装文件所在的路径太长 !\n\n请将安装文件解压到较短的路径后再执行SetUp.exe !");
    }
    std::string data;
    EXPECT_EQ(testing_support::ReadFile(target + "\\a.txt", &data), fits);
    EXPECT_EQ(testing_support::ReadFile(target + "\\Korvex扩展绘图库\\l.dat", &data), fits);
    EXPECT_EQ(platform::PathExists(target.c_str()), fits);
  }
}

}  // namespace
