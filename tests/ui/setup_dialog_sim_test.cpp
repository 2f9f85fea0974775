// The setup dialog against the simulated dialog manager: the scenarios that
// the real SetUp.exe also runs under Wine (tests/e2e), and what only the
// simulation can observe from inside: the close path taken, the colours and
// fonts each control asks for, the GDI objects, the icon.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/wizard_app.h"
#include "common/case_name.h"
#include "common/setup_scenarios.h"
#include "host/host_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_dialog.h"
#include "ui/setup_template.h"

using platform::sim::SimUi;
using platform::sim::SimWindow;
using testing_support::ControlState;
using testing_support::SetupScenario;

namespace {

class SimSetupUi : public testing_support::SetupUi {
 public:
  ControlState State(int id) override {
    const SimWindow* w = SimUi::Get().Control(id);
    if (!w) return {};
    return {true, w->visible, w->enabled, w->checked};
  }
  std::string Text(int id) override {
    const SimWindow* w = SimUi::Get().Control(id);
    return w ? w->text : "<none>";
  }
  int FocusId() override { return SimUi::Get().Focus() ? SimUi::Get().Focus()->id : 0; }
  bool Click(int id) override { return SimUi::Get().Click(id); }
  bool Type(int id, const std::string& text) override { return SimUi::Get().Type(id, text); }
  bool FocusOn(int id) override { return SimUi::Get().FocusOn(id); }
  bool Enter() override { return SimUi::Get().Enter(); }
  bool Escape() override { return SimUi::Get().Escape(); }
  bool CloseBox() override { return SimUi::Get().CloseBox(); }
  bool Closed() override {
    const SimWindow* d = SimUi::Get().RunningDialog();
    return !d || d->modal.ended;
  }
};

// Each run starts from an empty host registry of its own.
class SetupFixture : public testing::Test {
 protected:
  void SetUp() override { g_hostRegistry = CHostRegistry(); }
  void TearDown() override {
    g_hostRegistry = CHostRegistry();
    g_versionNumber = 20260512;
  }
  // Runs the start routine with the given user; the dialog's window record.
  SimWindow* RunSetup(std::function<void()> user) {
    SimUi::Get().SetUser(std::move(user));
    EXPECT_FALSE(theApp.RunSetup());
    EXPECT_EQ(SimUi::Get().Runs().size(), 1u);
    return SimUi::Get().Runs().empty() ? nullptr : SimUi::Get().Runs().back().dialog;
  }
};

class SetupScenarioTest : public SetupFixture,
                          public testing::WithParamInterface<SetupScenario> {};

TEST_P(SetupScenarioTest, ShowsAndCloses) {
  const SetupScenario& c = GetParam();
  ASSERT_TRUE(testing_support::WriteTree(c.hosts));
  platform::sim::SimSystem::Get().SetCommandLine("\"C:\\SetUp.exe\" " + c.arguments);
  SimSetupUi ui;
  RunSetup([&] { testing_support::RunSteps(ui, c); });
  ASSERT_EQ(SimUi::Get().Runs().size(), 1u);
  EXPECT_FALSE(SimUi::Get().Runs()[0].leftOpen);
  EXPECT_EQ(SimUi::Get().Runs()[0].result, c.result);
  EXPECT_EQ(theApp.ExitCode(), c.exitCode);
  testing_support::ShownBoxes boxes;
  for (const auto& box : SimUi::Get().Boxes()) boxes.emplace_back(box.caption, box.text);
  EXPECT_EQ(boxes, c.boxes);
  // Brush and fonts are gone with the dialog object.
  EXPECT_EQ(SimUi::Get().LiveGdiObjects(), 0);
  EXPECT_EQ(SimUi::Get().BadDeletes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Setup, SetupScenarioTest,
                         testing::ValuesIn(testing_support::SetupScenarios()), CaseName());

TEST_F(SetupFixture, CloseOkReadsTheControlsIntoTheFields) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Host("2021", "C:\\A"),
                                          testing_support::Host("2024", "C:\\B")}));
  Dlg_Setup dialog;
  SimUi::Get().SetUser([&] {
    SimUi::Get().Click(kIdYear2021);
    SimUi::Get().Type(kIdInstallPath, "E:\\Neu");
    SimUi::Get().Enter();
    // Closing only marks the run as ended: later input reaches nothing.
    EXPECT_FALSE(SimUi::Get().Click(YearBoxId(2024)));
  });
  g_hostRegistry.ScanInstalledHosts();
  EXPECT_EQ(dialog.DoModal(), 1);
  EXPECT_EQ(dialog.m_installPath, "E:\\Neu");
  const std::int32_t expected[7] = {0, 0, 0, 1, 0, 0, 0};
  for (int y = 0; y < 7; ++y) EXPECT_EQ(dialog.m_yearSelected[y], expected[y]) << y;
  EXPECT_EQ(dialog.m_title, "Tarnwell软件 V2026.05.12");
  // The progress bar and the year boxes are attached to their controls.
  ASSERT_NE(dialog.m_progress.Handle(), nullptr);
  EXPECT_EQ(platform::GetDlgCtrlID(dialog.m_progress.Handle()), kIdProgress);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(platform::GetDlgCtrlID(dialog.m_yearBox[i].Handle()), kIdYear2027 - i);
}

TEST_F(SetupFixture, CancelLeavesTheFieldsAsInitialised) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Host("2021", "C:\\A")}));
  g_hostRegistry.ScanInstalledHosts();
  Dlg_Setup dialog;
  EXPECT_EQ(dialog.m_installPath, "C:\\Korvex");
  for (std::int32_t s : dialog.m_yearSelected) EXPECT_EQ(s, 1);
  SimUi::Get().SetUser([&] {
    SimUi::Get().Type(kIdInstallPath, "E:\\Neu");
    SimUi::Get().CloseBox();
  });
  EXPECT_EQ(dialog.DoModal(), 2);
  EXPECT_EQ(dialog.m_installPath, "C:\\Korvex");
  EXPECT_EQ(dialog.m_yearSelected[0], 1);
  EXPECT_EQ(dialog.m_yearSelected[1], 0);
}

TEST_F(SetupFixture, PaintsTheBackgroundAndTheTwoLines) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Host("2024", "C:\\B")}));
  SimWindow* d = RunSetup([] {
    SimUi::Get().Click(YearBoxId(2024));  // repaints once more: the fonts are made once
    SimUi::Get().Escape();
  });
  ASSERT_NE(d, nullptr);
  const platform::Color blue = platform::Rgb(160, 180, 220), green = platform::Rgb(10, 70, 40);
  std::vector<SimWindow*> painted{d};
  for (SimWindow* c : d->children)
    if (c->visible && c->className != "msctls_progress32") painted.push_back(c);
  ASSERT_EQ(painted.size(), 19u);
  for (const SimWindow* w : painted) {
    SCOPED_TRACE(w->id);
    ASSERT_TRUE(w->paint.painted);
    EXPECT_TRUE(w->paint.brushAlive);
    EXPECT_EQ(w->paint.background, blue);
    const bool line = w->id == kIdVersionLine || w->id == kIdEditionLine;
    EXPECT_EQ(w->paint.textColor, line ? green : 0u);
    EXPECT_EQ(w->paint.bkMode, w->id == kIdInstallPath ? platform::kBkOpaque : platform::kBkTransparent);
    EXPECT_EQ(w->paint.fontSelected, line);
    if (line) {
      EXPECT_TRUE(w->paint.fontAlive);
      EXPECT_EQ(w->paint.fontFace, "宋体");
      EXPECT_EQ(w->paint.fontHeight, w->id == kIdVersionLine ? 14 : 13);
      EXPECT_EQ(w->paint.fontWeight, w->id == kIdVersionLine ? 600 : 400);
    }
  }
  // The kinds of request: the dialog, check boxes and statics, the edit box,
  // push buttons.
  EXPECT_EQ(d->paint.kind, platform::kCtlColorDlg);
  const std::pair<int, int> kinds[] = {{YearBoxId(2024), platform::kCtlColorStatic},
                                       {kIdVersionLine, platform::kCtlColorStatic},
                                       {kIdInstallPath, platform::kCtlColorEdit},
                                       {kIdInstall, platform::kCtlColorBtn}};
  for (const auto& [id, kind] : kinds) {
    const auto c = std::find_if(d->children.begin(), d->children.end(),
                                [id = id](const SimWindow* w) { return w->id == id; });
    ASSERT_NE(c, d->children.end()) << id;
    EXPECT_EQ((*c)->paint.kind, kind) << id;
  }
  EXPECT_EQ(SimUi::Get().CreatedGdiObjects(), 3);  // the brush and the two fonts
  EXPECT_EQ(SimUi::Get().LiveGdiObjects(), 0);
  EXPECT_EQ(SimUi::Get().BadDeletes(), 0);
}

// The centring is the window code's own; the real dialog's position is
// checked under Wine (tests/e2e).
TEST_F(SetupFixture, SetsTheSmallIcon) {
  SimWindow* d = RunSetup([] { SimUi::Get().Escape(); });
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->modal.smallIcon, SimUi::Get().ProgramIcon());
  EXPECT_EQ(d->modal.bigIcon, nullptr);
  EXPECT_EQ(d->text, "Tarnwell安装");
}

TEST_F(SetupFixture, WithoutTheIconResourceNoIconAndNoMessage) {
  SimUi::Get().SetHasProgramIcon(false);
  SimWindow* d = RunSetup([] { SimUi::Get().Escape(); });
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->modal.smallIcon, nullptr);
  EXPECT_EQ(SimUi::Get().Runs()[0].result, 2);
  EXPECT_TRUE(SimUi::Get().Boxes().empty());
}

TEST_F(SetupFixture, ASecondModalRunOfTheSameObjectUsesItsOwnWindows) {
  Dlg_Setup dialog;
  SimUi::Get().SetUser([] {
    // No host: the boxes of this run are disabled, Install too.
    EXPECT_FALSE(SimUi::Get().Control(YearBoxId(2024))->enabled);
    EXPECT_FALSE(SimUi::Get().Control(kIdInstall)->enabled);
    SimUi::Get().Escape();
  });
  EXPECT_EQ(dialog.DoModal(), 2);
  EXPECT_EQ(dialog.DoModal(), 2);
  ASSERT_EQ(SimUi::Get().Runs().size(), 2u);
  const SimWindow* second = SimUi::Get().Runs()[1].dialog;
  EXPECT_EQ(dialog.m_yearBox[3].Handle(), platform::GetDlgItem(const_cast<SimWindow*>(second), YearBoxId(2024)));
  EXPECT_EQ(dialog.m_progress.Handle(), platform::GetDlgItem(const_cast<SimWindow*>(second), kIdProgress));
  EXPECT_EQ(SimUi::Get().LiveGdiObjects(), 3);  // one brush, two fonts: nothing leaked
}

TEST_F(SetupFixture, TheHelpCommandGoesToTheFrameworksHandler) {
  const int before = framework::Application::HelpRequests();
  RunSetup([] {
    EXPECT_TRUE(SimUi::Get().Command(framework::kIdHelp));
    SimUi::Get().Command(4242);  // no handler anywhere: nothing happens
    SimUi::Get().Escape();
  });
  EXPECT_EQ(framework::Application::HelpRequests(), before + 1);
  EXPECT_TRUE(SimUi::Get().Boxes().empty());
}

struct VersionCase {
  const char* name;
  std::int32_t number;
  const char* line;
};

class VersionLineTest : public SetupFixture, public testing::WithParamInterface<VersionCase> {};

TEST_P(VersionLineTest, PadsMonthAndDayBelowTen) {
  g_versionNumber = GetParam().number;
  SimWindow* d = RunSetup([] { SimUi::Get().Escape(); });
  ASSERT_NE(d, nullptr);
  for (const SimWindow* c : d->children)
    if (c->id == kIdVersionLine) {
    EXPECT_EQ(c->text, GetParam().line);
  }
  EXPECT_EQ(FormatVersionLine(GetParam().number), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Setup, VersionLineTest,
                         testing::Values(VersionCase{"Default", 20260512, "Tarnwell软件 V2026.05.12"},
                                         VersionCase{"BothTwoDigits", 20261231, "Tarnwell软件 V2026.12.31"},
                                         VersionCase{"BothOneDigit", 20270101, "Tarnwell软件 V2027.01.01"},
                                         VersionCase{"MonthTen", 20261009, "Tarnwell软件 V2026.10.09"},
                                         VersionCase{"DayTen", 20260910, "Tarnwell软件 V2026.09.10"},
                                         VersionCase{"MonthZero", 20260007, "Tarnwell软件 V2026.00.07"},
                                         VersionCase{"FiveDigitYear", 123451130,
                                                     "Tarnwell软件 V12345.11.30"}),
                         CaseName());

}  // namespace
