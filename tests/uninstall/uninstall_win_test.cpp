// What only real Windows programs show: a file held open by another process
// is scheduled for deletion at restart (PendingFileRenameOperations), a
// running executable is moved out of the install folder so that the folder
// goes at once, and Wine's own Apps & Features list shows the entry.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/win_process.h"
#include "platform/system.h"
#include "uninstall/removal.h"
#include "uninstall_fixture.h"

namespace ts = testing_support;

namespace {

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

const std::string kHelper = [] {
  std::string path = TARNWELL_HELPER_EXE;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}();

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1500; ++i) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(20);
  }
  return false;
}

// The paths waiting for deletion at restart: PendingFileRenameOperations
// holds pairs "\??\<path>", "" (no new name).
std::vector<std::string> PendingDeletes() {
  std::uint32_t type = 0;
  std::string data;
  std::vector<std::string> out;
  if (!ts::ReadValue(kSessionManager, "PendingFileRenameOperations", &type, &data)) return out;
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t nul; (nul = data.find('\0', start)) != std::string::npos; start = nul + 1)
    items.push_back(data.substr(start, nul - start));
  for (std::size_t i = 0; i + 1 < items.size(); i += 2)
    if (items[i + 1].empty() && items[i].rfind("\\??\\", 0) == 0) out.push_back(items[i].substr(4));
  return out;
}

class UninstallWin : public ts::UninstallFixture {
 protected:
  void TearDown() override {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSessionManager, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "PendingFileRenameOperations");
      RegCloseKey(key);
    }
    for (HANDLE p : started_) {
      WaitForSingleObject(p, 10000);
      CloseHandle(p);
    }
    for (const std::string& path : signals_) {
      DeleteFileA(path.c_str());
      DeleteFileA((path + ".ready").c_str());
    }
    ts::UninstallFixture::TearDown();
  }
  // Starts the helper; it runs until the signal file exists.
  void Start(const std::string& exe, const std::string& args, const std::string& signal) {
    HANDLE p = ts::StartProgram(exe, args);
    ASSERT_NE(p, nullptr);
    started_.push_back(p);
    ASSERT_TRUE(WaitForFile(signal + ".ready"));
  }
  // A signal file outside the test root, whose tree the tests compare.
  std::string Signal() {
    const std::string path = platform::TempFolder() + "\\tarnwell-release";
    DeleteFileA(path.c_str());
    DeleteFileA((path + ".ready").c_str());
    signals_.push_back(path);
    return path;
  }
  std::vector<HANDLE> started_;
  std::vector<std::string> signals_;
};

TEST_F(UninstallWin, FileHeldOpenIsDeletedAtRestart) {
  ASSERT_TRUE(Install());
  const std::string held = folder_ + "\\Korvex2021.ZRX";
  const std::string signal = Signal();
  Start(kHelper, "hold \"" + held + "\" \"" + signal + "\"", signal);
  EXPECT_EQ(RunUninstallOf(), kUninstallRestart);
  // The held file and the folders that hold nothing else wait for the
  // restart; all the rest is gone.
  EXPECT_EQ(PendingDeletes(), (std::vector<std::string>{held, folder_, chosen_}));
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\",
                                               "K\\Tarnwell\\Korvex2021.ZRX"}));
  ASSERT_TRUE(ts::WriteFile(signal, ""));
}

TEST_F(UninstallWin, RunningUninstallerLeavesTheFolderAtOnce) {
  ASSERT_TRUE(Install());
  // A running program in the uninstaller's place stands for this process's
  // own image: it can be renamed, not deleted.
  const std::string self = folder_ + "\\Uninstall.exe";
  ASSERT_TRUE(DeleteFileA(self.c_str()));
  ASSERT_TRUE(CopyFileA(kHelper.c_str(), self.c_str(), TRUE));
  const std::string signal = Signal();
  Start(self, "wait \"" + signal + "\"", signal);
  EXPECT_FALSE(DeleteFileA(self.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RunUninstallOf(true, self), kUninstallDone);
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\"}));
  const std::vector<std::string> pending = PendingDeletes();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_NE(pending[0].find("Tarnwell-Uninstall-"), std::string::npos);
  ASSERT_TRUE(ts::WriteFile(signal, ""));
  WaitForSingleObject(started_.back(), 10000);
  EXPECT_TRUE(DeleteFileA(pending[0].c_str()));
}

// Wine's own Apps & Features list ("uninstaller --list") as a client of the
// entry: one line "Tarnwell|||Tarnwell软件".
TEST_F(UninstallWin, WineUninstallerListsTheEntry) {
  ASSERT_TRUE(Install());
  const std::string out = testing_support::ProgramOutput("uninstaller.exe --list");
  EXPECT_NE(out.find("Tarnwell|||Tarnwell软件"), std::string::npos) << out;
  EXPECT_EQ(RunUninstallOf(), kUninstallDone);
}

}  // namespace
