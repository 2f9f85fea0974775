#pragma once
// The application object and its start routine.
#include "framework/dialog.h"

class CWizardApp : public framework::Application {
 public:
  // No name: the framework takes the executable's file name.
  CWizardApp() = default;
  // Reads the command line; scans the hosts; runs the setup dialog modally
  // and destroys it, or installs silently (/S). Sets the exit code. False:
  // no message loop follows, the process ends.
  bool RunSetup() override;

 protected:
  // One entry: the help command bound to the framework's help handler.
  const framework::AppCommandEntry* GetCommandTable() const override;
};

extern CWizardApp theApp;

// The default log of a silent install, and of a silent uninstall, in the
// temporary folder.
constexpr const char* kSetupLogName = "TarnwellSetup.log";
constexpr const char* kUninstallLogName = "TarnwellUninstall.log";
// The switches and exit codes, as /? shows them.
extern const char* const kUsageText;
// The head of the box for a command line that is not understood; the error
// and kUsageText follow.
extern const char* const kCommandLineErrorText;
