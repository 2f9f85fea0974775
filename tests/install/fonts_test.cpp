// Font deployment from the package beside the executable into host
// "Fonts" folders below the test root.
#include <gtest/gtest.h>

#include "common/case_name.h"
#include "host/font_deployment.h"
#include "install_fixture.h"

using testing_support::Item;

namespace {

struct FontCase {
  const char* name;
  std::vector<Item> package;
  std::vector<std::string> fontsFolders;  // below the test root
  std::vector<std::pair<int, std::string>> locations;  // year, folder below the test root
  std::vector<int> years;
  std::vector<std::string> tree;  // the test root afterwards
  std::vector<std::string> existing = {};  // font files there before, content "old"
};

const FontCase kCases[] = {
    {"EveryLocationOfEveryChosenYear",
     {{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}, {"a.txt"}},
     {"H1\\Fonts", "H2\\Fonts", "H3\\Fonts"},
     {{2024, "H1"}, {2024, "H2"}, {2026, "H3"}},
     {2024, 2026},
     {"H1\\", "H1\\Fonts\\", "H1\\Fonts\\Korvex_EN.shx", "H1\\Fonts\\Korvex_HZ.shx", "H2\\",
      "H2\\Fonts\\", "H2\\Fonts\\Korvex_EN.shx", "H2\\Fonts\\Korvex_HZ.shx", "H3\\",
      "H3\\Fonts\\", "H3\\Fonts\\Korvex_EN.shx", "H3\\Fonts\\Korvex_HZ.shx"}},
    {"UnchosenYearGetsNothing", {{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}}, {"H1\\Fonts", "H2\\Fonts"},
     {{2021, "H1"}, {2025, "H2"}}, {2025},
     {"H1\\", "H1\\Fonts\\", "H2\\", "H2\\Fonts\\", "H2\\Fonts\\Korvex_EN.shx",
      "H2\\Fonts\\Korvex_HZ.shx"}},
    {"MissingFontsFolderNotCreated", {{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}}, {"H1"},
     {{2023, "H1"}}, {2023}, {"H1\\"}},
    {"SameLocationTwice", {{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}}, {"H1\\Fonts"},
     {{2022, "H1"}, {2022, "H1"}}, {2022},
     {"H1\\", "H1\\Fonts\\", "H1\\Fonts\\Korvex_EN.shx", "H1\\Fonts\\Korvex_HZ.shx"}},
    {"ExistingWritableFontReplaced", {{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}}, {"H1\\Fonts"},
     {{2024, "H1"}}, {2024},
     {"H1\\", "H1\\Fonts\\", "H1\\Fonts\\Korvex_EN.shx", "H1\\Fonts\\Korvex_HZ.shx"},
     {"H1\\Fonts\\Korvex_EN.shx", "H1\\Fonts\\Korvex_HZ.shx"}},
    {"PackageWithoutHZ", {{"Korvex_EN.shx"}}, {"H1\\Fonts", "H2\\Fonts"},
     {{2027, "H1"}, {2027, "H2"}}, {2027},
     {"H1\\", "H1\\Fonts\\", "H1\\Fonts\\Korvex_EN.shx", "H2\\", "H2\\Fonts\\",
      "H2\\Fonts\\Korvex_EN.shx"}},
};

class Fonts : public testing_support::InstallFixture,
              public testing::WithParamInterface<FontCase> {};

TEST_P(Fonts, ReachEveryFontsFolder) {
  const FontCase& c = GetParam();
  WritePackage(c.package);
  for (const std::string& f : c.fontsFolders) ASSERT_TRUE(testing_support::MakeFolders(root_ + "\\" + f));
  for (const std::string& f : c.existing) ASSERT_TRUE(testing_support::WriteFile(root_ + "\\" + f, "old"));
  CHostRegistry hosts;
  for (const auto& [year, folder] : c.locations)
    hosts.m_locations[HostYearIndex(year)].Append(root_ + "\\" + folder);
  bool f[kHostYearCount] = {};
  for (int y : c.years) f[HostYearIndex(y)] = true;
  testing_support::BoxAnswerer boxes;
  InstallFonts(hosts, nullptr, f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(testing_support::Tree(root_), c.tree);
  for (const std::string& entry : c.tree) {
    const std::size_t cut = entry.rfind('\\');
    if (entry.back() == '\\' || cut == std::string::npos) continue;
    std::string data;
    ASSERT_TRUE(testing_support::ReadFile(root_ + "\\" + entry, &data));
    EXPECT_EQ(data, entry.substr(cut + 1));
  }
}

INSTANTIATE_TEST_SUITE_P(Hosts, Fonts, testing::ValuesIn(kCases), CaseName());

// What another user may have made of a host's Fonts folder: the folder a
// link to theirs (true), or Korvex_EN.shx a second name of their file. Nothing
// is written there; the other font still arrives where its name is its own.
class FontAttacks : public testing_support::InstallFixture, public testing::WithParamInterface<bool> {};

TEST_P(FontAttacks, WriteNothingThere) {
  const bool folderLinked = GetParam();
  WritePackage({{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}});
  const std::string other = root_ + "\\Other", fonts = root_ + "\\H1\\Fonts";
  ASSERT_TRUE(testing_support::WriteFile(other + "\\keep.shx", "keep"));
  ASSERT_TRUE(testing_support::MakeFolders(root_ + "\\H1"));
  if (folderLinked) {
    ASSERT_TRUE(testing_support::MakeLink(fonts, other, true));
  } else {
    ASSERT_TRUE(testing_support::MakeFolders(fonts));
    ASSERT_TRUE(testing_support::MakeHardLink(other + "\\keep.shx", fonts + "\\Korvex_EN.shx"));
  }
  CHostRegistry hosts;
  hosts.m_locations[HostYearIndex(2024)].Append(root_ + "\\H1");
  InstallFonts(hosts, nullptr, false, false, false, true, false, false, false);
  std::string kept;
  EXPECT_TRUE(testing_support::ReadFile(other + "\\keep.shx", &kept));
  EXPECT_EQ(kept, "keep");
  EXPECT_EQ(testing_support::ListNames(other), std::vector<std::string>{"keep.shx"});
  if (!folderLinked) {
    EXPECT_EQ(testing_support::ListNames(fonts), (std::vector<std::string>{"Korvex_EN.shx", "Korvex_HZ.shx"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Hosts, FontAttacks, testing::Bool(), [](const auto& row) {
  return std::string(row.param ? "FontsFolderIsALink" : "FontNameIsASecondName");
});

}  // namespace
