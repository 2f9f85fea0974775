#pragma once
// The driven SetUp.exe of the install tests under Wine, on the machine of
// common/install_machine.h: SetUp.exe copied into the package folder, a
// helper that holds files open, the Install button pressed and every box
// answered. Included by one test file of each program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "common/install_machine.h"
#include "common/win_process.h"
#include "e2e/driver.h"
#include "platform/files.h"
#include "ui/setup_template.h"

namespace {

namespace ts = testing_support;
using ts::ExpectHostsSetUp;
using ts::ExpectHostsUntouched;
using ts::Exists;
using ts::HostInstall;
using ts::kHosts;
using ts::kInstalled;
using ts::kInstalls;
using ts::kPkg;
using ts::kZwcad;
using ts::Tree;

constexpr int kTimeoutMs = 15000;
const char* const kCaption = "Tarnwell安装";
const std::string k5C = "\x81\x5c";  // one GBK character, second byte "\"
const char* const kDoneText = "安装完成，重启CAD即可使用 !";
const char* const kDoneCaption = "Tarnwell工具箱安装";
const char* const kPartialText = "安装未全部完成，部分文件或设置未能写入 !\n\n请查看日志：";
const char* const kSetupCaption = "Tarnwell软件安装";
const char* const kCopyPrompt = "拷贝文件 ";

using e2e::WinPath;
const std::string kHelper = WinPath(TARNWELL_HELPER_EXE);

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1500; ++i) {
    if (Exists(path)) return true;
    Sleep(20);
  }
  return false;
}

// What one run of Install until the process ended showed.
struct Outcome {
  bool ended = false;
  bool done = false;         // the closing message came (whole or partial)
  std::string closing;       // its text
  long long position = -1;   // of the bar when it came
  long long low = -1, high = -1;
  int prompts = 0;           // copy prompts answered
  std::uint32_t exitCode = 99;
  std::vector<std::string> others;  // any other message
};

class InstallE2e : public testing::Test {
 protected:
  void SetUp() override {
    ts::PrepareMachine();
    ASSERT_TRUE(CopyFileA(e2e::SetupExePath().c_str(), (kPkg + "\\SetUp.exe").c_str(), FALSE));
  }
  void TearDown() override {
    process_.Kill();
    Release();
    for (const std::string& path : made_) EXPECT_TRUE(ts::RemoveTree(path)) << path;
    ts::CleanMachine();
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
    ASSERT_TRUE(process_.Item(kIdInstall).enabled);
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
  // Runs the helper as the host program (C:\hostbin\zwcad.exe) until TearDown.
  void RunHost() {
    MayMake({"C:\\hostbin"});
    ASSERT_TRUE(ts::MakeFolders("C:\\hostbin"));
    ASSERT_TRUE(CopyFileA(kHelper.c_str(), "C:\\hostbin\\zwcad.exe", FALSE));
    signal_ = kPkg + "\\release";
    holder_ = testing_support::StartProgram("C:\\hostbin\\zwcad.exe", "wait " + signal_);
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
    if (!process_.Click(kIdInstall)) return o;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (std::chrono::steady_clock::now() < end) {
      if (process_.WaitForExit(0, &o.exitCode)) {
        o.ended = true;
        break;
      }
      e2e::BoxInfo box;
      if (!process_.WaitForBox(200, &box)) continue;
      if (box.caption == kDoneCaption &&
          (box.text == kDoneText || box.text.rfind(kPartialText, 0) == 0)) {
        o.done = true;
        o.closing = box.text;
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
    EXPECT_TRUE(process_.Click(kIdInstall));
    EXPECT_TRUE(process_.WaitForBox(kTimeoutMs, &box));
    return box;
  }
  void ExpectInputMode() {
    EXPECT_FALSE(process_.Closed());
    EXPECT_TRUE(process_.Item(kIdInstallPath).visible);
    EXPECT_TRUE(process_.Item(kIdBrowse).visible);
    EXPECT_FALSE(process_.Item(kIdProgress).visible);
  }
  e2e::SetupProcess process_;
  std::vector<std::string> made_;
  HANDLE holder_ = nullptr;
  std::string signal_;
};

}  // namespace
