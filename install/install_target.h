#pragma once
// The target of the copy operations: the folder that receives the package,
// the setup dialog's progress bar, which the copies step, and the session
// that the copies ask when a file cannot be copied.
#include <string>

#include "install/install_paths.h"
#include "install/install_session.h"
#include "package/opened_package.h"
#include "platform/codepage.h"
#include "platform/ui.h"

class CInstallTarget {
 public:
  // Takes a copy of the folder and removes one trailing "\" (a character,
  // not the second byte of a double-byte character). An empty folder is an
  // invalid argument. Without a session the copies ask a person, in boxes
  // owned by the window that holds the bar.
  CInstallTarget(const std::string& folder, platform::ProgressBar& progress)
      : m_folder(folder), m_progress(&progress), m_session(&m_ownSession),
        m_ownSession(platform::ParentOf(progress.Handle())) {
    DropSeparator();
  }
  CInstallTarget(const std::string& folder, platform::ProgressBar& progress,
                 CInstallSession& session)
      : m_folder(folder), m_progress(&progress), m_session(&session), m_ownSession(nullptr) {
    DropSeparator();
  }
  CInstallTarget(const CInstallTarget&) = delete;
  CInstallTarget& operator=(const CInstallTarget&) = delete;

  CInstallSession& Session() const { return *m_session; }

  std::string m_folder;                // without trailing "\"
  platform::ProgressBar* m_progress;  // not owned
  CInstallSession* m_session;          // not owned
  // What CopyPackageFiles opened of the package, for the library copy and
  // the fonts that follow.
  OpenedPackage m_package;

 private:
  void DropSeparator() {
    if (m_folder.empty()) throw platform::InvalidArgumentError();
    DropTrailingSeparator(m_folder);
  }
  CDialogSession m_ownSession;
};
