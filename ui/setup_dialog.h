#pragma once
// The setup dialog: one check box per host year, the install path with a
// Browse button, and the Install button.
#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "host/host_contract.h"
#include "install/install_sequence.h"
#include "platform/ui.h"

class Dlg_Setup : public framework::Dialog {
 public:
  explicit Dlg_Setup(framework::Window* parent = nullptr);
  ~Dlg_Setup() override;

  void ExchangeData(framework::DataExchange& dx) override;
  bool OnDialogInit() override;

  // Enables Install while at least one year is ticked (the hidden 2027 box
  // counts like the others).
  void UpdateInstallButton();
  // Every control-colour request of the dialog and its controls.
  platform::GdiObject OnControlColor(platform::DrawContext dc, platform::WindowHandle control,
                                     int kind);
  // The Browse button: the folder picker, starting at the install path.
  void OnBrowse();
  // The Install button: warns once while the host program runs, makes the
  // install folder, runs the install and closes the dialog (the install
  // sequence, install/install_sequence.h).
  void OnInstall();

  // Paints the dialog and its controls; created at initialisation.
  platform::GdiObject m_backgroundBrush = nullptr;
  // Bound to the controls 1043 (2027) down to 1037 (2021).
  framework::CheckBox m_yearBox[kHostYearCount];
  // Tick state per HostYear, 2021 first: 0 unticked, 1 ticked.
  std::int32_t m_yearSelected[kHostYearCount];
  std::string m_title;    // static 1013
  std::string m_edition;  // static 1018
  platform::ProgressBar m_progress;  // 1014
  std::string m_installPath;         // edit 1000
  // How the run ends, for the process's exit code: kExitClosed until an
  // install has ended (kExitInstalled, or the code it stopped with).
  int m_exitCode;
  // The fonts of the version and the edition line: made at their first
  // colour request, kept while the controls may draw with them, released
  // with the dialog object.
  platform::GdiObject m_titleFont = nullptr;
  platform::GdiObject m_editionFont = nullptr;

 protected:
  const framework::MessageEntry* GetMessageTable() const override;
};

// The version line for a version number: "Tarnwell软件 V2026.05.12"
// (FormatDisplayVersion).
std::string FormatVersionLine(std::int32_t versionNumber);
