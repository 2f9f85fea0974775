// The uninstall of what an install wrote, natively against the simulation
// and under Wine against the real registry and files: everything recorded
// goes, and what somebody else wrote or changed stays.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <functional>

#include "common/case_name.h"
#include "common/platform_checks.h"
#include "uninstall/removal.h"
#include "uninstall_fixture.h"

namespace ts = testing_support;

namespace {

const std::vector<std::string> kInstalled = {
    "H24\\", "H24\\Fonts\\", "H24\\Fonts\\Korvex_EN.shx", "H24\\Fonts\\Korvex_HZ.shx", "K\\",
    "K\\Tarnwell\\", "K\\Tarnwell\\Korvex2021.ZRX", "K\\Tarnwell\\Korvex2025.ZRX",
    "K\\Tarnwell\\Korvex扩展绘图库\\", "K\\Tarnwell\\Korvex扩展绘图库\\门窗.dwg",
    "K\\Tarnwell\\Uninstall.dat", "K\\Tarnwell\\Uninstall.exe", "K\\Tarnwell\\说明.txt",
    "key Applications", "key Applications\\Korvex2024", "entry"};

struct RemovalCase {
  const char* name;
  std::function<void(ts::UninstallFixture&)> change;  // between install and uninstall
  std::vector<std::string> after;                      // State() after the uninstall
  int code = kUninstallDone;
  // Takes away what made the uninstall end 8: the same uninstall run again
  // then removes the rest and ends 0.
  std::function<void(ts::UninstallFixture&)> mend = nullptr;
};

const RemovalCase kCases[] = {
    {"RemovesEverythingItWrote", nullptr, {"H24\\", "H24\\Fonts\\"}},
    {"KeepsAnotherPluginsKey",
     [](ts::UninstallFixture&) {
       ASSERT_TRUE(ts::WriteTree({ts::Sz(ts::kHostKey24 + "\\Applications\\Other", "C:\\o.zrx", "LOADER")}));
     },
     {"H24\\", "H24\\Fonts\\", "key Applications", "key Applications\\Other"}},
    // Another install is registered with the host now: its key and fonts stay.
    {"KeepsRewrittenLoaderKeyAndItsHostsFonts",
     [](ts::UninstallFixture&) {
       ASSERT_TRUE(ts::WriteTree({ts::Sz(ts::kLoaderKey24, "D:\\Elsewhere\\Tarnwell\\Korvex2021.ZRX", "LOADER")}));
     },
     {"H24\\", "H24\\Fonts\\", "H24\\Fonts\\Korvex_EN.shx", "H24\\Fonts\\Korvex_HZ.shx", "key Applications",
      "key Applications\\Korvex2024"}},
    {"KeyNotDeletedKeepsTheEntry",
     [](ts::UninstallFixture&) { ASSERT_TRUE(ts::WriteTree({ts::Key(ts::kLoaderKey24 + "\\Settings")})); },
     // What stays: the uninstaller, the record (of what remains) and the entry.
     {"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\", "K\\Tarnwell\\Korvex扩展绘图库\\",
      "K\\Tarnwell\\Uninstall.dat", "K\\Tarnwell\\Uninstall.exe", "key Applications",
      "key Applications\\Korvex2024", "entry"},
     kUninstallPartial, [](ts::UninstallFixture&) { ASSERT_TRUE(ts::DeleteTree(ts::kLoaderKey24 + "\\Settings")); }},
    {"KeepsReplacedFont",
     [](ts::UninstallFixture& f) { ASSERT_TRUE(ts::WriteFile(f.host_ + "\\Fonts\\Korvex_HZ.shx", "other")); },
     {"H24\\", "H24\\Fonts\\", "H24\\Fonts\\Korvex_HZ.shx"}},
    {"KeepsAddedFileAndItsFolders",
     [](ts::UninstallFixture& f) { ASSERT_TRUE(ts::WriteFile(f.folder_ + "\\notes.txt", "mine")); },
     {"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\", "K\\Tarnwell\\notes.txt"}},
    {"KeepsFolderOfAnAddedLibraryFile",
     [](ts::UninstallFixture& f) {
       ASSERT_TRUE(ts::WriteFile(f.folder_ + "\\Korvex扩展绘图库\\mine.dwg", "mine"));
     },
     {"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\", "K\\Tarnwell\\Korvex扩展绘图库\\",
      "K\\Tarnwell\\Korvex扩展绘图库\\mine.dwg"}},
    {"RemovesReadOnlyFile",
     [](ts::UninstallFixture& f) {
       ASSERT_TRUE(platform::WriteAttributes((f.folder_ + "\\说明.txt").c_str(), platform::kAttrReadOnly));
     },
     {"H24\\", "H24\\Fonts\\"}},
    {"KeepsEntryOfAnotherInstallFolder",
     [](ts::UninstallFixture&) {
       ASSERT_TRUE(ts::WriteTree({ts::Sz(ts::kEntryKey, "D:\\Other\\Tarnwell", "InstallLocation")}));
     },
     {"H24\\", "H24\\Fonts\\", "entry"}},
    {"IgnoresEditedRecordLines",
     [](ts::UninstallFixture& f) {
       std::string record;
       ASSERT_TRUE(ts::ReadFile(f.folder_ + "\\Uninstall.dat", &record));
       record.insert(record.find("end\r\n"), "file\t" + f.host_ + "\\Fonts\\Korvex_EN.shx\r\nfile\t" +
                                                 f.folder_ + "\\..\\..\\H24\\Fonts\\Korvex_HZ.shx\r\n");
       ASSERT_TRUE(ts::WriteFile(f.folder_ + "\\Uninstall.dat", record));
       ASSERT_TRUE(ts::WriteFile(f.host_ + "\\Fonts\\Korvex_EN.shx", "replaced"));
     },
     {"H24\\", "H24\\Fonts\\", "H24\\Fonts\\Korvex_EN.shx"}},
    // A line that cannot be read may name anything: it counts as left behind.
    {"UnreadableLineIsLeftBehind",
     [](ts::UninstallFixture& f) {
       std::string record;
       ASSERT_TRUE(ts::ReadFile(f.folder_ + "\\Uninstall.dat", &record));
       record.insert(record.find("end\r\n"), "fiel\t" + f.folder_ + "\\Korvex2021.ZRX\r\n");
       ASSERT_TRUE(ts::WriteFile(f.folder_ + "\\Uninstall.dat", record));
     },
     {"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\", "K\\Tarnwell\\Korvex扩展绘图库\\", "K\\Tarnwell\\Uninstall.dat", "K\\Tarnwell\\Uninstall.exe", "entry"},
     kUninstallPartial},
};

class Removal : public ts::UninstallFixture, public testing::WithParamInterface<RemovalCase> {};

TEST_P(Removal, RemovesWhatTheInstallWroteOnly) {
  ASSERT_TRUE(Install());
  ASSERT_EQ(State(), kInstalled);
  if (GetParam().change) GetParam().change(*this);
  EXPECT_EQ(RunUninstallOf(), GetParam().code);
  EXPECT_EQ(State(), GetParam().after);
  EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED();
  if (!GetParam().mend) return;
  GetParam().mend(*this);
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "key Applications"}));
}

INSTANTIATE_TEST_SUITE_P(Rules, Removal, testing::ValuesIn(kCases), CaseName());

using Uninstall = ts::UninstallFixture;

// One product, one folder: an install into another folder takes the first
// one over, and one uninstall leaves the host as before the first install.
TEST_F(Uninstall, InstallElsewhereTakesTheEarlierInstallOver) {
  ASSERT_TRUE(Install());
  const std::string other = root_ + "\\K2";
  ASSERT_EQ(InstallInto(other), kExitInstalled);
  // The earlier folder is gone, and its lines have left the new record.
  EXPECT_FALSE(platform::PathExists(chosen_.c_str()));
  std::string record;
  ASSERT_TRUE(ts::ReadFile(other + "\\Tarnwell\\Uninstall.dat", &record));
  EXPECT_EQ(record.find(folder_), std::string::npos) << record;
  folder_ = other + "\\Tarnwell";
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\"}));
}

// An Applications key the host had before stays, empty or not.
TEST_F(Uninstall, ApplicationsKeyTheHostHadStays) {
  ASSERT_TRUE(ts::WriteTree({ts::Key(ts::kHostKey24 + "\\Applications")}));
  ASSERT_TRUE(Install());
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "key Applications"}));
}

// The install's date: the simulation's fixed clock, the C library's under Wine.
std::string Today() {
#if defined(TARNWELL_PLATFORM_SIM)
  return "20261208";
#else
  char text[9];
  const std::time_t now = std::time(nullptr);
  return std::string(text, std::strftime(text, sizeof text, "%Y%m%d", std::localtime(&now)));
#endif
}

TEST_F(Uninstall, TheEntryNamesTheInstall) {
  ASSERT_TRUE(Install());
  const std::string exe = folder_ + "\\Uninstall.exe";
  const std::vector<std::pair<const char*, std::string>> texts = {
      {"DisplayName", "Tarnwell软件"},
      {"DisplayVersion", "2026.05.12"},
      {"Publisher", "Korvex"},
      {"InstallLocation", folder_},
      {"DisplayIcon", exe + ",0"},
      {"UninstallString", "\"" + exe + "\""},
      {"QuietUninstallString", "\"" + exe + "\" /S"},
      {"InstallDate", Today()}};
  for (const auto& [name, text] : texts) {
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(ts::ReadValue(ts::kEntryKey, name, &type, &data)) << name;
    EXPECT_EQ(type, platform::kRegSz) << name;
    EXPECT_EQ(data, text + std::string(1, '\0')) << name;
  }
  // The uninstaller (this test program) and a few bytes of package, fonts and record.
  std::uint64_t image = 0;
  std::uint32_t kb = 0, sizeType = 0;
  std::string size;
  ASSERT_TRUE(platform::FileSize(platform::ExecutablePath().c_str(), &image));
  ASSERT_TRUE(ts::ReadValue(ts::kEntryKey, "EstimatedSize", &sizeType, &size) && size.size() == 4u);
  std::memcpy(&kb, size.data(), 4);
  EXPECT_TRUE(kb >= (image + 1023) / 1024 && kb <= image / 1024 + 2) << kb;
  const std::vector<std::pair<const char*, std::uint32_t>> numbers = {{"NoModify", 1}, {"NoRepair", 1}};
  for (const auto& [name, number] : numbers) {
    std::uint32_t type = 0;
    std::string data;
    ASSERT_TRUE(ts::ReadValue(ts::kEntryKey, name, &type, &data)) << name;
    EXPECT_EQ(type, platform::kRegDword) << name;
    EXPECT_EQ(data, std::string(reinterpret_cast<const char*>(&number), 4)) << name;
  }
}

TEST_F(Uninstall, InstallUninstallInstallGivesOneInstall) {
  ASSERT_TRUE(Install());
  const std::vector<std::string> once = State();
  std::string record;
  ASSERT_TRUE(ts::ReadFile(folder_ + "\\Uninstall.dat", &record));
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  ASSERT_TRUE(Install());
  EXPECT_EQ(State(), once);
  std::string again;
  ASSERT_TRUE(ts::ReadFile(folder_ + "\\Uninstall.dat", &again));
  EXPECT_EQ(again, record);
}

TEST_F(Uninstall, SecondInstallMergesIntoTheRecord) {
  ASSERT_TRUE(Install());
  // The second install finds the chosen folder there, so it creates nothing;
  // the first one's "created" entries stay and the folders go at the end.
  ASSERT_TRUE(Install());
  EXPECT_EQ(State(), kInstalled);
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\"}));
}

TEST_F(Uninstall, SecondUninstallFindsNoRecordAndTouchesNothing) {
  ASSERT_TRUE(Install());
  ASSERT_TRUE(ts::WriteFile(folder_ + "\\notes.txt", "mine"));
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  const std::vector<std::string> after = State();
  EXPECT_EQ(RunUninstallOf(), kUninstallNoRecord);
  EXPECT_EQ(State(), after);
}

TEST_F(Uninstall, UnreadableRecordRemovesNothing) {
  ASSERT_TRUE(Install());
  ASSERT_TRUE(ts::WriteFile(folder_ + "\\Uninstall.dat", "garbage\r\n"));
  const std::vector<std::string> before = State();
  EXPECT_EQ(RunUninstallOf(), kUninstallNoRecord);
  EXPECT_EQ(State(), before);
}

TEST_F(Uninstall, ChosenFolderThatExistedStays) {
  ASSERT_TRUE(ts::MakeFolders(chosen_));
  ASSERT_TRUE(Install());
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "K\\"}));
}

struct LoaderText {
  const char* name;
  std::string loader;
  bool inside;
};

const LoaderText kLoaders[] = {
    {"ModuleInFolder", "C:\\K\\Tarnwell\\Korvex2021.ZRX", true},
    {"OtherCase", "c:\\k\\TARNWELL\\korvex2025.zrx", true},
    {"DoubledSeparator", "C:\\K\\\\Tarnwell\\Korvex2021.ZRX", true},
    {"SubFolder", "C:\\K\\Tarnwell\\x\\Korvex2021.ZRX", false},
    {"OtherFolder", "C:\\K\\Tarnwell2\\Korvex2021.ZRX", false},
    {"DotDot", "C:\\K\\Tarnwell\\..\\Korvex2021.ZRX", false},
    {"FolderItself", "C:\\K\\Tarnwell\\", false},
    {"Empty", "", false},
};

class LoaderInFolder : public testing::TestWithParam<LoaderText> {};

TEST_P(LoaderInFolder, OnlyAModuleDirectlyInTheFolder) {
  EXPECT_EQ(LoaderNamesModuleIn(GetParam().loader, "C:\\K\\Tarnwell"), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(Texts, LoaderInFolder, testing::ValuesIn(kLoaders), CaseName());

}  // namespace

namespace {

// The interactive run: the question with Yes and No and a question icon,
// then the closing message; No removes nothing.
struct BoxCase {
  const char* name;
  int answer;  // to the question
  int exitCode;
  std::vector<std::string> texts;  // the boxes shown, in order
  bool removed;
};

const BoxCase kBoxCases[] = {
    {"Yes", platform::kIdYes, kUninstallDone, {"确定要卸载Tarnwell软件吗 ?", "卸载完成 !"}, true},
    {"No", platform::kIdNo, kUninstallDeclined, {"确定要卸载Tarnwell软件吗 ?"}, false},
};

class Interactive : public ts::UninstallFixture, public testing::WithParamInterface<BoxCase> {};

TEST_P(Interactive, AsksThenRemoves) {
  ASSERT_TRUE(Install());
  const std::vector<std::string> before = State();
  const int answer = GetParam().answer;
  ts::BoxAnswerer boxes([answer](const ts::ShownBox& box, int) {
    return (box.type & platform::kMbYesNo) ? answer : platform::kIdOk;
  });
  EXPECT_EQ(RunUninstallOf(false), GetParam().exitCode);
  const std::vector<ts::ShownBox> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), GetParam().texts.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].text, GetParam().texts[i]);
    EXPECT_EQ(shown[i].caption, "Tarnwell软件卸载");
    EXPECT_EQ(shown[i].type, i == 0 ? (platform::kMbYesNo | platform::kMbIconQuestion) : platform::kMbOk);
  }
  if (GetParam().removed)
    EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\"}));
  else
    EXPECT_EQ(State(), before);
}

INSTANTIATE_TEST_SUITE_P(Answers, Interactive, testing::ValuesIn(kBoxCases), CaseName());

}  // namespace
