// What only real Windows programs can show: the package found and copied
// by an executable in a folder of its own (flat layout, a GBK folder name
// with a second byte 0x5C), a target held open by another process, and the
// host process recognised by its name. The helper program is copied into
// place at test time.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/win_process.h"

#include "common/case_name.h"
#include "host/host_process.h"
#include "install_fixture.h"
#include "install/install_target.h"
#include "package/package_copy.h"

using testing_support::Item;

namespace {

const std::string kHelper = [] {
  std::string path = TARNWELL_HELPER_EXE;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}();

DWORD RunProgram(const std::string& exe, const std::string& args) {
  HANDLE p = testing_support::StartProgram(exe, args);
  if (!p) return 0xFFFF;
  WaitForSingleObject(p, 60000);
  DWORD code = 0xFFFF;
  GetExitCodeProcess(p, &code);
  CloseHandle(p);
  return code;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1500; ++i) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(20);
  }
  return false;
}

class InstallWin : public testing_support::InstallFixture {
 protected:
  std::string Out() const { return root_ + "\\out.txt"; }
  std::string Result() const {
    std::string data;
    testing_support::ReadFile(Out(), &data);
    return data;
  }
};

TEST_F(InstallWin, FlatLayoutCopiedByTheExecutableBesideIt) {
  const std::string pkg = root_ + "\\flat";
  ASSERT_TRUE(testing_support::MakeFolders(pkg));
  ASSERT_TRUE(CopyFileA(kHelper.c_str(), (pkg + "\\SetUp.exe").c_str(), FALSE));
  for (const char* name : {"Korvex2021.zrx", "Korvex2025.ZRX", "KORVEX_EN.SHX", "Korvex_HZ.shx",
                           "README", "a.txt", "说明扩展绘图库.txt", "Korvex扩展绘图库\\l.dat",
                           "Korvex扩展绘图库\\sub\\x.dat"})
    ASSERT_TRUE(testing_support::Make(pkg, {name}));
  ASSERT_TRUE(testing_support::Make(pkg, {"ro.dat", platform::kAttrReadOnly}));
  EXPECT_EQ(RunProgram(pkg + "\\SetUp.exe", "copy " + root_ + "\\T " + Out()), 0u);
  EXPECT_EQ(Result(), "1");
  EXPECT_EQ(testing_support::Tree(root_ + "\\T"),
            (std::vector<std::string>{"a.txt", "Korvex2021.zrx", "Korvex2025.ZRX",
                                      "Korvex扩展绘图库\\", "Korvex扩展绘图库\\l.dat", "ro.dat"}));
  EXPECT_EQ(platform::ReadAttributes((root_ + "\\T\\ro.dat").c_str()) & platform::kAttrReadOnly, 0u);
  // The package itself is never changed.
  EXPECT_NE(platform::ReadAttributes((pkg + "\\ro.dat").c_str()) & platform::kAttrReadOnly, 0u);
}

struct SourceCase {
  const char* name;
  std::string folder;   // below the test root
  std::string exe;      // file name
  std::string package;  // a file below the folder
  std::string source;   // expected, below the test root
};

const std::string k5C = "\x81\x5c";  // 乗: one GBK character, second byte "\"

const SourceCase kSources[] = {
    {"DataBesideExecutable", "包" + k5C, "SetUp.exe", "Data\\a.txt", "包" + k5C + "\\Data"},
    {"FlatBesideExecutable", "包" + k5C, "SetUp.exe", "Korvex2021.zrx", "包" + k5C},
    {"ExecutableNameWith5C", "pkg", "安装" + k5C + ".exe", "Data\\a.txt", "pkg\\Data"},
};

class PackageSourceWin : public InstallWin, public testing::WithParamInterface<SourceCase> {};

TEST_P(PackageSourceWin, FolderCutAtTheLastTrueSeparator) {
  const SourceCase& c = GetParam();
  const std::string folder = root_ + "\\" + c.folder;
  ASSERT_TRUE(testing_support::Make(folder, {c.package}));
  const std::string exe = folder + "\\" + c.exe;
  ASSERT_TRUE(CopyFileA(kHelper.c_str(), exe.c_str(), FALSE));
  EXPECT_EQ(RunProgram(exe, "source " + Out()), 0u);
  EXPECT_EQ(Result(), "1 " + root_ + "\\" + c.source);
}

INSTANTIATE_TEST_SUITE_P(Real, PackageSourceWin, testing::ValuesIn(kSources), CaseName());

TEST_F(InstallWin, HeldTargetPromptsUntilTheHolderEnds) {
  WritePackage({{"a.txt"}, {"b.txt"}});
  const std::string target = root_ + "\\T";
  ASSERT_TRUE(testing_support::WriteFile(target + "\\a.txt", "old"));
  const std::string signal = root_ + "\\release";
  HANDLE holder = testing_support::StartProgram(kHelper, "hold " + target + "\\a.txt " + signal);
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(WaitForFile(signal + ".ready"));
  // Under a loaded Wine the first retry right after the holder's end has
  // been seen to fail once more: a few more retries are allowed, each
  // prompting again, before the test gives up with Abort.
  testing_support::BoxAnswerer boxes([&](const testing_support::ShownBox&, int index) {
    if (index == 0) {
      testing_support::WriteFile(signal, "");
      WaitForSingleObject(holder, 30000);
      return IDRETRY;
    }
    Sleep(500);
    return index < 5 ? IDRETRY : IDABORT;
  });
  CInstallTarget t(target, progress_.Bar());
  EXPECT_TRUE(CopyPackageFiles(t));
  CloseHandle(holder);
  const auto shown = boxes.Boxes();
  ASSERT_GE(shown.size(), 1u);
  ASSERT_LE(shown.size(), 5u);
  EXPECT_EQ(shown.back().text, shown[0].text);
  EXPECT_EQ(shown[0].text, "拷贝文件 " + target +
                               "\\a.txt 失败，可能原因如下：\n\n1、CAD未关闭\n\n2、系统权限未开放，"
                               "请以管理者权限登陆系统");
  EXPECT_EQ(shown[0].caption, "Tarnwell软件安装");
  EXPECT_EQ(shown[0].type, platform::kMbAbortRetryIgnore);
  EXPECT_EQ(shown[0].owner, progress_.Dialog());
  std::string data;
  ASSERT_TRUE(testing_support::ReadFile(target + "\\a.txt", &data));
  EXPECT_EQ(data, "a.txt");
  ASSERT_TRUE(testing_support::ReadFile(target + "\\b.txt", &data));
  EXPECT_EQ(data, "b.txt");
}

struct ProcessCase {
  const char* name;
  std::string exe;
  bool running;
};

const ProcessCase kProcesses[] = {
    {"UpperCaseName", "ZWCAD.EXE", true},
    {"InsideALongerName", "my-zwcad.exe", true},
    {"OtherProduct", "zwcadm.exe", false},
};

class HostProcessWin : public InstallWin, public testing::WithParamInterface<ProcessCase> {};

TEST_P(HostProcessWin, RecognisedByItsName) {
  const ProcessCase& c = GetParam();
  EXPECT_FALSE(IsHostRunning());
  const std::string exe = root_ + "\\" + c.exe;
  ASSERT_TRUE(CopyFileA(kHelper.c_str(), exe.c_str(), FALSE));
  const std::string signal = root_ + "\\release";
  HANDLE p = testing_support::StartProgram(exe, "wait " + signal);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(WaitForFile(signal + ".ready"));
  EXPECT_EQ(IsHostRunning(), c.running);
  testing_support::WriteFile(signal, "");
  EXPECT_EQ(WaitForSingleObject(p, 30000), WAIT_OBJECT_0);
  CloseHandle(p);
  EXPECT_FALSE(IsHostRunning());
}

INSTANTIATE_TEST_SUITE_P(Real, HostProcessWin, testing::ValuesIn(kProcesses), CaseName());

// The real progress control past its maximum. Windows starts again from
// the minimum; Wine 8 keeps the overshoot (position - maximum) above the
// minimum. Both must count up to the maximum and wrap into the range.
TEST(ProgressWin, StepItWrapsIntoTheRange) {
  struct Run { int minimum, maximum, step, steps; std::vector<int> before; };
  for (const Run& r : {Run{0, 3, 1, 5, {1, 2, 3}}, Run{10, 13, 1, 4, {11, 12, 13}},
                       Run{0, 3, 2, 2, {2}}}) {
    testing_support::TestProgressBar bar;
    bar.Reset(r.minimum, r.maximum, r.step);
    std::vector<int> seen;
    for (int i = 0; i < r.steps; ++i) {
      bar.Bar().StepIt();
      seen.push_back(bar.Bar().GetPos());
    }
    std::printf("range %d-%d step %d:", r.minimum, r.maximum, r.step);
    for (int p : seen) std::printf(" %d", p);
    std::printf("\n");
    ASSERT_GT(seen.size(), r.before.size());
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + r.before.size()), r.before);
    const int wrapped = seen[r.before.size()];
    const int overshoot = r.before.back() + r.step - r.maximum;
    EXPECT_TRUE(wrapped == r.minimum || wrapped == r.minimum + overshoot) << wrapped;
  }
}

}  // namespace
