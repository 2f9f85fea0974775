// The dialog framework on its own, against the simulation: the application
// name, the report of an invalid-argument error raised in a handler, the
// owner of the application's boxes, window take-over with a notification
// table, and the entry point that runs the start routine once.
#include <gtest/gtest.h>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "framework/dialog.h"
#include "host/host_registry.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"

using platform::sim::SimUi;
using platform::sim::SimWindow;

namespace {

namespace st = platform::style;

const platform::DialogTemplate kProbeTemplate = {
    500, "Probe", 0, 0, 100, 60, st::kPopup | st::kCaption | st::kDsModalFrame, 0, 9, 0, false, 1,
    "宋体",
    {
        {10, "BUTTON", "Throw", 0, 0, 0, 20, 10, st::kChild | st::kVisible | st::kTabStop, 0},
        {11, "BUTTON", "Count", 0, 0, 20, 20, 10, st::kChild | st::kVisible | st::kTabStop, 0},
        {12, "EDIT", nullptr, 0, 0, 40, 20, 10, st::kChild | st::kVisible | st::kTabStop, 0},
    },
};

class ProbeDialog : public framework::Dialog {
 public:
  ProbeDialog() : framework::Dialog(kProbeTemplate, nullptr) {}
  void Throw() { throw platform::InvalidArgumentError(); }
  void Count() {
    ++counted;
    owner = platform::ActiveWindow();
  }
  void Edited() { ++edits; }
  bool OnDialogInit() override {
    framework::Dialog::OnDialogInit();
    if (throwInInit) throw platform::InvalidArgumentError();
    return true;
  }
  int counted = 0;
  int edits = 0;
  bool throwInInit = false;
  platform::WindowHandle owner = nullptr;

 protected:
  const framework::MessageEntry* GetMessageTable() const override {
    static const framework::MessageEntry kTable[] = {
        TARNWELL_ON_CLICKED(10, ProbeDialog, Throw),
        TARNWELL_ON_CLICKED(11, ProbeDialog, Count),
        TARNWELL_ON_COMMAND(platform::kEnChange, 12, ProbeDialog, Edited),
        TARNWELL_END_MESSAGES,
    };
    return kTable;
  }
};

TEST(FrameworkTest, AnInvalidArgumentErrorIsReportedAndTheDialogKeepsRunning) {
  ProbeDialog dialog;
  SimUi::Get().SetUser([&] {
    ASSERT_TRUE(SimUi::Get().Click(10));
    ASSERT_EQ(SimUi::Get().Boxes().size(), 1u);
    const auto& box = SimUi::Get().Boxes()[0];
    EXPECT_EQ(box.text, "The parameter is incorrect.\r\n");
    EXPECT_EQ(box.caption, "SetUp");
    EXPECT_EQ(box.type, platform::kMbOk | platform::kMbIconStop);
    EXPECT_EQ(box.owner, SimUi::Get().RunningDialog());
    EXPECT_FALSE(dialog.Ended());
    // Still running: other handlers work, the error can come again.
    EXPECT_TRUE(SimUi::Get().Click(11));
    EXPECT_TRUE(SimUi::Get().Click(10));
    EXPECT_EQ(SimUi::Get().Boxes().size(), 2u);
    SimUi::Get().Escape();
  });
  EXPECT_EQ(dialog.DoModal(), 2);
  EXPECT_EQ(dialog.counted, 1);
  // While the dialog runs it is the active window, and only then.
  EXPECT_EQ(dialog.owner, SimUi::Get().Runs()[0].dialog);
  EXPECT_EQ(platform::ActiveWindow(), nullptr);
}

TEST(FrameworkTest, AnErrorInTheInitialisationIsReportedAndTheDialogShows) {
  ProbeDialog dialog;
  dialog.throwInInit = true;
  bool shown = false;
  SimUi::Get().SetUser([&] {
    shown = true;
    SimUi::Get().Enter();  // the focus is on a push button: it is pressed
    SimUi::Get().FocusOn(12);
    SimUi::Get().Enter();
  });
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_TRUE(shown);
  EXPECT_EQ(dialog.counted, 0);
  EXPECT_EQ(SimUi::Get().Boxes().size(), 2u);  // the init error, then the Throw button
}

TEST(FrameworkTest, EnterWithoutAPushButtonFocusSendsOkEvenWithoutControlOne) {
  ProbeDialog dialog;
  SimUi::Get().SetUser([&] {
    EXPECT_TRUE(SimUi::Get().Type(12, "x"));
    EXPECT_TRUE(SimUi::Get().Enter());
  });
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(dialog.edits, 1);
}

TEST(FrameworkTest, ADialogLeftOpenByTheUserIsRecorded) {
  ProbeDialog dialog;
  SimUi::Get().SetUser([] {});
  EXPECT_EQ(dialog.DoModal(), 0);
  ASSERT_EQ(SimUi::Get().Runs().size(), 1u);
  EXPECT_TRUE(SimUi::Get().Runs()[0].leftOpen);
}

// A window object that takes over a window it did not create.
class Spy : public framework::Window {
 public:
  void Ok() { ++oks; }
  int oks = 0;

 protected:
  const framework::MessageEntry* GetMessageTable() const override {
    static const framework::MessageEntry kTable[] = {
        TARNWELL_ON_CLICKED(1, Spy, Ok),
        TARNWELL_END_MESSAGES,
    };
    return kTable;
  }
};

TEST(FrameworkTest, TakeOverRoutesTheTablesNotificationsOnly) {
  SimWindow* browser = SimUi::Get().NewWindow(0, "#32770");
  Spy spy;
  ASSERT_TRUE(spy.Subclass(browser));
  EXPECT_EQ(spy.Handle(), browser);
  EXPECT_FALSE(Spy().Subclass(browser));  // one take-over at a time
  EXPECT_TRUE(spy.OnCommand(1, platform::kBnClicked));
  EXPECT_FALSE(spy.OnCommand(1, platform::kEnChange));
  EXPECT_FALSE(spy.OnCommand(14148, platform::kBnClicked));
  EXPECT_EQ(spy.oks, 1);
  spy.Unsubclass();
  EXPECT_EQ(spy.Handle(), nullptr);
  EXPECT_EQ(browser->object, nullptr);
  Spy again;
  EXPECT_TRUE(again.Subclass(browser));
}

struct NameCase {
  const char* name;
  const char* module;
  const char* appName;
};

class AppNameTest : public testing::TestWithParam<NameCase> {
 protected:
  void SetUp() override { g_hostRegistry = CHostRegistry(); }
  void TearDown() override { g_hostRegistry = CHostRegistry(); }
};

TEST_P(AppNameTest, IsTheExecutablesFileNameWithoutExtension) {
  platform::sim::SimFiles::Get().SetExecutablePath(GetParam().module);
  CWizardApp app;  // the newest application object is the current one
  int runs = 0;
  SimUi::Get().SetUser([&] {
    ++runs;
    SimUi::Get().Escape();
  });
  EXPECT_EQ(app.Run(), 2);  // the exit code: the dialog was closed without installing
  EXPECT_EQ(app.Name(), GetParam().appName);
  EXPECT_EQ(app.Run(), 0);  // the start routine runs once
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(framework::AppMessageBox("x", 0), platform::kIdOk);
  EXPECT_EQ(SimUi::Get().Boxes().back().caption, GetParam().appName);
}

INSTANTIATE_TEST_SUITE_P(
    Framework, AppNameTest,
    testing::Values(NameCase{"Plain", "C:\\Tarnwell\\SetUp.exe", "SetUp"},
                    NameCase{"DotsInFolderAndName", "D:\\a.b\\My.Setup.exe", "My.Setup"},
                    NameCase{"NoExtension", "C:\\x\\Installer", "Installer"},
                    // 0x81 0x5C is one character: its second byte is no separator.
                    NameCase{"SecondByteBackslash", "C:\\dir\\\x81\x5c" "a.exe", "\x81\x5c" "a"},
                    NameCase{"ChineseName", "C:\\软件\\安装.EXE", "安装"}),
    CaseName());

}  // namespace
