// The real SetUp.exe under Wine, driven from outside: the scenarios that the
// simulated dialog manager also runs (tests/ui), the colours on the screen,
// the centring, and repainting.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/case_name.h"
#include "common/file_tree.h"
#include "common/registry_tree.h"
#include "common/setup_scenarios.h"
#include "e2e/driver.h"
#include "platform/codepage.h"
#include "ui/setup_template.h"

using testing_support::ControlState;
using testing_support::SetupScenario;

namespace {

constexpr int kTimeoutMs = 15000;
const char* const kCaption = "Tarnwell安装";

class DriverUi : public testing_support::SetupUi {
 public:
  explicit DriverUi(e2e::SetupProcess& p) : p_(p) {}
  ControlState State(int id) override {
    const e2e::Control c = p_.Item(id);
    return {c.exists, c.visible, c.enabled, c.checked};
  }
  std::string Text(int id) override { return p_.Item(id).text; }
  int FocusId() override { return p_.FocusId(); }
  bool Click(int id) override { return p_.Click(id); }
  bool Type(int id, const std::string& text) override { return p_.Type(id, text); }
  bool FocusOn(int id) override { return p_.FocusOn(id); }
  bool Enter() override { return p_.Enter(); }
  bool Escape() override { return p_.Escape(); }
  bool CloseBox() override { return p_.CloseBox(); }
  bool Closed() override { return p_.Closed(); }

 private:
  e2e::SetupProcess& p_;
};

// Each test writes its hosts and removes them again.
class SetupExeTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(testing_support::KeyExists("SOFTWARE\\ZWSOFT")); }
  void TearDown() override {
    process_.Kill();
    testing_support::DeleteTree("SOFTWARE\\ZWSOFT");
    testing_support::RemoveTree("C:\\Korvex");  // what an Install without a package leaves
  }
  void Open(const std::vector<testing_support::RegEntry>& hosts, const std::string& arguments = "") {
    ASSERT_TRUE(testing_support::WriteTree(hosts));
    std::string error;
    ASSERT_TRUE(process_.Start(e2e::SetupExePath(), &error, "", arguments)) << error;
    ASSERT_TRUE(process_.WaitForDialog(kCaption, kTimeoutMs)) << "no dialog captioned Tarnwell安装";
  }
  void ExpectExit(int expected = testing_support::kClosedExitCode) {
    std::uint32_t code = 99;
    ASSERT_TRUE(process_.WaitForExit(kTimeoutMs, &code)) << "SetUp.exe did not end";
    EXPECT_EQ(code, static_cast<std::uint32_t>(expected));
  }
  e2e::SetupProcess process_;
};

class SetupExeScenarioTest : public SetupExeTest,
                             public testing::WithParamInterface<SetupScenario> {};

TEST_P(SetupExeScenarioTest, ShowsAndCloses) {
  const SetupScenario& c = GetParam();
  Open(c.hosts, c.arguments);
  DriverUi ui(process_);
  testing_support::RunSteps(ui, c);
  // Each box read back as UTF-16, whatever the system's code page.
  for (const auto& expected : c.boxes) {
    e2e::BoxInfo box;
    ASSERT_TRUE(process_.WaitForBox(kTimeoutMs, &box)) << expected.second;
    EXPECT_EQ(box.caption, expected.first);
    EXPECT_EQ(box.text, expected.second);
    EXPECT_TRUE(process_.AnswerBox(box, IDOK));
  }
  EXPECT_TRUE(process_.Boxes().empty());
  ExpectExit(c.exitCode);
}

// The rows of the table for the code page this run has (tools/wine-run.sh).
INSTANTIATE_TEST_SUITE_P(Setup, SetupExeScenarioTest,
                         testing::ValuesIn(testing_support::SetupScenariosOn(platform::ActiveCodePage())),
                         CaseName());

bool Near(const e2e::Pixel& p, int r, int g, int b) {
  return std::abs(p.r - r) <= 2 && std::abs(p.g - g) <= 2 && std::abs(p.b - b) <= 2;
}

TEST_F(SetupExeTest, DrawsTheColoursAndIsCentred) {
  Open({testing_support::Host("2024", "C:\\ZW2024")});
  const e2e::Rect dialog = process_.DialogRect();
  const e2e::Rect work = process_.WorkArea();
  EXPECT_LE(std::abs((dialog.left - work.left) - (work.right - dialog.right)), 1);
  EXPECT_LE(std::abs((dialog.top - work.top) - (work.bottom - dialog.bottom)), 1);

  e2e::Capture shot;
  ASSERT_TRUE(process_.CaptureDialog(&shot));
  const e2e::Pixel blue{160, 180, 220}, green{10, 70, 40};
  // Behind the dialog: between the heading and the first check box row.
  const e2e::Rect heading = process_.ItemRect(kIdComponentsLabel), box2021 = process_.ItemRect(kIdYear2021);
  const int gapY = (heading.bottom + box2021.top) / 2;
  EXPECT_TRUE(Near(shot.At(dialog.left + dialog.Width() / 2, gapY), 160, 180, 220));
  EXPECT_TRUE(Near(shot.At(dialog.left + 8, dialog.top + dialog.Height() / 2), 160, 180, 220));
  // Behind a check box's text and a static text: mostly the light blue.
  for (int id : {int{kIdYear2021}, YearBoxId(2024), int{kIdComponentsLabel}, int{kIdPathLabel},
                 int{kIdVersionLine}, int{kIdEditionLine}}) {
    const e2e::Rect r = process_.ItemRect(id);
    const int area = r.Width() * r.Height();
    EXPECT_GT(shot.Count(r, blue), area / 2) << "background of " << id;
  }
  // The version and edition lines in dark green; the heading has none.
  EXPECT_GT(shot.Count(process_.ItemRect(kIdVersionLine), green), 20);
  EXPECT_GT(shot.Count(process_.ItemRect(kIdEditionLine), green), 10);
  EXPECT_EQ(shot.Count(process_.ItemRect(kIdComponentsLabel), green), 0);
  EXPECT_TRUE(process_.Escape());
  ExpectExit();
}

// Repainting over and over keeps the dialog's brush and fonts: a brush
// released too early would leave the background unpainted. (Wine cannot
// count another process's GDI objects; the simulation counts them.)
TEST_F(SetupExeTest, KeepsPaintingWhileRepainted) {
  Open({testing_support::Host("2024", "C:\\ZW2024")});
  e2e::Capture shot;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(process_.Click(YearBoxId(2024)));
    ASSERT_TRUE(process_.CaptureDialog(&shot));
  }
  const e2e::Rect box = process_.ItemRect(YearBoxId(2024));
  EXPECT_GT(shot.Count(box, {160, 180, 220}), box.Width() * box.Height() / 2);
  EXPECT_GT(shot.Count(process_.ItemRect(kIdVersionLine), {10, 70, 40}), 20);
  EXPECT_EQ(process_.Item(YearBoxId(2024)).checked, 1);  // ten clicks: ticked again
  EXPECT_TRUE(process_.Item(kIdInstall).enabled);
  EXPECT_TRUE(process_.CloseBox());
  ExpectExit();
}

TEST_F(SetupExeTest, TheHelpCommandShowsNothingAndTheDialogStays) {
  Open({});
  EXPECT_TRUE(process_.Command(57670));
  EXPECT_TRUE(process_.Boxes().empty());
  EXPECT_FALSE(process_.Closed());
  EXPECT_EQ(process_.Item(kIdInstall).enabled, false);
  EXPECT_TRUE(process_.Escape());
  ExpectExit();
}

}  // namespace
