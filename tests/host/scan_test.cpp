// The host installation scan against a registry written by each scenario.
// Runs natively against the simulated registry and under Wine against the
// real one; each scenario removes what it wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/platform_checks.h"
#include "common/registry_tree.h"
#include "host/host_registry.h"
#include "platform/registry.h"

using testing_support::Key;
using testing_support::RegEntry;
using testing_support::Sz;

namespace {

const std::string kZw = "SOFTWARE\\ZWSOFT\\";
const std::string kSecondByte5C = "\x81" "\x5c";  // one GBK character, second byte "\"

struct Found {
  int year;
  std::string keyPath;
  std::string location;
};

RegEntry Raw(std::string key, std::uint32_t type, std::string data) {
  return {std::move(key), "Location", type, std::move(data)};
}

struct ScanCase {
  const char* name;
  std::vector<RegEntry> tree;
  std::vector<Found> expected;  // by year, then in discovery order
};

std::vector<Found> Flatten(const CHostRegistry& r) {
  std::vector<Found> out;
  for (int y = 0; y < kHostYearCount; ++y) {
    EXPECT_EQ(r.m_locations[y].Count(), r.m_keyPaths[y].Count()) << "year " << HostYearAt(y);
    for (std::size_t i = 0; i < r.m_locations[y].Count() && i < r.m_keyPaths[y].Count(); ++i)
      out.push_back({HostYearAt(y), r.m_keyPaths[y].At(i), r.m_locations[y].At(i)});
  }
  return out;
}

std::string Describe(const std::vector<Found>& list) {
  std::string s;
  for (const auto& f : list)
    s += std::to_string(f.year) + " [" + f.keyPath + "] [" + f.location + "]\n";
  return s;
}

class ScanTest : public testing::TestWithParam<ScanCase> {
 protected:
  void SetUp() override { ASSERT_FALSE(testing_support::KeyExists("SOFTWARE\\ZWSOFT")); }
  void TearDown() override { EXPECT_TRUE(testing_support::DeleteTree("SOFTWARE\\ZWSOFT")); }
};

TEST_P(ScanTest, FindsExactlyTheListedInstallations) {
  const ScanCase& c = GetParam();
  ASSERT_TRUE(testing_support::WriteTree(c.tree));
  CHostRegistry registry;
  registry.ScanInstalledHosts();
  const std::vector<Found> got = Flatten(registry);
  EXPECT_EQ(Describe(got), Describe(c.expected));
  EXPECT_TRUE(registry.m_installFolder.empty());
  EXPECT_EQ(registry.m_foundKeyPaths.Count(), registry.m_foundLocations.Count());
  EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED();
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

std::string Nest(int depth) {
  std::string path;
  for (int i = 1; i <= depth; ++i) path += "L" + std::to_string(i) + "\\";
  return path;
}

const ScanCase kCases[] = {
    {"NoProductKey", {Key("SOFTWARE\\ZWSOFTX\\ZWCAD\\2024")}, {}},
    {"VersionKeyHoldsLocation",
     {Sz(kZw + "ZWCADM\\2023", "C:\\ZWCADM 2023")},
     {{2023, kZw + "ZWCADM\\2023\\", "C:\\ZWCADM 2023"}}},
    {"LocationsInSubkeysInEnumerationOrder",
     {Sz(kZw + "ZWCAD\\2024\\zh-CN", "C:\\ZW\\zh"), Sz(kZw + "ZWCAD\\2024\\en-US", "C:\\ZW\\en")},
     {{2024, kZw + "ZWCAD\\2024\\en-US\\", "C:\\ZW\\en"},
      {2024, kZw + "ZWCAD\\2024\\zh-CN\\", "C:\\ZW\\zh"}}},
    {"SubkeysEnumerateIgnoringCase",
     {Sz(kZw + "ZWCAD\\2022\\b", "B"), Sz(kZw + "ZWCAD\\2022\\c", "C"),
      Sz(kZw + "ZWCAD\\2022\\A", "A")},
     {{2022, kZw + "ZWCAD\\2022\\A\\", "A"},
      {2022, kZw + "ZWCAD\\2022\\b\\", "B"},
      {2022, kZw + "ZWCAD\\2022\\c\\", "C"}}},
    {"OuterKeyWinsOverItsSubkey",
     {Sz(kZw + "ZWCADA\\2025", "D:\\outer"), Sz(kZw + "ZWCADA\\2025\\inner", "D:\\inner")},
     {{2025, kZw + "ZWCADA\\2025\\", "D:\\outer"}}},
    {"UnsupportedYearDropped", {Sz(kZw + "ZWCAD\\2020", "C:\\old"),
                                Sz(kZw + "ZWCAD\\2028 beta", "C:\\new"),
                                Sz(kZw + "ZWCAD\\Common", "C:\\common")}, {}},
    {"FirstYearTextWins",
     {Sz(kZw + "MEP\\2026 2022", "E:\\mep"), Sz(kZw + "MEP\\v2027x", "E:\\x")},
     {{2022, kZw + "MEP\\2026 2022\\", "E:\\mep"}, {2027, kZw + "MEP\\v2027x\\", "E:\\x"}}},
    {"YearOnlyFromVersionName",
     {Sz(kZw + "ZWCAD\\Pro\\2024", "C:\\pro 2024")}, {}},
    {"TrailingSeparators",
     {Sz(kZw + "ZWCAD\\2021\\one", "C:\\ZW\\"), Sz(kZw + "ZWCAD\\2021\\two", "C:\\ZW\\\\"),
      Sz(kZw + "ZWCAD\\2021\\xroot", "\\"), Sz(kZw + "ZWCAD\\2021\\yempty", "")},
     {{2021, kZw + "ZWCAD\\2021\\one\\", "C:\\ZW"},
      {2021, kZw + "ZWCAD\\2021\\two\\", "C:\\ZW\\"},
      {2021, kZw + "ZWCAD\\2021\\xroot\\", "\\"},
      {2021, kZw + "ZWCAD\\2021\\yempty\\", ""}}},
    {"SecondByte5CIsNoSeparator",
     {Sz(kZw + "ZWCAD\\2023\\a", "D:\\CAD" + kSecondByte5C),
      Sz(kZw + "ZWCAD\\2023\\b", "D:\\CAD" + kSecondByte5C + "\\")},
     {{2023, kZw + "ZWCAD\\2023\\a\\", "D:\\CAD" + kSecondByte5C},
      {2023, kZw + "ZWCAD\\2023\\b\\", "D:\\CAD" + kSecondByte5C}}},
    {"SameFolderUnderTwoProductsListedTwice",
     {Sz(kZw + "ZWCAD\\2024", "C:\\Shared"), Sz(kZw + "MEP\\2024", "C:\\Shared")},
     {{2024, kZw + "ZWCAD\\2024\\", "C:\\Shared"}, {2024, kZw + "MEP\\2024\\", "C:\\Shared"}}},
    {"ProductOrderThenVersionOrder",
     {Sz(kZw + "MEP\\2021", "m"), Sz(kZw + "ZWCADM\\2021", "cm"), Sz(kZw + "ZWCADA\\2021", "ca"),
      Sz(kZw + "ZWCAD\\2021b", "c2"), Sz(kZw + "ZWCAD\\2021a", "c1")},
     {{2021, kZw + "ZWCAD\\2021a\\", "c1"}, {2021, kZw + "ZWCAD\\2021b\\", "c2"},
      {2021, kZw + "ZWCADA\\2021\\", "ca"}, {2021, kZw + "ZWCADM\\2021\\", "cm"},
      {2021, kZw + "MEP\\2021\\", "m"}}},
    {"NonStringLocationsUpToFirstNul",
     {Raw(kZw + "ZWCAD\\2026\\dword", platform::kRegDword, std::string("DCB\0", 4)),
      Raw(kZw + "ZWCAD\\2026\\nul", platform::kRegBinary, std::string("AB\0CD", 5)),
      Raw(kZw + "ZWCAD\\2026\\plain", platform::kRegBinary, "C:\\bin")},
     {{2026, kZw + "ZWCAD\\2026\\dword\\", "DCB"},
      {2026, kZw + "ZWCAD\\2026\\nul\\", "AB"},
      {2026, kZw + "ZWCAD\\2026\\plain\\", "C:\\bin"}}},
    {"ValueSizesAroundTheBuffer",
     {Raw(kZw + "ZWCAD\\2024\\b519", platform::kRegBinary, Repeat('b', 519)),
      Raw(kZw + "ZWCAD\\2024\\b520", platform::kRegBinary, Repeat('c', 520)),
      Sz(kZw + "ZWCAD\\2024\\b520\\under", "fallback"),
      Sz(kZw + "ZWCAD\\2024\\s519", Repeat('s', 519)),
      Sz(kZw + "ZWCAD\\2024\\s520", Repeat('t', 520)),
      Raw(kZw + "ZWCAD\\2024\\x4000", platform::kRegBinary, Repeat('x', 4000))},
     {{2024, kZw + "ZWCAD\\2024\\b519\\", Repeat('b', 519)},
      {2024, kZw + "ZWCAD\\2024\\b520\\under\\", "fallback"},
      {2024, kZw + "ZWCAD\\2024\\s519\\", Repeat('s', 519)}}},
    {"LongNamesAndDeepNests",
     {Sz(kZw + "ZWCAD\\2025\\" + Repeat('n', 255), "long"),
      Sz(kZw + "ZWCAD\\2025\\z\\" + Nest(40), "deep")},
     {{2025, kZw + "ZWCAD\\2025\\" + Repeat('n', 255) + "\\", "long"},
      {2025, kZw + "ZWCAD\\2025\\z\\" + Nest(40), "deep"}}},

    {"EveryOddityInOneRegistry",
     {Sz(kZw + "ZWCADM\\2023", "C:\\ZWCADM"),
      Sz(kZw + "ZWCAD\\2024\\zh-CN", "C:\\ZW24\\zh"),
      Sz(kZw + "ZWCAD\\2024\\en-US", "C:\\ZW24\\en"),
      Sz(kZw + "ZWCADA\\2025", "D:\\outer"), Sz(kZw + "ZWCADA\\2025\\inner", "D:\\inner"),
      Sz(kZw + "ZWCAD\\2020", "C:\\old"), Sz(kZw + "MEP\\2022 2026", "E:\\mep"),
      Sz(kZw + "ZWCAD\\2021\\one", "C:\\ZW\\"), Sz(kZw + "ZWCAD\\2021\\two", "C:\\ZW\\\\"),
      Sz(kZw + "ZWCAD\\2021\\three", ""), Sz(kZw + "ZWCADM\\2026", "C:\\Shared"),
      Sz(kZw + "MEP\\2026", "C:\\Shared"),
      Raw(kZw + "ZWCADA\\2027\\dword", platform::kRegDword, std::string("DCB\0", 4)),
      Raw(kZw + "ZWCADA\\2027\\bin", platform::kRegBinary, "C:\\bin"),
      Sz(kZw + "MEP\\2023 x", "D:\\CAD" + kSecondByte5C + "\\")},
     {{2021, kZw + "ZWCAD\\2021\\one\\", "C:\\ZW"},
      {2021, kZw + "ZWCAD\\2021\\three\\", ""},
      {2021, kZw + "ZWCAD\\2021\\two\\", "C:\\ZW\\"},
      {2022, kZw + "MEP\\2022 2026\\", "E:\\mep"},
      {2023, kZw + "ZWCADM\\2023\\", "C:\\ZWCADM"},
      {2023, kZw + "MEP\\2023 x\\", "D:\\CAD" + kSecondByte5C},
      {2024, kZw + "ZWCAD\\2024\\en-US\\", "C:\\ZW24\\en"},
      {2024, kZw + "ZWCAD\\2024\\zh-CN\\", "C:\\ZW24\\zh"},
      {2025, kZw + "ZWCADA\\2025\\", "D:\\outer"},
      {2026, kZw + "ZWCADM\\2026\\", "C:\\Shared"},
      {2026, kZw + "MEP\\2026\\", "C:\\Shared"},
      {2027, kZw + "ZWCADA\\2027\\bin\\", "C:\\bin"},
      {2027, kZw + "ZWCADA\\2027\\dword\\", "DCB"}}},
};

INSTANTIATE_TEST_SUITE_P(Registry, ScanTest, testing::ValuesIn(kCases),
                         CaseName());

TEST_F(ScanTest, ScanningTwiceAppendsEveryFindAgain) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2024", "C:\\ZW")}));
  CHostRegistry registry;
  registry.ScanInstalledHosts();
  registry.ScanInstalledHosts();
  ASSERT_EQ(registry.m_locations[HostYearIndex(2024)].Count(), 2u);
  EXPECT_EQ(registry.m_locations[HostYearIndex(2024)].At(1), "C:\\ZW");
}

TEST_F(ScanTest, ScanWritesNothing) {
  ASSERT_TRUE(testing_support::WriteTree({Sz(kZw + "ZWCAD\\2024\\a", "C:\\ZW")}));
  CHostRegistry registry;
  registry.ScanInstalledHosts();
  EXPECT_EQ(testing_support::SubKeys(kZw + "ZWCAD\\2024"), std::vector<std::string>{"a"});
  EXPECT_EQ(testing_support::SubKeys(kZw + "ZWCAD\\2024\\a"), std::vector<std::string>{});
}

}  // namespace
