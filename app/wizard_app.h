#pragma once
// The application object and its start routine.
#include "platform/dialog.h"

class CWizardApp : public platform::Application {
 public:
  // No name: the framework takes the executable's file name.
  CWizardApp() = default;
  // Scans the hosts, runs the setup dialog modally and destroys it. False:
  // no message loop follows, the process ends.
  bool RunSetup() override;

 protected:
  // One entry: the help command bound to the framework's help handler.
  const platform::AppCommandEntry* GetCommandTable() const override;
};

extern CWizardApp theApp;
