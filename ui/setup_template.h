#pragma once
// Dialog template 141, the setup dialog, as the C++ side keeps it. The
// resource script ui/setup.rc holds the same template for Windows; a test
// reads the resource back out of SetUp.exe and compares it with this table.
#include "host/host_contract.h"
#include "platform/dialog_box.h"

// Resource ids.
constexpr int kSetupDialogId = 141;
constexpr int kLogoBitmapId = 147;
constexpr int kMenuBitmapId = 152;
constexpr int kProgramIconId = 1;

// Control ids of template 141.
enum SetupControl : int {
  kIdInstallPath = 1000,     // EDIT: the install path
  kIdVersionLine = 1013,     // STATIC: the version line
  kIdProgress = 1014,        // msctls_progress32
  kIdBrowse = 1015,          // BUTTON: Browse
  kIdComponentsLabel = 1016,
  kIdPathLabel = 1017,
  kIdEditionLine = 1018,
  kIdMenuPicture = 1021,
  kIdInstall = 1022,         // BUTTON: Install
  kIdDoneNote = 1023,
  kIdYear2021 = 1037,        // BUTTON: check boxes 1037 (2021) to 1043 (2027)
  kIdYear2027 = 1043,
};

// The check box of a host year (2021 to 2027).
constexpr int YearBoxId(int year) { return kIdYear2021 + (year - kFirstHostYear); }

extern const platform::DialogTemplate kSetupDialogTemplate;
