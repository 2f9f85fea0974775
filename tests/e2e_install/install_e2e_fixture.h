#pragma once
// The package, the hosts and the driven SetUp.exe of the install tests
// under Wine: SetUp.exe copied into a package folder C:\pkg, four host
// installations (2021, 2024; 2025 under two product keys) in the registry
// with their Fonts folders, and what a run left behind. Included by one
// test file of each program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "common/win_process.h"
#include "e2e/driver.h"
#include "platform/files.h"

namespace {

namespace ts = testing_support;

constexpr int kTimeoutMs = 15000;
const char* const kCaption = "Tarnwell安装";
const std::string kPkg = "C:\\pkg";
const std::string kHosts = "C:\\hosts";
const std::string kZw = "SOFTWARE\\ZWSOFT\\ZWCAD\\";
const std::string k5C = "\x81\x5c";  // one GBK character, second byte "\"
const char* const kDoneText = "安装完成，重启CAD即可使用 !";
const char* const kDoneCaption = "Tarnwell工具箱安装";
const char* const kSetupCaption = "Tarnwell软件安装";
const char* const kCopyPrompt = "拷贝文件 ";

std::string WinPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
  return path;
}
const std::string kHelper = WinPath(TARNWELL_HELPER_EXE);

bool Exists(const std::string& path) {
  return platform::ReadAttributes(path.c_str()) != platform::kInvalidAttributes;
}

// Every entry below a folder, depth first in listing order; folders end in "\".
void Tree(const std::string& folder, const std::string& prefix, std::vector<std::string>* out) {
  for (const std::string& name : ts::ListNames(folder)) {
    const std::string path = folder + "\\" + name;
    const std::uint32_t a = platform::ReadAttributes(path.c_str());
    const bool dir = a != platform::kInvalidAttributes && (a & platform::kAttrDirectory);
    out->push_back(prefix + name + (dir ? "\\" : ""));
    if (dir) Tree(path, prefix + name + "\\", out);
  }
}
std::vector<std::string> Tree(const std::string& folder) {
  std::vector<std::string> out;
  Tree(folder, "", &out);
  return out;
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1500; ++i) {
    if (Exists(path)) return true;
    Sleep(20);
  }
  return false;
}

// The host years' key paths (as the scan records them) and their locations.
struct HostInstall {
  std::string keyPath;  // below HKLM, ending in "\"
  std::string location;
  int year;
};
const std::vector<HostInstall> kInstalls = {
    {kZw + "2021\\zh-CN\\", kHosts + "\\ZW2021", 2021},
    {kZw + "2024\\zh-CN\\", kHosts + "\\ZW2024", 2024},
    {kZw + "2025\\en-US\\", kHosts + "\\ZW2025en", 2025},
    {kZw + "2025\\zh-CN\\", kHosts + "\\ZW2025", 2025},
};

// What one run of Install until the process ended showed.
struct Outcome {
  bool ended = false;
  bool done = false;         // the completion message came
  long long position = -1;   // of the bar when it came
  long long low = -1, high = -1;
  int prompts = 0;           // copy prompts answered
  std::uint32_t exitCode = 99;
  std::vector<std::string> others;  // any other message
};

class InstallE2e : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ts::KeyExists("SOFTWARE\\ZWSOFT"));
    for (const char* name : {"Korvex2021.ZRX", "Korvex2025.ZRX", "Korvex_EN.shx", "Korvex_HZ.shx",
                             "README", "SetUp.exe", "a.txt", "说明扩展绘图库.txt",
                             "Korvex扩展绘图库\\l1.dat", "Korvex扩展绘图库\\l2.dat",
                             "Korvex扩展绘图库\\sub\\x.dat"}) {
      const std::string path = kPkg + "\\Data\\" + name;
      ASSERT_TRUE(ts::MakeFolders(path.substr(0, path.rfind('\\'))));
      ASSERT_TRUE(ts::WriteFile(path, name));
    }
    ASSERT_TRUE(CopyFileA(e2e::SetupExePath().c_str(), (kPkg + "\\SetUp.exe").c_str(), FALSE));
    std::vector<ts::RegEntry> hosts;
    for (const HostInstall& h : kInstalls) {
      hosts.push_back(ts::Sz(h.keyPath.substr(0, h.keyPath.size() - 1), h.location));
      ASSERT_TRUE(ts::MakeFolders(h.location + "\\Fonts"));
    }
    ASSERT_TRUE(ts::WriteTree(hosts));
  }
  void TearDown() override {
    process_.Kill();
    Release();
    EXPECT_TRUE(ts::DeleteTree("SOFTWARE\\ZWSOFT"));
    for (const std::string& path : made_) EXPECT_TRUE(ts::RemoveTree(path)) << path;
    EXPECT_TRUE(ts::RemoveTree(kPkg));
    EXPECT_TRUE(ts::RemoveTree(kHosts));
  }
  // Folders the case may create, removed afterwards and checked absent first.
  void MayMake(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
      ASSERT_TRUE(ts::RemoveTree(p));
      made_.push_back(p);
    }
  }
  void Open(const std::string& folder = "") {
    std::string error;
    ASSERT_TRUE(process_.Start(kPkg + "\\SetUp.exe", &error, folder)) << error;
    ASSERT_TRUE(process_.WaitForDialog(kCaption, kTimeoutMs));
    ASSERT_TRUE(process_.Item(1022).enabled);
  }
  // Holds a file open without sharing through the helper until TearDown.
  void Hold(const std::string& file) {
    ASSERT_TRUE(ts::MakeFolders(file.substr(0, file.rfind('\\'))));
    ASSERT_TRUE(ts::WriteFile(file, "old"));
    signal_ = kPkg + "\\release";
    holder_ = testing_support::StartProgram(kHelper, "hold " + file + " " + signal_);
    ASSERT_NE(holder_, nullptr);
    ASSERT_TRUE(WaitForFile(signal_ + ".ready"));
  }
  void Release() {
    if (!holder_) return;
    ts::WriteFile(signal_, "");
    WaitForSingleObject(holder_, 10000);
    CloseHandle(holder_);
    holder_ = nullptr;
  }
  // Presses Install and answers every box until the process ends: copy
  // prompts with `answer`, everything else with OK.
  Outcome PressAndFinish(int answer) {
    Outcome o;
    if (!process_.Click(1022)) return o;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (std::chrono::steady_clock::now() < end) {
      if (process_.WaitForExit(0, &o.exitCode)) {
        o.ended = true;
        break;
      }
      e2e::BoxInfo box;
      if (!process_.WaitForBox(200, &box)) continue;
      if (box.text == kDoneText && box.caption == kDoneCaption) {
        o.done = true;
        o.position = process_.SendItem(1014, 0x408, 0, 0);  // PBM_GETPOS
        o.low = process_.SendItem(1014, 0x407, 1, 0);       // PBM_GETRANGE, low
        o.high = process_.SendItem(1014, 0x407, 0, 0);      // high
        process_.AnswerBox(box, IDOK);
      } else if (box.caption == kSetupCaption && box.text.rfind(kCopyPrompt, 0) == 0) {
        ++o.prompts;
        process_.AnswerBox(box, answer);
      } else {
        o.others.push_back(box.caption + ": " + box.text);
        process_.AnswerBox(box, IDOK);
      }
    }
    if (!o.ended) o.ended = process_.WaitForExit(kTimeoutMs, &o.exitCode);
    return o;
  }
  // Answers the one box that a press shows; the dialog stays.
  e2e::BoxInfo PressForBox() {
    e2e::BoxInfo box;
    EXPECT_TRUE(process_.Click(1022));
    EXPECT_TRUE(process_.WaitForBox(kTimeoutMs, &box));
    return box;
  }
  void ExpectInputMode() {
    EXPECT_FALSE(process_.Closed());
    EXPECT_TRUE(process_.Item(1000).visible);
    EXPECT_TRUE(process_.Item(1015).visible);
    EXPECT_FALSE(process_.Item(1014).visible);
  }
  // The loader keys and fonts of a complete install into `folder`.
  void ExpectHostsSetUp(const std::string& folder, const std::vector<int>& years = {2021, 2024, 2025}) {
    for (const HostInstall& h : kInstalls) {
      if (std::find(years.begin(), years.end(), h.year) == years.end()) continue;
      const std::string apps = h.keyPath + "Applications";
      EXPECT_EQ(ts::SubKeys(apps), std::vector<std::string>{"Korvex" + std::to_string(h.year)});
      const std::string key = apps + "\\Korvex" + std::to_string(h.year);
      std::uint32_t type = 0;
      std::string data;
      ASSERT_TRUE(ts::ReadValue(key, "LOADCTRLS", &type, &data)) << key;
      EXPECT_EQ(type, 4u);
      EXPECT_EQ(data, std::string("\x02\0\0\0", 4));
      ASSERT_TRUE(ts::ReadValue(key, "LOADER", &type, &data)) << key;
      EXPECT_EQ(type, 1u);
      const std::string module = h.year == 2025 ? "Korvex2025.ZRX" : "Korvex2021.ZRX";
      EXPECT_EQ(data, folder + "\\" + module + std::string(1, '\0'));
      EXPECT_EQ(Tree(h.location + "\\Fonts"),
                (std::vector<std::string>{"Korvex_EN.shx", "Korvex_HZ.shx"}));
      std::string font;
      EXPECT_TRUE(ts::ReadFile(h.location + "\\Fonts\\Korvex_HZ.shx", &font));
      EXPECT_EQ(font, "Korvex_HZ.shx");
    }
  }
  void ExpectHostsUntouched() {
    for (const HostInstall& h : kInstalls) {
      EXPECT_FALSE(ts::KeyExists(h.keyPath + "Applications")) << h.keyPath;
      EXPECT_TRUE(Tree(h.location + "\\Fonts").empty()) << h.location;
    }
  }

  e2e::SetupProcess process_;
  std::vector<std::string> made_;
  HANDLE holder_ = nullptr;
  std::string signal_;
};

// The package's files and the library's top-level files, nothing excluded.
const std::vector<std::string> kInstalled = {"a.txt",          "Korvex2021.ZRX",
                                             "Korvex2025.ZRX", "Korvex扩展绘图库\\",
                                             "Korvex扩展绘图库\\l1.dat", "Korvex扩展绘图库\\l2.dat"};

}  // namespace
