// The dialog framework over the real Win32, inside this test program: a
// dialog from template 141 whose Install handler raises an invalid-argument
// error. Another thread drives it as SetUp.exe is driven.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "e2e/driver.h"
#include "framework/dialog.h"
#include "platform/system.h"
#include "ui/setup_template.h"

namespace {

struct IconSearch {
  HICON icon;
  bool found;
};

BOOL CALLBACK FindIcon(HWND child, LPARAM lParam) {
  auto* s = reinterpret_cast<IconSearch*>(lParam);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
      reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == s->icon)
    s->found = true;
  return TRUE;
}

bool ShowsIcon(HWND box, HICON icon) {
  IconSearch s{icon, false};
  EnumChildWindows(box, &FindIcon, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

class ThrowingDialog : public framework::Dialog {
 public:
  ThrowingDialog() : framework::Dialog(kSetupDialogTemplate, nullptr) {}
  void Fail() { throw platform::InvalidArgumentError(); }
  void Count() { ++browses; }
  int browses = 0;

 protected:
  const framework::MessageEntry* GetMessageTable() const override {
    static const framework::MessageEntry kTable[] = {
        TARNWELL_ON_CLICKED(kIdInstall, ThrowingDialog, Fail),
        TARNWELL_ON_CLICKED(kIdBrowse, ThrowingDialog, Count),
        TARNWELL_END_MESSAGES,
    };
    return kTable;
  }
};

TEST(FrameworkWinTest, AnInvalidArgumentErrorShowsTheSystemTextAndTheDialogStays) {
  framework::Application app;
  EXPECT_EQ(app.Name(), "e2e_tests");
  ThrowingDialog dialog;
  e2e::BoxInfo box;
  bool boxSeen = false, stillOpen = false, stopIcon = false, browsed = false;
  std::thread user([&] {
    e2e::SetupProcess self;
    self.AttachToSelf();
    if (!self.WaitForDialog("Tarnwell安装", 10000)) return;
    self.Click(kIdInstall);
    boxSeen = self.WaitForBox(10000, &box);
    if (boxSeen) {
      // The box's icon static shows the system's stop icon.
      stopIcon = ShowsIcon(static_cast<HWND>(box.window), LoadIconA(nullptr, IDI_HAND));
      self.AnswerBox(box, IDOK);
    }
    stillOpen = !self.Closed();
    self.Click(kIdBrowse);
    browsed = self.Boxes().empty();
    self.Escape();
  });
  const int result = dialog.DoModal();
  user.join();
  EXPECT_EQ(result, 2);
  ASSERT_TRUE(boxSeen);
  EXPECT_EQ(box.caption, "e2e_tests");
  EXPECT_EQ(box.text, platform::InvalidArgumentText());
  EXPECT_FALSE(box.text.empty());
  EXPECT_TRUE(stopIcon);
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(browsed);
  EXPECT_EQ(dialog.browses, 1);
}

}  // namespace
