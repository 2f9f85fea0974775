#pragma once
// The install sequence behind the Install button, run by the setup dialog
// for a person and, without any window, for a silent install: one sequence,
// the same operations in the same order. Where the dialog would ask the
// person, the site's session answers (platform boxes, or the silent rules).
#include <cstdint>
#include <string>

#include "host/host_contract.h"
#include "install/install_session.h"
#include "platform/ui.h"

// The version, year * 10000 + month * 100 + day.
extern std::int32_t g_versionNumber;
// The install path the dialog starts with, and a silent install's without /D=.
constexpr const char* kDefaultInstallPath = "C:\\Korvex";
// Set until the user has been warned once that the host program runs.
extern bool g_warnHostRunning;

// What the sequence needs of the place it runs in: the setup dialog's
// operations (read the controls, progress mode, the bar, OK and Cancel
// close) and the session that asks and tells.
// A silent site has no window; its operations do nothing and its bar has
// no control, so the steps go nowhere.
class CInstallSite {
 public:
  virtual ~CInstallSite() = default;
  virtual CInstallSession& Session() = 0;
  // ExchangeData from the controls: the install path and the seven flags.
  virtual void ReadControls() = 0;
  // Hides the path label, the path box and Browse; shows the progress bar.
  virtual void EnterProgressMode() = 0;
  virtual platform::ProgressBar& Progress() = 0;
  virtual void CloseOk() = 0;
  virtual void CloseCancel() = 0;
};

// One press of Install ended without installing: the dialog stays in input
// mode (the host warning, the path that is too long).
constexpr int kInstallNotRun = -1;

// One press of Install. `installPath` is the install path field, turned
// into the install folder in place ("...\Tarnwell"); `yearSelected` the
// seven flags, 2021 first. Gives the exit code the install ended with, or
// kInstallNotRun. Raises platform::InvalidArgumentError for an empty path.
int RunInstallSequence(CInstallSite& site, std::string& installPath,
                       std::int32_t (&yearSelected)[kHostYearCount]);

// The silent install: no window and no box. The years are those with a
// host in g_hostRegistry that `listed` names (2021 first); none: kExitNoHost
// and nothing changed. Then the sequence with `path` as the typed install
// path, every question answered by the silent rules. Gives the exit code.
int RunSilentInstall(const std::string& path, const bool (&listed)[kHostYearCount]);

// The install path a run starts with: where the Apps & Features entry names
// an install folder that still holds its record, that install's chosen
// folder (an upgrade in place); otherwise kDefaultInstallPath.
std::string DefaultInstallPath();

