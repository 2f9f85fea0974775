#pragma once
// Scenarios of the setup dialog: a host registry, what the user does, and
// what the dialog shows after each step. One table serves the native run
// against the simulated dialog manager and the run of the real SetUp.exe
// under Wine; each side supplies a SetupUi that acts and observes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "ui/setup_template.h"

namespace testing_support {

struct ControlState {
  bool exists = false;
  bool visible = false;
  bool enabled = false;
  int checked = 0;
};

// The dialog as the user sees it, and what the user can do to it. Every
// action answers whether it reached the dialog.
class SetupUi {
 public:
  virtual ~SetupUi() = default;
  virtual ControlState State(int id) = 0;
  virtual std::string Text(int id) = 0;
  virtual int FocusId() = 0;  // control id of the focus, 0 for none
  virtual bool Click(int id) = 0;
  virtual bool Type(int id, const std::string& text) = 0;
  virtual bool FocusOn(int id) = 0;
  virtual bool Enter() = 0;
  virtual bool Escape() = 0;
  virtual bool CloseBox() = 0;
  virtual bool Closed() = 0;  // the dialog has gone
};

enum class Act { kNone, kClick, kType, kFocus, kEnter, kEscape, kCloseBox };

// One expected check box: the id and its state.
struct Box {
  int id;
  bool visible;
  bool enabled;
  int checked;
};

struct Step {
  Act act = Act::kNone;
  int id = 0;
  std::string text;
  bool reaches = true;       // the action gets through to the dialog
  std::vector<Box> boxes;    // expected after the action
  int install = -1;          // Install enabled: -1 unchecked, 0 no, 1 yes
  int focus = 0;             // expected focus id; 0 unchecked
  std::vector<std::pair<int, std::string>> texts;
};

// No scenario installs: SetUp.exe ends with exit code 2 after most.
constexpr int kClosedExitCode = 2;

// The system code pages the real SetUp.exe shows the dialog on under Wine,
// one run of the test program on each (tools/wine-run.sh): Chinese (PRC),
// Hong Kong and Taiwan, Japanese, Western, and Windows' UTF-8 option. The
// simulation models a system on 936 and runs each scenario once.
inline const std::vector<unsigned> kEveryCodePage = {936, 950, 932, 1252, 65001};

using ShownBoxes = std::vector<std::pair<std::string, std::string>>;  // caption, text

struct SetupScenario {
  const char* name;
  std::vector<RegEntry> hosts;
  std::vector<Step> steps;  // the last one closes the dialog
  int result;               // how it closed: 1 CloseOk, 2 CloseCancel
  std::string arguments = "";  // SetUp.exe's command line after its name
  ShownBoxes boxes = {};       // the boxes the last step brings up, each answered with OK
  int exitCode = kClosedExitCode;
  std::vector<unsigned> codePages = kEveryCodePage;  // under Wine
};

inline RegEntry Host(const std::string& version, const std::string& folder) {
  return Sz(kZwcad + version + "\\zh-CN", folder);
}

// Boxes of the years, 2021..2027: 'T' enabled and ticked, 'e' enabled and
// unticked, '-' disabled and unticked; the 2027 box is hidden.
inline std::vector<Box> Years(const char* states) {
  std::vector<Box> boxes;
  for (int y = 0; y < 7; ++y) {
    const char s = states[y];
    boxes.push_back({kIdYear2021 + y, y != 6, s != '-', s == 'T' ? 1 : 0});
  }
  return boxes;
}

inline Step Check(std::vector<Box> boxes, int install, int focus = 0) {
  Step s;
  s.boxes = std::move(boxes);
  s.install = install;
  s.focus = focus;
  return s;
}

inline Step Do(Act act, int id = 0, std::vector<Box> boxes = {}, int install = -1) {
  Step s;
  s.act = act;
  s.id = id;
  s.boxes = std::move(boxes);
  s.install = install;
  return s;
}

inline std::vector<SetupScenario> SetupScenarios() {
  Step lines;
  lines.texts = {{kIdVersionLine, "Tarnwell软件 V2026.05.12"},
                 {kIdEditionLine, "( 中望CAD版 )"},
                 {kIdInstallPath, "C:\\Korvex"},
                 {kIdComponentsLabel, "请选择安装组件："},
                 {kIdInstall, "安  装"}};
  Step typed = Do(Act::kType, kIdInstallPath);
  typed.text = "D:\\Other place";
  typed.texts = {{kIdInstallPath, "D:\\Other place"}};
  Step ignored = Do(Act::kClick, YearBoxId(2025), Years("---T---"), 1);
  ignored.reaches = false;
  Step ignoredHidden = Do(Act::kClick, kIdYear2027, Years("---T---"), 1);
  ignoredHidden.reaches = false;
  Step preset = Check(Years("---eT--"), 1);
  preset.texts = {{kIdInstallPath, "D:\\Other place"}};
  return {
      {"Only2024_Escape",
       {Host("ZWCAD 2024", "C:\\ZW2024")},
       {Check(Years("---T---"), 1, YearBoxId(2024)), lines, ignored, ignoredHidden, Do(Act::kEscape)},
       2},
      {"Hosts2021And2026_TickingDrivesInstall",
       {Host("2021", "C:\\ZW2021"), Host("2026", "C:\\ZW2026")},
       {Check(Years("T----T-"), 1, kIdYear2021),
        Do(Act::kClick, kIdYear2021, Years("e----T-"), 1),
        Do(Act::kClick, YearBoxId(2026), Years("e----e-"), 0),
        Do(Act::kClick, YearBoxId(2026), Years("e----T-"), 1),
        Do(Act::kClick, YearBoxId(2026), Years("e----e-"), 0),
        Do(Act::kClick, kIdYear2021, Years("T----e-"), 1),
        Do(Act::kCloseBox)},
       2},
      {"Host2027_HiddenBoxKeepsInstall",
       {Host("2027", "C:\\ZW2027")},
       {Check(Years("------T"), 1, 2), Do(Act::kEscape)},
       2},
      {"Host2027AndOthers_AllVisibleUnticked",
       {Host("2027", "C:\\ZW2027"), Host("2023", "C:\\ZW2023")},
       {Check(Years("--T---T"), 1, YearBoxId(2023)), Do(Act::kClick, YearBoxId(2023), Years("--e---T"), 1),
        Do(Act::kEscape)},
       2},
      {"NoHost_FocusOnCancel",
       {},
       {Check(Years("-------"), 0, 2), Do(Act::kEnter)},
       2},
      {"EnterOnCheckBox_ClosesOk",
       {Host("2024", "C:\\ZW2024")},
       {Check(Years("---T---"), 1, YearBoxId(2024)), Do(Act::kEnter)},
       1},
      {"EnterInPathBox_ClosesOk",
       {Host("2022", "C:\\ZW2022")},
       {Check(Years("-T-----"), 1, YearBoxId(2022)), typed, Do(Act::kEnter)},
       1},
      {"EnterOnCancel_PressesIt",
       {Host("2025", "C:\\ZW2025")},
       {Do(Act::kFocus, 2, Years("----T--"), 1), Do(Act::kEnter)},
       2},
      // The switches preset the dialog: the path box, and the years not
      // listed start unticked but stay enabled when they have a host.
      {"Switches_PresetPathAndYears",
       {Host("2024", "C:\\ZW2024"), Host("2025", "C:\\ZW2025")},
       {preset, Do(Act::kClick, YearBoxId(2024), Years("---TT--"), 1), Do(Act::kEscape)},
       2,
       "/yEaRs=2025,2021 /D=D:\\Other place"},
      {"Switches_NoListedYearHasAHost",
       {Host("2024", "C:\\ZW2024")},
       {Check(Years("---e---"), 0), Do(Act::kCloseBox)},
       2,
       "/YEARS=2021"},
      // Nothing beside SetUp.exe: Install ends with the missing-package box.
      {"NoPackage_InstallShowsTheMessage",
       {Host("2024", "C:\\ZW2024")},
       {Check(Years("---T---"), 1), Do(Act::kClick, kIdInstall)},
       2,
       "",
       {{"Tarnwell软件安装",
         "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !"}},
       4},
  };
}

// The scenarios that run on a code page.
inline std::vector<SetupScenario> SetupScenariosOn(unsigned codePage) {
  std::vector<SetupScenario> chosen;
  for (const SetupScenario& c : SetupScenarios())
    for (unsigned page : c.codePages)
      if (page == codePage) chosen.push_back(c);
  return chosen;
}

// Runs the steps against an open dialog; the last step closes it.
inline void RunSteps(SetupUi& ui, const SetupScenario& c) {
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const Step& s = c.steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    bool reached = true;
    switch (s.act) {
      case Act::kNone: break;
      case Act::kClick: reached = ui.Click(s.id); break;
      case Act::kType: reached = ui.Type(s.id, s.text); break;
      case Act::kFocus: reached = ui.FocusOn(s.id); break;
      case Act::kEnter: reached = ui.Enter(); break;
      case Act::kEscape: reached = ui.Escape(); break;
      case Act::kCloseBox: reached = ui.CloseBox(); break;
    }
    EXPECT_EQ(reached, s.reaches);
    const bool last = i + 1 == c.steps.size();
    if (last) break;
    ASSERT_FALSE(ui.Closed()) << "the dialog closed early";
    for (const Box& b : s.boxes) {
      const ControlState st = ui.State(b.id);
      ASSERT_TRUE(st.exists) << b.id;
      EXPECT_EQ(st.visible, b.visible) << "visible " << b.id;
      EXPECT_EQ(st.enabled, b.enabled) << "enabled " << b.id;
      EXPECT_EQ(st.checked, b.checked) << "checked " << b.id;
    }
    if (s.install >= 0) {
      const ControlState st = ui.State(kIdInstall);
      EXPECT_TRUE(st.visible);
      EXPECT_EQ(st.enabled, s.install == 1) << "Install";
    }
    if (s.focus) {
    EXPECT_EQ(ui.FocusId(), s.focus);
  }
    for (const auto& t : s.texts) EXPECT_EQ(ui.Text(t.first), t.second) << t.first;
  }
}

}  // namespace testing_support
