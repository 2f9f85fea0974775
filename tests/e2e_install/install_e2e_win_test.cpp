// The Install button of the real SetUp.exe under Wine, the dialog driven
// from outside (install_e2e_fixture.h). Each case checks the folders made,
// the files copied, the loader keys, the fonts, the messages, the progress
// bar and the exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/case_name.h"
#include "e2e_install/install_e2e_fixture.h"

namespace {

std::string InvalidArgumentText() {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(E_INVALIDARG), 0, text, sizeof text, nullptr);
  return std::string(text, n);
}

// A typed path that starts so: the short form of the folder that follows,
// made before the run.
const std::string kShortOf = "short:";

struct PathCase {
  const char* name;
  std::string typed;                 // into the path box; "-": the default
  std::string folder;                // install folder as the sequence forms it (full form)
  std::string files;                 // where its files are, as Windows names it
  std::vector<std::string> made;     // folders the case may create (removed after)
  std::vector<std::string> absent;   // folders that must not exist afterwards
  bool hold = false;                 // Korvex2021.ZRX held open in the target
  const char* cwd = "";              // current folder of SetUp.exe
};

// Columns: name, typed, folder, files, made, absent, then where given
// hold, cwd.
const PathCase kPaths[] = {
    {"Default", "-", "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell", {"C:\\Korvex"}, {}},
    {"TrailingSeparator", "C:\\Korvex\\", "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell",
     {"C:\\Korvex"}, {}},
    {"TwoTrailingSeparators", "C:\\Korvex\\\\", "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell",
     {"C:\\Korvex"}, {}},
    {"DriveRoot", "D:\\", "D:\\Tarnwell", "D:\\Tarnwell", {"D:\\Tarnwell"}, {}},
    // Every missing folder is made: no copy prompt for a folder.
    {"MissingParent", "C:\\NoSuch\\Deep", "C:\\NoSuch\\Deep\\Tarnwell", "C:\\NoSuch\\Deep\\Tarnwell",
     {"C:\\NoSuch"}, {}},
    {"Relative", "relinst", "C:\\cwd\\relinst\\Tarnwell", "C:\\cwd\\relinst\\Tarnwell", {"C:\\cwd"},
     {"C:\\pkg\\relinst"}, false, "C:\\cwd"},
    {"EndsInDoubleByteWith5C", "C:\\Korvex" + k5C, "C:\\Korvex" + k5C + "\\Tarnwell",
     "C:\\Korvex" + k5C + "\\Tarnwell", {"C:\\Korvex" + k5C, "C:\\Korvex"}, {"C:\\Korvex"}},
    {"HeldTargetIgnored", "-", "C:\\Korvex\\Tarnwell", "C:\\Korvex\\Tarnwell", {"C:\\Korvex"}, {},
     true},
    // Typed by its short (8.3) name: every path written names the long one.
    {"ShortName", kShortOf + "C:\\Korvex Long Name", "C:\\Korvex Long Name\\Tarnwell",
     "C:\\Korvex Long Name\\Tarnwell", {"C:\\Korvex Long Name"}, {}},
};

class InstallPathE2e : public InstallE2e, public testing::WithParamInterface<PathCase> {};

TEST_P(InstallPathE2e, InstallsWhereTheSequencePutsIt) {
  const PathCase& c = GetParam();
  MayMake(c.made);
  if (*c.cwd) {
    ASSERT_TRUE(ts::MakeFolders(c.cwd));
  }
  if (c.hold) {
    Hold(c.files + "\\Korvex2021.ZRX");
  }
  Open(c.cwd);
  if (c.typed == "-") {
    EXPECT_EQ(process_.Item(kIdInstallPath).text, "C:\\Korvex");
  } else if (c.typed.rfind(kShortOf, 0) == 0) {
    const std::string folder = c.typed.substr(kShortOf.size());
    ASSERT_TRUE(ts::MakeFolders(folder));
    char shorter[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(folder.c_str(), shorter, MAX_PATH), 0u);
    ASSERT_NE(std::string(shorter), folder);
    ASSERT_TRUE(process_.Type(kIdInstallPath, shorter));
  } else {
    ASSERT_TRUE(process_.Type(kIdInstallPath, c.typed));
  }
  const Outcome o = PressAndFinish(IDIGNORE);
  EXPECT_TRUE(o.ended);
  EXPECT_TRUE(o.done);
  // A file given up with Ignore: installed in part, and the closing box
  // says so and names the log.
  EXPECT_EQ(o.exitCode, c.hold ? 8u : 0u);
  EXPECT_EQ(o.closing, c.hold ? std::string(kPartialText) + ts::SilentLogFile() : kDoneText);
  EXPECT_EQ(o.position, 50);
  EXPECT_EQ(o.low, 0);
  EXPECT_EQ(o.high, 50);
  EXPECT_EQ(o.others, std::vector<std::string>{});
  EXPECT_EQ(Tree(c.files), kInstalled);
  // The held module failed once and was ignored; the rest copied.
  EXPECT_EQ(o.prompts, c.hold ? 1 : 0);
  if (c.hold) {
    Release();
    std::string data;
    EXPECT_TRUE(ts::ReadFile(c.files + "\\Korvex2021.ZRX", &data));
    EXPECT_EQ(data, "old");
  }
  for (const std::string& p : c.absent) EXPECT_FALSE(Exists(p)) << p;
  ExpectHostsSetUp(c.folder);
}

INSTANTIATE_TEST_SUITE_P(Paths, InstallPathE2e, testing::ValuesIn(kPaths), CaseName());

TEST_F(InstallE2e, HostRunningWarnsOnceThenInstalls) {
  MayMake({"C:\\Korvex"});
  RunHost();
  Open();
  const e2e::BoxInfo box = PressForBox();
  EXPECT_EQ(box.text, "请关闭CAD后再进行安装 !");
  EXPECT_EQ(box.caption, kSetupCaption);
  EXPECT_EQ(process_.OwnerOf(box.window), process_.Dialog());
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  ExpectInputMode();
  EXPECT_FALSE(Exists("C:\\Korvex"));
  ExpectHostsUntouched();
  // The host still runs: the second press installs without asking.
  const Outcome o = PressAndFinish(IDIGNORE);
  EXPECT_TRUE(o.done);
  EXPECT_TRUE(o.ended);
  EXPECT_TRUE(o.others.empty());
  EXPECT_EQ(Tree("C:\\Korvex\\Tarnwell"), kInstalled);
  ExpectHostsSetUp("C:\\Korvex\\Tarnwell");
}

TEST_F(InstallE2e, EmptyPathReportsInvalidArgumentAndInstallStaysUsable) {
  MayMake({"C:\\Korvex"});
  Open();
  ASSERT_TRUE(process_.Type(kIdInstallPath, ""));
  const e2e::BoxInfo box = PressForBox();
  EXPECT_EQ(box.text, InvalidArgumentText());
  EXPECT_EQ(box.caption, "SetUp");
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  ExpectInputMode();
  EXPECT_FALSE(Exists("C:\\Korvex"));
  EXPECT_FALSE(Exists(kPkg + "\\Tarnwell"));
  ExpectHostsUntouched();
  ASSERT_TRUE(process_.Type(kIdInstallPath, "C:\\Korvex"));
  const Outcome o = PressAndFinish(IDIGNORE);
  EXPECT_TRUE(o.done);
  EXPECT_TRUE(o.ended);
  EXPECT_EQ(Tree("C:\\Korvex\\Tarnwell"), kInstalled);
  ExpectHostsSetUp("C:\\Korvex\\Tarnwell");
}

TEST_F(InstallE2e, AbortInACopyPromptCancelsTheRest) {
  MayMake({"C:\\Korvex"});
  Hold("C:\\Korvex\\Tarnwell\\Korvex2021.ZRX");
  Open();
  const Outcome o = PressAndFinish(IDABORT);
  EXPECT_TRUE(o.ended);
  EXPECT_FALSE(o.done);
  EXPECT_EQ(o.exitCode, 5u);
  EXPECT_EQ(o.prompts, 1);
  EXPECT_TRUE(o.others.empty());
  // a.txt came before the held module; nothing after it (the library
  // folder is made, empty, with the others before the copy).
  EXPECT_EQ(Tree("C:\\Korvex\\Tarnwell"),
            (std::vector<std::string>{"a.txt", "Korvex2021.ZRX", "Korvex扩展绘图库\\", "Uninstall.dat",
                                      "Uninstall.exe"}));
  ExpectHostsUntouched();
}

// A folder that cannot be made (no drive E:): the box, and the dialog stays.
TEST_F(InstallE2e, FolderThatCannotBeMadeKeepsTheDialog) {
  Open();
  ASSERT_TRUE(process_.Type(kIdInstallPath, "E:\\New\\Deep"));
  const e2e::BoxInfo box = PressForBox();
  EXPECT_EQ(box.caption, kSetupCaption);
  EXPECT_EQ(box.text, "无法创建安装文件夹 !\n\n请选择其他安装路径 !");
  process_.AnswerBox(box, IDOK);
  ExpectInputMode();
}

TEST_F(InstallE2e, TooLongPathIsRefusedBeforeAnythingIsMade) {
  const std::string path = "C:\\" + std::string(231, 'y');  // 234 bytes
  MayMake({path});
  Open();
  ASSERT_TRUE(process_.Type(kIdInstallPath, path));
  const e2e::BoxInfo box = PressForBox();
  EXPECT_EQ(box.text, "安装路径太长 !\n\n请选择较短的安装路径后再安装 !");
  EXPECT_EQ(box.caption, kSetupCaption);
  ASSERT_TRUE(process_.AnswerBox(box, IDOK));
  ExpectInputMode();
  EXPECT_TRUE(process_.Item(kIdInstall).enabled);
  EXPECT_FALSE(Exists(path));
  ExpectHostsUntouched();
  EXPECT_TRUE(process_.Escape());
  std::uint32_t code = 99;
  EXPECT_TRUE(process_.WaitForExit(kTimeoutMs, &code));
  EXPECT_EQ(code, 2u);  // closed without installing
}

// While the dialog waits, somebody tries to put a program of theirs in the
// place SetUp.exe was started from: the file is held since the start, so
// it can be neither renamed nor written, and the uninstaller is the image
// that runs.
TEST_F(InstallE2e, UninstallerIsTheRunningImageWhateverLiesBesideIt) {
  MayMake({"C:\\Korvex"});
  Open();
  const std::string exe = kPkg + "\\SetUp.exe", aside = kPkg + "\\SetUp-old.exe";
  EXPECT_FALSE(MoveFileExA(exe.c_str(), aside.c_str(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (MoveFileExA(exe.c_str(), aside.c_str(), 0)) DeleteFileA(exe.c_str());
  EXPECT_FALSE(CopyFileA(kHelper.c_str(), exe.c_str(), FALSE));
  const Outcome o = PressAndFinish(IDIGNORE);
  EXPECT_TRUE(o.done);
  EXPECT_EQ(o.exitCode, 0u);
  std::string original, uninstaller;
  ASSERT_TRUE(ts::ReadFile(e2e::SetupExePath(), &original));
  ASSERT_TRUE(ts::ReadFile("C:\\Korvex\\Tarnwell\\Uninstall.exe", &uninstaller));
  EXPECT_TRUE(uninstaller == original) << uninstaller.size() << " bytes, not the image's " << original.size();
}

}  // namespace
