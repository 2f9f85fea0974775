#include "ui/setup_dialog.h"

#include "host/host_registry.h"
#include "install/install_session.h"
#include "record/apps_entry.h"
#include "ui/path_dialog.h"
#include "ui/setup_template.h"

namespace {
constexpr platform::Color kBackground = platform::Rgb(160, 180, 220);
constexpr platform::Color kLineText = platform::Rgb(10, 70, 40);
constexpr platform::Color kBlack = platform::Rgb(0, 0, 0);
constexpr const char* kPickerText = "请选择安装目录：";

platform::GdiObject LineFont(int height, int weight) {
  return platform::CreateFont(height, 0, 0, 0, weight, false, false, false, 0, 0, 0, 0, 0, "宋体");
}
}  // namespace

Dlg_Setup::Dlg_Setup(framework::Window* parent)
    : framework::Dialog(kSetupDialogTemplate, parent),
      m_installPath(DefaultInstallPath()),
      m_exitCode(kExitClosed) {
  for (std::int32_t& selected : m_yearSelected) selected = 1;
}

Dlg_Setup::~Dlg_Setup() {
  platform::DeleteObject(m_backgroundBrush);
  platform::DeleteObject(m_titleFont);
  platform::DeleteObject(m_editionFont);
}

const framework::MessageEntry* Dlg_Setup::GetMessageTable() const {
  static const framework::MessageEntry kTable[] = {
      TARNWELL_ON_CTLCOLOR(Dlg_Setup, OnControlColor),
      TARNWELL_ON_CLICKED(YearBoxId(2021), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2022), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2023), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2024), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2025), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2026), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(YearBoxId(2027), Dlg_Setup, UpdateInstallButton),
      TARNWELL_ON_CLICKED(kIdBrowse, Dlg_Setup, OnBrowse),
      TARNWELL_ON_CLICKED(kIdInstall, Dlg_Setup, OnInstall),
      TARNWELL_END_MESSAGES,
  };
  return kTable;
}

void Dlg_Setup::ExchangeData(framework::DataExchange& dx) {
  // The two year arrays run in opposite orders: the check-box objects in
  // their declared order, 2027 first (m_yearBox[0] is the hidden 2027 box),
  // the tick flags by HostYear, 2021 first.
  for (int i = 0; i < kHostYearCount; ++i) framework::ExchangeControl(dx, kIdYear2027 - i, m_yearBox[i]);
  for (int y = 0; y < kHostYearCount; ++y) framework::ExchangeCheck(dx, kIdYear2021 + y, m_yearSelected[y]);
  framework::ExchangeText(dx, kIdVersionLine, m_title);
  framework::ExchangeText(dx, kIdEditionLine, m_edition);
  framework::ExchangeControl(dx, kIdProgress, m_progress);
  framework::ExchangeText(dx, kIdInstallPath, m_installPath);
}

std::string FormatVersionLine(std::int32_t n) { return "Tarnwell软件 V" + FormatDisplayVersion(n); }

bool Dlg_Setup::OnDialogInit() {
  framework::Dialog::OnDialogInit();
  // A second modal run of the same object makes a new brush: release the old.
  platform::DeleteObject(m_backgroundBrush);
  m_backgroundBrush = platform::CreateSolidBrush(kBackground);
  m_title = FormatVersionLine(g_versionNumber);
  m_edition = "( 中望CAD版 )";
  if (platform::IconHandle icon = platform::LoadProgramIcon(kProgramIconId))
    platform::SetWindowIcon(Handle(), platform::kIconSmall, icon);
  for (int y = 0; y < kHostYearCount; ++y) {
    if (g_hostRegistry.m_locations[y].Count() == 0) {
      m_yearBox[kHostYearCount - 1 - y].Enable(false);
      m_yearSelected[y] = 0;
    }
  }
  UpdateData(false);
  UpdateInstallButton();
  return true;
}

void Dlg_Setup::UpdateInstallButton() {
  UpdateData(true);
  bool any = false;
  for (std::int32_t selected : m_yearSelected) any = any || selected != 0;
  platform::EnableWindow(Item(kIdInstall), any);
}

platform::GdiObject Dlg_Setup::OnControlColor(platform::DrawContext dc,
                                              platform::WindowHandle control, int kind) {
  DefaultControlColor(dc, control, kind);
  platform::SetTextColor(dc, kBlack);
  const int id = platform::GetDlgCtrlID(control);
  if (id != kIdInstallPath) platform::SetBkMode(dc, platform::kBkTransparent);
  if (id == kIdVersionLine) {
    if (!m_titleFont) m_titleFont = LineFont(14, 600);
    platform::SelectObject(dc, m_titleFont);
    platform::SetTextColor(dc, kLineText);
  } else if (id == kIdEditionLine) {
    if (!m_editionFont) m_editionFont = LineFont(13, 400);
    platform::SelectObject(dc, m_editionFont);
    platform::SetTextColor(dc, kLineText);
  }
  return m_backgroundBrush;
}

void Dlg_Setup::OnBrowse() {
  UpdateData(true);
  CPathDialog picker(kPickerText, kPickerText, m_installPath.c_str(), nullptr);
  if (picker.ShowModal() == 1) {
    m_installPath = picker.GetFolderPath();
    UpdateData(false);
  }
  UpdateInstallButton();
}
