// The folder picker's path rules and its confirmation dialogue, against the
// real file system under Wine and the simulated one natively.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/test_ui.h"
#include "framework/dialog.h"
#include "platform/files.h"
#include "ui/folder_path.h"

using testing_support::BoxAnswerer;
using testing_support::kTestRoot;
using testing_support::ShownBox;

namespace {

struct NameCase {
  const char* name;
  std::string component;
  bool valid;
};

class FolderName : public testing::TestWithParam<NameCase> {};

TEST_P(FolderName, FollowsTheByteRules) {
  EXPECT_EQ(IsValidFolderName(GetParam().component.c_str()), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FolderName,
    testing::Values(
        NameCase{"Plain", "Korvex", true}, NameCase{"Empty", "", false},
        NameCase{"LeadingSpace", " a", false}, NameCase{"TrailingSpace", "a ", false},
        NameCase{"LeadingTab", "\ta", false}, NameCase{"TrailingTab", "a\t", false},
        NameCase{"LeadingDot", ".cache", false}, NameCase{"TrailingDot", "name.", false},
        NameCase{"InnerDotAndSpace", "a b.c", true}, NameCase{"InnerTab", "a\tb", true},
        NameCase{"ControlByte", "a\x01z", true}, NameCase{"DeviceName", "CON", true},
        NameCase{"Quote", "a\"b", false}, NameCase{"Star", "a*b", false},
        NameCase{"Slash", "a/b", false}, NameCase{"Colon", "a:b", false},
        NameCase{"Less", "a<b", false}, NameCase{"Greater", "a>b", false},
        NameCase{"Question", "a?b", false}, NameCase{"Backslash", "a\\b", false},
        NameCase{"Bar", "a|b", false}, NameCase{"Chinese", "中望软件", true},
        // By character: a second byte of 0x7C or 0x5C is part of its character.
        NameCase{"SecondByte7C", "\x81\x7c", true}, NameCase{"SecondByte5C", "\x81\x5c", true},
        NameCase{"BarAfterSecondByte5C", "\x81\x5c|", false},
        NameCase{"HighBytes", "\xff\xfe\x80", true}),
    CaseName());

TEST(FolderName, NoNameIsInvalid) { EXPECT_FALSE(IsValidFolderName(nullptr)); }

struct PathCase {
  const char* name;
  std::string path;
  int checkOnly;  // result of the check-only pass
};

class FolderPathCheck : public testing::TestWithParam<PathCase> {};

TEST_P(FolderPathCheck, ChecksWithoutCreating) {
  EXPECT_EQ(CheckFolderPath(GetParam().path.c_str(), true), GetParam().checkOnly);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FolderPathCheck,
    testing::Values(PathCase{"DriveRoot", "C:\\", kFolderValid},
                    PathCase{"LowerCaseDrive", "c:\\Korvex", kFolderValid},
                    PathCase{"MissingDriveRoot", "Q:\\", kFolderValid},
                    PathCase{"DriveOnly", "C:", kFolderInvalid},
                    PathCase{"OneByte", "C", kFolderInvalid},
                    PathCase{"Empty", "", kFolderInvalid},
                    PathCase{"DigitDrive", "1:\\a", kFolderInvalid},
                    PathCase{"HighByteDrive", "\xd6\xd0:\\a", kFolderInvalid},
                    PathCase{"SlashAfterColon", "C:/a", kFolderInvalid},
                    PathCase{"Relative", "Korvex\\a", kFolderInvalid},
                    PathCase{"TrailingBackslash", "C:\\abc\\", kFolderInvalid},
                    PathCase{"DoubleBackslash", "C:\\a\\\\b", kFolderInvalid},
                    PathCase{"RootThenBackslash", "C:\\\\a", kFolderInvalid},
                    PathCase{"DotComponent", "C:\\a\\.cache", kFolderInvalid},
                    PathCase{"ComponentEndingInSpace", "C:\\a \\b", kFolderInvalid},
                    PathCase{"TabInside", "C:\\a\tb", kFolderValid},
                    PathCase{"Device", "C:\\CON", kFolderValid},
                    PathCase{"Chinese", "C:\\中望\\插件", kFolderValid},
                    // By character: 0x7C or 0x5C as a second byte is neither "|" nor "\".
                    PathCase{"SecondByte7C", "C:\\a\x81\x7c", kFolderValid},
                    PathCase{"SecondByte5CEnds", "C:\\a\x81\x5c", kFolderValid},
                    PathCase{"SecondByte5CThenSeparator", "C:\\a\x81\x5c\\b", kFolderValid},
                    PathCase{"SecondByte5CThenTrailingSeparator", "C:\\a\x81\x5c\\", kFolderInvalid},
                    PathCase{"SecondByte5CThenDoubleSeparator", "C:\\a\x81\x5c\\\\b", kFolderInvalid},
                    PathCase{"Longest", "C:\\" + std::string(256, 'a'), kFolderValid},
                    PathCase{"TooLong", "C:\\" + std::string(257, 'a'), kFolderInvalid}),
    CaseName());

TEST(FolderPathCheck, NoPathIsInvalid) { EXPECT_EQ(CheckFolderPath(nullptr, true), kFolderInvalid); }

// Creation, below the test root on drive C:.
class FolderCreation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::RemoveTree(kTestRoot));
    ASSERT_TRUE(testing_support::MakeFolders(root + "\\a"));
  }
  void TearDown() override { EXPECT_TRUE(testing_support::RemoveTree(kTestRoot)); }
  bool Exists(const std::string& p) { return platform::PathExists(p.c_str()); }
  const std::string root = kTestRoot;
};

TEST_F(FolderCreation, CreatesEveryMissingLevel) {
  const std::string path = root + "\\a\\b\\c";
  EXPECT_EQ(CheckFolderPath(path.c_str(), true), kFolderValid);
  EXPECT_FALSE(Exists(root + "\\a\\b"));
  EXPECT_EQ(CheckFolderPath(path.c_str(), false), kFolderValid);
  EXPECT_TRUE(Exists(root + "\\a\\b"));
  EXPECT_TRUE(Exists(path));
}

// A name whose last character has 0x5C as its second byte is made whole,
// never cut at that byte.
TEST_F(FolderCreation, SecondByte5CStaysInItsName) {
  const std::string named = root + "\\a\\x\x81\x5c";
  EXPECT_EQ(CheckFolderPath((named + "\\y").c_str(), false), kFolderValid);
  EXPECT_TRUE(Exists(named + "\\y"));
  EXPECT_FALSE(Exists(root + "\\a\\x\x81"));
}

TEST_F(FolderCreation, InvalidComponentStopsAfterTheLevelsBeforeIt) {
  const std::string path = root + "\\a\\new\\bad?\\c";
  EXPECT_EQ(CheckFolderPath(path.c_str(), false), kFolderInvalid);
  EXPECT_TRUE(Exists(root + "\\a\\new"));
}

TEST_F(FolderCreation, LevelThatCannotBeCreatedGivesTwo) {
  // A file stands where a folder level should be.
  ASSERT_TRUE(testing_support::WriteFile(root + "\\a\\file", "x"));
  EXPECT_EQ(CheckFolderPath((root + "\\a\\file\\sub").c_str(), false), kFolderNotCreated);
  EXPECT_FALSE(Exists(root + "\\a\\file\\sub"));
}

TEST_F(FolderCreation, ExistingDriveRootIsValidAndAMissingOneIsNot) {
  EXPECT_EQ(CheckFolderPath("C:\\", false), kFolderValid);
  EXPECT_EQ(CheckFolderPath("Q:\\", false), kFolderNotCreated);
}

std::string Msg(const char* middle, const std::string& path) {
  return "The folder:\n\n" + path + middle;
}
// The caption: the executable's file name without its extension.
#if defined(TARNWELL_PLATFORM_SIM)
const char* const kProgramName = "SetUp";  // the simulated C:\SetUp.exe
#else
const char* const kProgramName = "ui_tests";
#endif
const char* const kInvalid = "\n\nis invalid. Please reenter.";
const char* const kNotCreated = "\n\ncan not be created. Please double check.";
const char* const kQuestion = "\n\ndoes not exist. Do you want the folder to be created?";

struct EnsureCase {
  const char* name;
  std::string path;  // "@" stands for the test root
  int answer;        // to the creation question
  int result;
  std::vector<std::pair<std::string, unsigned>> boxes;  // text and type, in order
  std::string mustExist;  // after the call; "" for nothing to check
};

class EnsureFolder : public FolderCreation, public testing::WithParamInterface<EnsureCase> {};

std::string Expand(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '@' ? std::string(kTestRoot) : std::string(1, c);
  return out;
}

TEST_P(EnsureFolder, AsksAndTellsAsItShould) {
  const EnsureCase& c = GetParam();
  const std::string path = Expand(c.path);
  BoxAnswerer answerer([&](const ShownBox& box, int) {
    return (box.type & 0x0F) == platform::kMbYesNo ? c.answer : platform::kIdOk;
  });
  EXPECT_EQ(EnsureFolderExists(path.c_str()), c.result);
  const std::vector<ShownBox> boxes = answerer.Boxes();
  ASSERT_EQ(boxes.size(), c.boxes.size());
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].text, Expand(c.boxes[i].first));
    EXPECT_EQ(boxes[i].type, c.boxes[i].second);
    EXPECT_EQ(boxes[i].caption, kProgramName);
  }
  if (!c.mustExist.empty()) {
    EXPECT_TRUE(Exists(Expand(c.mustExist)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, EnsureFolder,
    testing::Values(
        EnsureCase{"ExistingFolderNoQuestion", "@\\a", platform::kIdNo, 0, {}, ""},
        EnsureCase{"Invalid", "@\\a\\", platform::kIdYes, kFolderInvalid,
                   {{Msg(kInvalid, "@\\a\\"), 48u}}, ""},
        EnsureCase{"Declined", "@\\a\\b", platform::kIdNo, -1,
                   {{Msg(kQuestion, "@\\a\\b"), 36u}}, ""},
        EnsureCase{"Created", "@\\a\\b\\c", platform::kIdYes, 0,
                   {{Msg(kQuestion, "@\\a\\b\\c"), 36u}}, "@\\a\\b\\c"},
        EnsureCase{"MissingDrive", "Q:\\", platform::kIdYes, kFolderNotCreated,
                   {{Msg(kQuestion, "Q:\\"), 36u}, {Msg(kNotCreated, "Q:\\"), 48u}}, ""}),
    CaseName());

TEST_F(FolderCreation, AnExistingFileIsAcceptedWithoutAQuestion) {
  ASSERT_TRUE(testing_support::WriteFile(root + "\\a\\plain.txt", "x"));
  BoxAnswerer answerer;
  EXPECT_EQ(EnsureFolderExists((root + "\\a\\plain.txt").c_str()), 0);
  EXPECT_TRUE(answerer.Boxes().empty());
}

}  // namespace
