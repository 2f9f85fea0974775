// What only the simulation shows: a file in use (Wine deletes a file another
// process holds open only when that process allows it, and restarts nothing),
// the uninstaller's own running image, the host program running, and the
// state after the next restart.
#include <gtest/gtest.h>

#include "common/case_name.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "uninstall/removal.h"
#include "uninstall_fixture.h"

namespace ts = testing_support;
using platform::sim::SimFiles;

namespace {

const std::vector<std::string> kAfter = {"H24\\", "H24\\Fonts\\"};

using UninstallSim = ts::UninstallFixture;

TEST_F(UninstallSim, FileInUseIsDeletedAtRestartWithItsFolders) {
  ASSERT_TRUE(Install());
  const std::string held = folder_ + "\\Korvex扩展绘图库\\门窗.dwg";
  ASSERT_TRUE(SimFiles::Get().SetHeldOpen(held, true));
  EXPECT_EQ(RunUninstallOf(), kUninstallRestart);
  // Everything else is gone now; the file waits, and so do the folders that
  // hold nothing else.
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\",
                                               "K\\Tarnwell\\Korvex扩展绘图库\\",
                                               "K\\Tarnwell\\Korvex扩展绘图库\\门窗.dwg"}));
  EXPECT_EQ(SimFiles::Get().PendingDeletes(),
            (std::vector<std::string>{held, folder_ + "\\Korvex扩展绘图库", folder_, chosen_}));
  SimFiles::Get().SetHeldOpen(held, false);
  SimFiles::Get().Restart();
  EXPECT_EQ(State(), kAfter);
}

TEST_F(UninstallSim, FileInUseBesideAnAddedFileKeepsTheFolder) {
  ASSERT_TRUE(Install());
  ASSERT_TRUE(ts::WriteFile(folder_ + "\\notes.txt", "mine"));
  ASSERT_TRUE(SimFiles::Get().SetHeldOpen(folder_ + "\\Korvex2021.ZRX", true));
  EXPECT_EQ(RunUninstallOf(), kUninstallRestart);
  EXPECT_EQ(SimFiles::Get().PendingDeletes(), (std::vector<std::string>{folder_ + "\\Korvex2021.ZRX"}));
}

TEST_F(UninstallSim, RunningUninstallerMovesOutAndNeverAsksForARestart) {
  ASSERT_TRUE(Install());
  const std::string self = folder_ + "\\Uninstall.exe";
  SimFiles::Get().SetExecutablePath(self);
  ASSERT_TRUE(platform::HoldRunningImage());  // let go of before the move
  SimFiles::Get().SetCurrentFolder(folder_);  // started from its own folder
  EXPECT_EQ(RunUninstallOf(true, self), kUninstallDone);
  EXPECT_EQ(State(), kAfter);
  EXPECT_EQ(SimFiles::Get().List("C:\\Temp"), (std::vector<std::string>{"Tarnwell-Uninstall-1.exe"}));
  EXPECT_EQ(SimFiles::Get().PendingDeletes(),
            (std::vector<std::string>{"C:\\Temp\\Tarnwell-Uninstall-1.exe"}));
}

TEST_F(UninstallSim, RunningUninstallerThatCannotMoveWaitsInPlace) {
  ASSERT_TRUE(Install());
  const std::string self = folder_ + "\\Uninstall.exe";
  SimFiles::Get().SetExecutablePath(self);
  SimFiles::Get().AddDrive('D');
  platform::sim::SimSystem::Get().SetTempFolder("D:");  // another volume: no rename
  EXPECT_EQ(RunUninstallOf(true, self), kUninstallDone);
  EXPECT_EQ(SimFiles::Get().PendingDeletes(), (std::vector<std::string>{self, folder_, chosen_}));
  SimFiles::Get().SetExecutablePath("C:\\elsewhere.exe");
  SimFiles::Get().Restart();
  EXPECT_EQ(State(), kAfter);
}

// A folder the system will not delete now although it holds nothing (a
// process works in it) waits for the restart, which the code asks for.
TEST_F(UninstallSim, FolderLeftToTheRestartAsksForIt) {
  ASSERT_TRUE(Install());
  SimFiles::Get().Find(folder_)->heldOpen = true;
  EXPECT_EQ(RunUninstallOf(), kUninstallRestart);
  EXPECT_EQ(SimFiles::Get().PendingDeletes(), (std::vector<std::string>{folder_, chosen_}));
}

// A loader key that cannot be opened (access denied) is not gone: it stays,
// and so does the entry, so that the uninstall can run again.
TEST_F(UninstallSim, LoaderKeyThatCannotBeOpenedIsLeftBehind) {
  ASSERT_TRUE(Install());
  ASSERT_TRUE(platform::sim::SimRegistry::Get().SetDenied(ts::kLoaderKey24, true));
  EXPECT_EQ(RunUninstallOf(), kUninstallPartial);
  ASSERT_TRUE(platform::sim::SimRegistry::Get().SetDenied(ts::kLoaderKey24, false));
  EXPECT_EQ(State(), (std::vector<std::string>{"H24\\", "H24\\Fonts\\", "K\\", "K\\Tarnwell\\", "K\\Tarnwell\\Korvex扩展绘图库\\", "K\\Tarnwell\\Uninstall.dat", "K\\Tarnwell\\Uninstall.exe", 
                                               "key Applications", "key Applications\\Korvex2024", "entry"}));
}

TEST_F(UninstallSim, HostRunningRemovesNothing) {
  ASSERT_TRUE(Install());
  const std::vector<std::string> before = State();
  platform::sim::SimProcesses::Get().SetProcesses({"System", "ZWCAD.EXE"});
  {
    ts::BoxAnswerer boxes;
    EXPECT_EQ(RunUninstallOf(false), kUninstallHostRunning);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "请关闭CAD后再进行卸载 !");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Tarnwell软件卸载");
    EXPECT_EQ(boxes.Boxes()[0].type, platform::kMbOk);
  }
  ts::BoxAnswerer silent;
  EXPECT_EQ(RunUninstallOf(true), kUninstallHostRunning);
  EXPECT_EQ(silent.Boxes().size(), 1u);  // the one before: silent shows none
  EXPECT_EQ(State(), before);
}

// Windows alone keeps owners: a folder on the way that another user owns
// could be renamed and refilled while the uninstall deletes.
TEST_F(UninstallSim, FolderOnTheWayOwnedByAnotherUserRemovesNothing) {
  ASSERT_TRUE(Install());
  const std::vector<std::string> before = State();
  SimFiles::Get().Security(root_)->owner = "S-1-5-21-9-9-9-1002";
  ts::BoxAnswerer boxes;
  EXPECT_EQ(RunUninstallOf(false), kUninstallNoRecord);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kUninstallUnsafeText);
  EXPECT_EQ(RunUninstallOf(true), kUninstallNoRecord);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(log_.back(), "install path not safe: " + root_ +
                             ": owned by S-1-5-21-9-9-9-1002: nothing removed");
  EXPECT_EQ(State(), before);
}

}  // namespace

namespace {

// Wine makes no junctions (see docs/wine-notes.md): a library folder or an
// install folder that has become a link to another folder keeps what that
// folder holds, even under the recorded names.
struct LinkCase {
  const char* name;
  std::string link;  // below the install folder's parent; "" the install folder itself
  int code;          // a link on the way to the install folder stops the uninstall at once
};

const LinkCase kLinks[] = {{"LibraryFolder", "Tarnwell\\Korvex扩展绘图库", kUninstallDone},
                           {"InstallFolder", "Tarnwell", kUninstallNoRecord}};

class LinkedFolder : public ts::UninstallFixture, public testing::WithParamInterface<LinkCase> {};

TEST_P(LinkedFolder, NothingIsDeletedThroughIt) {
  ASSERT_TRUE(Install());
  // Somebody moves the folder away and puts a link to another folder in its
  // place, which holds files of the recorded names (and the record, so that
  // it reads through the link).
  const std::string linked = chosen_ + "\\" + GetParam().link;
  std::string record;
  ASSERT_TRUE(ts::ReadFile(folder_ + "\\Uninstall.dat", &record));
  ASSERT_TRUE(ts::RemoveTree(linked));
  for (const char* name : {"门窗.dwg", "Korvex2021.ZRX"})
    ASSERT_TRUE(ts::WriteFile(root_ + "\\other\\" + name, "other"));
  ASSERT_TRUE(ts::WriteFile(root_ + "\\other\\Uninstall.dat", record));
  ASSERT_NE(SimFiles::Get().AddLink(linked, root_ + "\\other", true), nullptr);
  EXPECT_EQ(RunUninstallOf(), GetParam().code);
  EXPECT_EQ(SimFiles::Get().List(root_ + "\\other"),
            (std::vector<std::string>{"Korvex2021.ZRX", "Uninstall.dat", "门窗.dwg"}));
}

INSTANTIATE_TEST_SUITE_P(Links, LinkedFolder, testing::ValuesIn(kLinks), CaseName());

}  // namespace

namespace {

// Windows reaches a recorded name through a junction made above the install
// after it: each handle then has another file open than the one recorded,
// and nothing is deleted through it (Wine cannot make a junction).
TEST_F(UninstallSim, EntryWhoseFinalPathDiffersIsKept) {
  ASSERT_TRUE(Install());
  InstallRecord record;
  int ignored = 0;
  ASSERT_TRUE(LoadRecord(ScopeOf(CHostRegistry(), folder_), &record, &ignored));
  ASSERT_TRUE(platform::MoveOneFile(root_.c_str(), "C:\\moved"));
  ASSERT_TRUE(SimFiles::Get().AddLink(root_, "C:\\moved", true));
  const std::vector<std::string> before = ts::Tree("C:\\moved");
  const RemovalOutcome out = RemoveRecorded(record, folder_, "");
  EXPECT_EQ(ts::Tree("C:\\moved"), before);
  const std::string file = folder_ + "\\Korvex2021.ZRX";
  EXPECT_NE(std::find(out.events.begin(), out.events.end(),
                      "file kept, its name leads to C:\\moved\\K\\Tarnwell\\Korvex2021.ZRX: " + file),
            out.events.end());
  EXPECT_TRUE(out.leftBehind);
  EXPECT_EQ(out.events.back(), "Apps & Features entry kept: something of the install could not be removed");
}

}  // namespace
