#include "app/wizard_app.h"

#include "host/host_registry.h"
#include "ui/setup_dialog.h"

bool CWizardApp::RunSetup() {
  g_hostRegistry.ScanInstalledHosts();
  {
    Dlg_Setup dialog(nullptr);
    dialog.DoModal();
  }
  return false;
}

const platform::AppCommandEntry* CWizardApp::GetCommandTable() const {
  static const platform::AppCommandEntry kTable[] = {
      {platform::kIdHelp, &platform::Application::OnHelp},
      {0, nullptr},
  };
  return kTable;
}
