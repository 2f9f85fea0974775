// The folder picker inside the simulated shell browser, opened by Browse in
// the setup dialog: the edit box it adds, OK's state, the check at OK, the
// creation of a missing folder, and what reaches the setup dialog.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/wizard_app.h"
#include "common/registry_tree.h"
#include "host/host_registry.h"
#include "platform/folder_browser.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_ui.h"
#include "ui/path_dialog.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

using platform::sim::MessageBoxRecord;
using platform::sim::SimFiles;
using platform::sim::SimShell;
using platform::sim::SimUi;
using platform::sim::SimWindow;

namespace {

SimWindow* Browser() { return static_cast<SimWindow*>(SimShell::Get().RunningWindow()); }
SimWindow* Edit() { return SimUi::Get().Control(kFolderEditId); }
bool OkEnabled() { return SimUi::Get().Control(platform::kBrowserOkId)->enabled; }

class FolderPicker : public testing::Test {
 protected:
  void SetUp() override {
    g_hostRegistry = CHostRegistry();
    SimFiles::Get().AddDrive('D');
    SimFiles::Get().AddFolder("C:\\Korvex");
    SimFiles::Get().AddFolder("D:\\Tools\\CAD");
    ASSERT_TRUE(testing_support::WriteTree(
        {testing_support::Sz("SOFTWARE\\ZWSOFT\\ZWCAD\\2024", "C:\\ZW")}));
    SimUi::Get().SetAnswerer([this](const MessageBoxRecord& box) {
      boxOwner = box.owner;
      focusAtBox = SimUi::Get().Focus();
      return (box.type & 0x0F) == platform::kMbYesNo ? yesNo : platform::kIdOk;
    });
  }
  void TearDown() override { g_hostRegistry = CHostRegistry(); }

  // Runs SetUp: the user does `before` in the setup dialog, presses Browse,
  // does `inBrowser` there, then closes the setup dialog with Escape.
  void Run(std::function<void()> inBrowser, std::function<void()> before = nullptr) {
    SimUi::Get().SetBrowserUser(std::move(inBrowser));
    SimUi::Get().SetUser([&, before] {
      if (before) before();
      setupDialog = SimUi::Get().RunningDialog();
      EXPECT_TRUE(SimUi::Get().Click(kIdBrowse));
      pathAfter = SimUi::Get().Control(kIdInstallPath)->text;
      installEnabled = SimUi::Get().Control(kIdInstall)->enabled;
      EXPECT_TRUE(SimUi::Get().Escape());
    });
    EXPECT_FALSE(theApp.RunSetup());
    EXPECT_EQ(SimShell::Get().LiveItems(), 0) << "every item list is freed";
    EXPECT_EQ(SimShell::Get().AllocatorsHeld(), 0);
  }

  int yesNo = platform::kIdYes;
  platform::WindowHandle boxOwner = nullptr;
  SimWindow* focusAtBox = nullptr;
  SimWindow* setupDialog = nullptr;
  std::string pathAfter;
  bool installEnabled = false;
};

TEST_F(FolderPicker, OpensOwnedByTheSetupDialogWithTheEditBoxAboveTheTree) {
  Run([&] {
    SimWindow* b = Browser();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text, "请选择安装目录：");
    EXPECT_FALSE(SimUi::Get().Control(platform::kBrowserStatusId)->visible);
    const SimWindow* tree = SimUi::Get().Control(platform::kBrowserTreeId);
    const SimWindow* edit = Edit();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->visible);
    EXPECT_EQ(edit->className, "EDIT");
    EXPECT_EQ(edit->style, 0x50010080u);
    EXPECT_EQ(edit->exStyle, 0x200u);
    EXPECT_EQ(edit->x, tree->x);
    EXPECT_EQ(edit->cx, tree->cx);
    EXPECT_EQ(edit->y, tree->y - 27);
    EXPECT_EQ(edit->cy, 23);
    EXPECT_EQ(edit->font, b->font);
    // The install path was selected, which filled the box and enabled OK.
    EXPECT_EQ(edit->text, "C:\\Korvex");
    EXPECT_TRUE(OkEnabled());
    EXPECT_TRUE(SimUi::Get().Escape());
  });
  ASSERT_EQ(SimShell::Get().Browses().size(), 1u);
  const auto& record = SimShell::Get().Browses()[0];
  EXPECT_EQ(record.title, "请选择安装目录：");
  EXPECT_EQ(record.flags, 5u);
  EXPECT_EQ(record.owner, setupDialog);
  EXPECT_EQ(pathAfter, "C:\\Korvex") << "Cancel keeps the path";
}

TEST_F(FolderPicker, SelectionFillsTheBoxAndVirtualFoldersEmptyIt) {
  Run([&] {
    ASSERT_TRUE(SimShell::Get().Select("D:\\Tools"));
    EXPECT_EQ(Edit()->text, "D:\\Tools");
    EXPECT_TRUE(OkEnabled());
    ASSERT_TRUE(SimShell::Get().Select("", false));  // "This PC"
    EXPECT_EQ(Edit()->text, "");
    EXPECT_FALSE(OkEnabled());
    ASSERT_TRUE(SimShell::Get().Select("\\\\server\\share"));  // no drive colon
    EXPECT_EQ(Edit()->text, "");
    EXPECT_FALSE(OkEnabled());
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, "x"));
    EXPECT_TRUE(OkEnabled()) << "any typed text enables OK";
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, ""));
    EXPECT_FALSE(OkEnabled());
    EXPECT_FALSE(SimUi::Get().Click(platform::kBrowserOkId)) << "a disabled OK takes no click";
    EXPECT_TRUE(SimUi::Get().Escape());
  });
  EXPECT_EQ(pathAfter, "C:\\Korvex");
}

TEST_F(FolderPicker, AcceptedFolderLandsInTheSetupDialog) {
  Run([&] {
    ASSERT_TRUE(SimShell::Get().Select("D:\\Tools\\CAD"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
  });
  EXPECT_EQ(pathAfter, "D:\\Tools\\CAD");
  EXPECT_TRUE(installEnabled);
  EXPECT_TRUE(SimUi::Get().Boxes().empty());
}

TEST_F(FolderPicker, DriveRootComesBackWithItsSeparator) {
  Run([&] {
    ASSERT_TRUE(SimShell::Get().Select("D:\\"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
  });
  EXPECT_EQ(pathAfter, "D:\\");
}

TEST_F(FolderPicker, InvalidPathKeepsTheBrowserOpenWithTheFocusInTheBox) {
  Run([&] {
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, "C:\\abc\\"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
    EXPECT_EQ(Browser()->modal.ended, false);
    EXPECT_EQ(SimUi::Get().Focus(), Edit());
    EXPECT_TRUE(SimUi::Get().Escape());
  });
  ASSERT_EQ(SimUi::Get().Boxes().size(), 1u);
  const auto& box = SimUi::Get().Boxes()[0];
  EXPECT_EQ(box.text, "The folder:\n\nC:\\abc\\\n\nis invalid. Please reenter.");
  EXPECT_EQ(box.caption, "SetUp");
  EXPECT_EQ(box.type, platform::kMbIconExclamation);
  EXPECT_EQ(boxOwner, SimShell::Get().Browses()[0].window) << "owned by the browser";
  EXPECT_EQ(pathAfter, "C:\\Korvex");
}

TEST_F(FolderPicker, MissingFolderIsCreatedLevelByLevelOnYes) {
  Run([&] {
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, "D:\\New\\Deep"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
  });
  ASSERT_EQ(SimUi::Get().Boxes().size(), 1u);
  EXPECT_EQ(SimUi::Get().Boxes()[0].text,
            "The folder:\n\nD:\\New\\Deep\n\ndoes not exist. Do you want the folder to be created?");
  EXPECT_EQ(SimUi::Get().Boxes()[0].type, platform::kMbYesNo | platform::kMbIconQuestion);
  EXPECT_NE(SimFiles::Get().Find("D:\\New\\Deep"), nullptr);
  EXPECT_EQ(pathAfter, "D:\\New\\Deep");
}

TEST_F(FolderPicker, DecliningTheCreationKeepsTheBrowserOpen) {
  yesNo = platform::kIdNo;
  Run([&] {
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, "D:\\New"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
    EXPECT_FALSE(Browser()->modal.ended);
    EXPECT_EQ(SimUi::Get().Focus(), Edit());
    EXPECT_EQ(SimFiles::Get().Find("D:\\New"), nullptr);
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserCancelId));
  });
  EXPECT_EQ(SimUi::Get().Boxes().size(), 1u) << "no message after No";
  EXPECT_EQ(pathAfter, "C:\\Korvex");
}

TEST_F(FolderPicker, CancelKeepsWhatTheUserHadTyped) {
  Run([&] {
    EXPECT_EQ(Edit()->text, "") << "a typed folder that does not exist is not selected";
    EXPECT_FALSE(OkEnabled());
    EXPECT_TRUE(SimUi::Get().CloseBox());
  },
      [] { EXPECT_TRUE(SimUi::Get().Type(kIdInstallPath, "D:\\typed\\by\\hand")); });
  EXPECT_EQ(pathAfter, "D:\\typed\\by\\hand");
}

TEST_F(FolderPicker, WithoutTheShellAllocatorNothingIsShown) {
  SimShell::Get().SetAllocatorFails(true);
  Run([&] { ADD_FAILURE() << "no browser expected"; });
  EXPECT_TRUE(SimShell::Get().Browses().empty());
  EXPECT_EQ(pathAfter, "C:\\Korvex");
}

// The picker on its own: no caption, no initial folder.
TEST(FolderPickerAlone, NoInitialFolderSelectsTheCurrentDirectory) {
  SimFiles::Get().AddFolder("C:\\Work\\Here");
  SimFiles::Get().SetCurrentFolder("C:\\Work\\Here");
  std::string shown;
  SimUi::Get().SetBrowserUser([&] {
    shown = Edit() ? Edit()->text : "<no box>";
    EXPECT_EQ(Browser()->text, "浏览文件夹") << "no caption keeps the browser's own";
    EXPECT_TRUE(SimUi::Get().Enter()) << "Enter on the tree sends OK to the picker's handler";
  });
  CPathDialog picker(nullptr, "title", nullptr, nullptr);
  EXPECT_EQ(picker.ShowModal(), 1);
  EXPECT_EQ(shown, "C:\\Work\\Here");
  EXPECT_EQ(picker.GetFolderPath(), "C:\\Work\\Here");
}

TEST(FolderPickerAlone, OkOnATypedPathReturnsIt) {
  SimUi::Get().SetBrowserUser([&] {
    EXPECT_TRUE(SimUi::Get().Type(kFolderEditId, "C:\\"));
    EXPECT_TRUE(SimUi::Get().Click(platform::kBrowserOkId));
  });
  CPathDialog picker("cap", "title", "", nullptr);
  EXPECT_EQ(picker.ShowModal(), 1);
  EXPECT_EQ(picker.GetFolderPath(), "C:\\");
  EXPECT_TRUE(SimUi::Get().Boxes().empty());
}

}  // namespace
