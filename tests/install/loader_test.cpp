// Loader registration against a registry written by each scenario; run
// twice, it must leave the identical registry. Natively against the
// simulated registry, under Wine against the real one.
#include <gtest/gtest.h>

#include "common/case_name.h"
#include "common/platform_checks.h"
#include "common/registry_tree.h"
#include "host/loader_registration.h"

using testing_support::Key;
using testing_support::RegEntry;
using testing_support::Sz;

namespace {

const std::string kZw = "SOFTWARE\\ZWSOFT\\";

RegEntry Dword(std::string key, std::string value, std::uint32_t n) {
  return {std::move(key), std::move(value), platform::kRegDword,
          std::string(reinterpret_cast<const char*>(&n), 4)};
}

struct Host {
  int year;
  std::string keyPath;
};

struct LoaderCase {
  const char* name;
  std::vector<RegEntry> before;
  std::vector<Host> hosts;
  std::string installFolder;
  std::vector<int> years;          // the flags that are set
  std::vector<RegEntry> expected;  // values present afterwards
  std::vector<RegEntry> absent;    // values (or, with an empty name, keys) gone or never made
};

std::vector<RegEntry> Loader(const std::string& key, int year, const std::string& module) {
  const std::string k = key + "Applications\\Korvex" + std::to_string(year);
  return {Dword(k, "LOADCTRLS", 2), Sz(k, module, "LOADER")};
}

template <class... L>
std::vector<RegEntry> Join(L... lists) {
  std::vector<RegEntry> out;
  (out.insert(out.end(), lists.begin(), lists.end()), ...);
  return out;
}

const std::string k244 = "C:\\" + std::string(241, 'i');

const LoaderCase kCases[] = {
    {"Year2024", {Key(kZw + "ZWCAD\\2024\\zh-CN")}, {{2024, kZw + "ZWCAD\\2024\\zh-CN\\"}},
     "C:\\Korvex\\Tarnwell", {2024},
     Loader(kZw + "ZWCAD\\2024\\zh-CN\\", 2024, "C:\\Korvex\\Tarnwell\\Korvex2021.ZRX"), {}},
    {"Year2025BelowEveryKeyPath",
     {Key(kZw + "ZWCAD\\2025"), Key(kZw + "ZWCADA\\2025"), Key(kZw + "MEP\\2025\\x")},
     {{2025, kZw + "ZWCAD\\2025\\"}, {2025, kZw + "ZWCADA\\2025\\"}, {2025, kZw + "MEP\\2025\\x\\"}},
     "D:\\K", {2025},
     Join(Loader(kZw + "ZWCAD\\2025\\", 2025, "D:\\K\\Korvex2025.ZRX"),
          Loader(kZw + "ZWCADA\\2025\\", 2025, "D:\\K\\Korvex2025.ZRX"),
          Loader(kZw + "MEP\\2025\\x\\", 2025, "D:\\K\\Korvex2025.ZRX")),
     {}},
    {"HostYearInKeyModuleYearInFile",
     {Key(kZw + "A\\2021"), Key(kZw + "A\\2023"), Key(kZw + "A\\2026"), Key(kZw + "A\\2027")},
     {{2021, kZw + "A\\2021\\"}, {2023, kZw + "A\\2023\\"}, {2026, kZw + "A\\2026\\"},
      {2027, kZw + "A\\2027\\"}},
     "C:\\K", {2021, 2023, 2026, 2027},
     Join(Loader(kZw + "A\\2021\\", 2021, "C:\\K\\Korvex2021.ZRX"),
          Loader(kZw + "A\\2023\\", 2023, "C:\\K\\Korvex2021.ZRX"),
          Loader(kZw + "A\\2026\\", 2026, "C:\\K\\Korvex2025.ZRX"),
          Loader(kZw + "A\\2027\\", 2027, "C:\\K\\Korvex2025.ZRX")),
     {}},
    {"OnlyTheChosenYears", {Key(kZw + "A\\2022"), Key(kZw + "A\\2024")},
     {{2022, kZw + "A\\2022\\"}, {2024, kZw + "A\\2024\\"}}, "C:\\K", {2024},
     Loader(kZw + "A\\2024\\", 2024, "C:\\K\\Korvex2021.ZRX"), {Key(kZw + "A\\2022\\Applications")}},
    {"OldLoaderKeyLosesOtherValues",
     {Sz(kZw + "A\\2024\\Applications\\Korvex2024", "x", "Other"),
      Sz(kZw + "A\\2024\\Applications\\Keep", "y", "Kept")},
     {{2024, kZw + "A\\2024\\"}}, "C:\\K", {2024},
     Join(Loader(kZw + "A\\2024\\", 2024, "C:\\K\\Korvex2021.ZRX"),
          std::vector<RegEntry>{Sz(kZw + "A\\2024\\Applications\\Keep", "y", "Kept")}),
     {Sz(kZw + "A\\2024\\Applications\\Korvex2024", "x", "Other")}},
    {"OldLoaderKeyWithSubkeyKeepsItsContents",
     {Sz(kZw + "A\\2024\\Applications\\Korvex2024", "x", "Other"),
      Sz(kZw + "A\\2024\\Applications\\Korvex2024", "old", "LOADER"),
      Dword(kZw + "A\\2024\\Applications\\Korvex2024", "LOADCTRLS", 9),
      Sz(kZw + "A\\2024\\Applications\\Korvex2024\\Sub", "z", "Deep")},
     {{2024, kZw + "A\\2024\\"}}, "C:\\K", {2024},
     Join(Loader(kZw + "A\\2024\\", 2024, "C:\\K\\Korvex2021.ZRX"),
          std::vector<RegEntry>{Sz(kZw + "A\\2024\\Applications\\Korvex2024", "x", "Other"),
                                Sz(kZw + "A\\2024\\Applications\\Korvex2024\\Sub", "z", "Deep")}),
     {}},
    {"VanishedKeyPathSkipped", {Key(kZw + "A\\2023b")},
     {{2023, kZw + "A\\2023a\\"}, {2023, kZw + "A\\2023b\\"}}, "C:\\K", {2023},
     Loader(kZw + "A\\2023b\\", 2023, "C:\\K\\Korvex2021.ZRX"), {Key(kZw + "A\\2023a")}},
    {"ChosenYearWithoutKeyPaths", {Key(kZw + "A\\2021")}, {}, "C:\\K", {2021}, {},
     {Key(kZw + "A\\2021\\Applications")}},
    {"InstallFolderOf244Fits", {Key(kZw + "A\\2024")}, {{2024, kZw + "A\\2024\\"}}, k244, {2024},
     Loader(kZw + "A\\2024\\", 2024, k244 + "\\Korvex2021.ZRX"), {}},
    {"InstallFolderOf245LeavesTheRegistryAlone",
     {Sz(kZw + "A\\2024\\Applications\\Korvex2024", "earlier", "LOADER")},
     {{2024, kZw + "A\\2024\\"}}, k244 + "j", {2024},
     {Sz(kZw + "A\\2024\\Applications\\Korvex2024", "earlier", "LOADER")},
     {Dword(kZw + "A\\2024\\Applications\\Korvex2024", "LOADCTRLS", 2)}},
};

class Loaders : public testing::TestWithParam<LoaderCase> {
 protected:
  void SetUp() override { ASSERT_FALSE(testing_support::KeyExists("SOFTWARE\\ZWSOFT")); }
  void TearDown() override { EXPECT_TRUE(testing_support::DeleteTree("SOFTWARE\\ZWSOFT")); }
};

void Check(const LoaderCase& c, int run) {
  for (const RegEntry& e : c.expected) {
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(testing_support::ReadValue(e.key, e.value, &type, &data))
        << "run " << run << ": " << e.key << " " << e.value;
    EXPECT_EQ(type, e.type) << e.key << " " << e.value;
    EXPECT_EQ(data, e.data) << e.key << " " << e.value;
  }
  for (const RegEntry& e : c.absent) {
    std::uint32_t type = 0;
    std::string data;
    if (e.value.empty())
      EXPECT_FALSE(testing_support::KeyExists(e.key)) << e.key;
    else
      EXPECT_FALSE(testing_support::ReadValue(e.key, e.value, &type, &data)) << e.key << " " << e.value;
  }
}

TEST_P(Loaders, ReplaceTheLoaderKeys) {
  const LoaderCase& c = GetParam();
  ASSERT_TRUE(testing_support::WriteTree(c.before));
  CHostRegistry hosts;
  hosts.m_installFolder = c.installFolder;
  for (const Host& h : c.hosts) hosts.m_keyPaths[HostYearIndex(h.year)].Append(h.keyPath);
  bool f[kHostYearCount] = {};
  for (int y : c.years) f[HostYearIndex(y)] = true;
  for (int run = 1; run <= 2; ++run) {
    RegisterLoaders(hosts, f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
    Check(c, run);
    EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED();
  }
}

INSTANTIATE_TEST_SUITE_P(Registry, Loaders, testing::ValuesIn(kCases), CaseName());

}  // namespace
