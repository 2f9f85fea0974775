#include "package/copy_session.h"

#include "platform/system.h"

const char* const kNoDesktopMeaning =
    "the dialog cannot be shown: no interactive desktop (a service or a deployment tool started "
    "SetUp.exe without /S); nothing changed";

const char* ExitCodeMeaning(int code) {
  switch (code) {
    case kExitInstalled: return "installed";
    case kExitBadCommandLine: return "the command line was not understood, nothing changed";
    case kExitClosed: return "the dialog was closed without installing";
    case kExitNoHost: return "none of the chosen years has a host installation, nothing changed";
    case kExitNoPackage: return "the package source was not found, no host changed";
    case kExitCopyStopped: return "stopped at a package file that could not be copied, no host changed";
    case kExitHostRunning: return "the host program is running, nothing changed";
    case kExitBadPath: return "the install path is unusable, nothing created";
    case kExitPartial: return "installed in part: something the install needs could not be written; the log names it";
    case kExitPackageUnusable: return "the package is not usable: nothing of it is installed and no host changed";
    case kExitNoDesktop: return kNoDesktopMeaning;
    default: return "unknown";
  }
}

void CDialogSession::Tell(const char* text, const char* caption) {
  platform::ShowMessageBox(owner_, text, caption, platform::kMbOk);
}

int CDialogSession::AskCopyFailed(const char* text, const char* caption, int) {
  return platform::ShowMessageBox(owner_, text, caption, platform::kMbAbortRetryIgnore);
}
