// Host operations where only the simulation can show the detail: registry
// and file calls counted, a read-only font that Wine would overwrite, long
// host folders, and process lists of any name.
#include <gtest/gtest.h>

#include "common/case_name.h"
#include "host/font_deployment.h"
#include "host/host_process.h"
#include "host/loader_registration.h"
#include "install_fixture.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_template.h"

using platform::sim::SimFiles;
using platform::sim::SimProcesses;

namespace {

std::vector<std::string> Calls(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& call : SimFiles::Get().Log())
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  return out;
}

TEST(LoadersSim, NoFlagNoRegistryAccess) {
  CHostRegistry hosts;
  hosts.m_installFolder = "C:\\K";
  for (int y = 0; y < kHostYearCount; ++y) hosts.m_keyPaths[y].Append("SOFTWARE\\X\\");
  RegisterLoaders(hosts, false, false, false, false, false, false, false);
  RegisterLoaderForYear(hosts, 2020);
  RegisterLoaderForYear(hosts, 2028);
  EXPECT_EQ(platform::sim::SimRegistry::Get().Calls(), 0);
}

// RegisterLoaders and InstallFonts take one flag per host year, 2021 to 2027.
class FontsSim : public testing_support::InstallFixture {};

TEST_F(FontsSim, NoFlagNoPackageLookup) {
  CHostRegistry hosts;
  hosts.m_locations[3].Append(root_);
  const std::size_t before = SimFiles::Get().Log().size();
  InstallFonts(hosts, nullptr, false, false, false, false, false, false, false);
  EXPECT_EQ(SimFiles::Get().Log().size(), before);
}

TEST_F(FontsSim, CopyOrderEnThenHzPerLocation) {
  WritePackage({{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}});
  CHostRegistry hosts;
  hosts.m_locations[1].Append("C:\\A");
  hosts.m_locations[1].Append("C:\\B");
  hosts.m_locations[0].Append("C:\\Z");
  for (const char* fonts : {"C:\\A\\Fonts", "C:\\B\\Fonts", "C:\\Z\\Fonts"}) SimFiles::Get().AddFolder(fonts);
  InstallFonts(hosts, nullptr, true, true, false, false, false, false, false);
  const std::string d = data_ + "\\";
  EXPECT_EQ(Calls("CopyFromHandle"),
            (std::vector<std::string>{
                "CopyFromHandle " + d + "Korvex_EN.shx C:\\Z\\Fonts\\Korvex_EN.shx",
                "CopyFromHandle " + d + "Korvex_HZ.shx C:\\Z\\Fonts\\Korvex_HZ.shx",
                "CopyFromHandle " + d + "Korvex_EN.shx C:\\A\\Fonts\\Korvex_EN.shx",
                "CopyFromHandle " + d + "Korvex_HZ.shx C:\\A\\Fonts\\Korvex_HZ.shx",
                "CopyFromHandle " + d + "Korvex_EN.shx C:\\B\\Fonts\\Korvex_EN.shx",
                "CopyFromHandle " + d + "Korvex_HZ.shx C:\\B\\Fonts\\Korvex_HZ.shx"}));
  EXPECT_TRUE(Calls("CreateDirectoryA").empty());
}

// Windows refuses to overwrite a read-only file; Wine overwrites it.
TEST_F(FontsSim, ReadOnlyFontLeftInPlaceSilently) {
  WritePackage({{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}});
  const std::string fonts = root_ + "\\H\\Fonts";
  ASSERT_TRUE(testing_support::WriteFile(fonts + "\\Korvex_EN.shx", "old", platform::kAttrReadOnly));
  CHostRegistry hosts;
  hosts.m_locations[4].Append(root_ + "\\H");
  InstallFonts(hosts, nullptr, false, false, false, false, true, false, false);
  std::string data;
  ASSERT_TRUE(testing_support::ReadFile(fonts + "\\Korvex_EN.shx", &data));
  EXPECT_EQ(data, "old");
  EXPECT_EQ(platform::ReadAttributes((fonts + "\\Korvex_EN.shx").c_str()), platform::kAttrReadOnly);
  ASSERT_TRUE(testing_support::ReadFile(fonts + "\\Korvex_HZ.shx", &data));
  EXPECT_EQ(data, "Korvex_HZ.shx");
  EXPECT_TRUE(platform::sim::SimUi::Get().Boxes().empty());
}

TEST_F(FontsSim, MissingPackageReportedOncePerLocation) {
  CHostRegistry hosts;
  hosts.m_locations[0].Append("C:\\A");
  hosts.m_locations[0].Append("C:\\B");
  hosts.m_locations[6].Append("C:\\C");
  auto* dialog = platform::sim::SimUi::Get().NewWindow(kSetupDialogId, "#32770");
  // A font of that name at the root of the current drive is not taken.
  ASSERT_TRUE(testing_support::WriteFile("C:\\Korvex_EN.shx", "stray"));
  ASSERT_TRUE(testing_support::MakeFolders("C:\\A\\Fonts"));
  InstallFonts(hosts, dialog, true, false, false, false, false, false, true);
  const auto& boxes = platform::sim::SimUi::Get().Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  for (const auto& box : boxes) EXPECT_EQ(box.owner, dialog);
  EXPECT_TRUE(testing_support::ListNames("C:\\A\\Fonts").empty());
}

TEST_F(FontsSim, LocationOf253FitsAnd254GetsNothing) {
  WritePackage({{"Korvex_EN.shx"}, {"Korvex_HZ.shx"}});
  const std::string fits = "C:\\" + std::string(250, 'f');
  const std::string tooLong = "C:\\" + std::string(251, 'g');
  ASSERT_TRUE(testing_support::MakeFolders(fits + "\\Fonts"));
  ASSERT_TRUE(testing_support::MakeFolders(tooLong + "\\Fonts"));
  CHostRegistry hosts;
  hosts.m_locations[2].Append(fits);
  hosts.m_locations[2].Append(tooLong);
  InstallFonts(hosts, nullptr, false, false, true, false, false, false, false);
  EXPECT_EQ(testing_support::ListNames(fits + "\\Fonts"),
            (std::vector<std::string>{"Korvex_EN.shx", "Korvex_HZ.shx"}));
  // Nothing under a shortened path either ("...\\Font" is 259 bytes).
  EXPECT_TRUE(testing_support::ListNames(tooLong + "\\Fonts").empty());
  EXPECT_EQ(testing_support::ListNames(tooLong), (std::vector<std::string>{"Fonts"}));
}

struct ProcessCase {
  const char* name;
  std::vector<std::string> processes;
  bool running;
  int read;  // entries read
};

const ProcessCase kProcesses[] = {
    {"None", {}, false, 0},
    {"OthersOnly", {"System", "explorer.exe", "SetUp.exe"}, false, 3},
    {"UpperCase", {"System", "ZWCAD.EXE"}, true, 2},
    {"MixedCase", {"ZwCad.exe"}, true, 1},
    {"InsideLongerNames", {"my-zwcad.exe"}, true, 1},
    {"WithSuffix", {"zwcad.exe.old"}, true, 1},
    {"NoExtension", {"zwcad"}, false, 1},
    {"OtherProduct", {"zwcadm.exe", "zwcad.ex"}, false, 2},
    {"StopsAtTheFirst", {"a.exe", "zwcad.exe", "b.exe", "ZWCAD.exe"}, true, 2},
    {"FullWidthLettersAreNotAscii", {"\xa3\xda\xa3\xd7" "cad.exe"}, false, 1},
    {"SecondByteStartsNoMatch", {"\x81" "zwcad.exe"}, false, 1},
};

class HostProcess : public testing::TestWithParam<ProcessCase> {};

TEST_P(HostProcess, ContainsTheHostNameIgnoringCase) {
  const ProcessCase& c = GetParam();
  SimProcesses::Get().SetProcesses(c.processes);
  EXPECT_EQ(IsHostRunning(), c.running);
  EXPECT_EQ(SimProcesses::Get().EntriesRead(), c.read);
  EXPECT_EQ(SimProcesses::Get().OpenSnapshots(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lists, HostProcess, testing::ValuesIn(kProcesses), CaseName());

TEST(HostProcessSim, NoSnapshotMeansNotRunning) {
  SimProcesses::Get().SetProcesses({"zwcad.exe"});
  SimProcesses::Get().SetSnapshotFails(true);
  EXPECT_FALSE(IsHostRunning());
  EXPECT_EQ(SimProcesses::Get().EntriesRead(), 0);
  SimProcesses::Get().SetSnapshotFails(false);
  EXPECT_TRUE(IsHostRunning());
  EXPECT_TRUE(IsHostRunning());
  EXPECT_EQ(SimProcesses::Get().SnapshotsTaken(), 2);
  EXPECT_EQ(SimProcesses::Get().OpenSnapshots(), 0);
}

}  // namespace
