#pragma once
// The target of the copy operations (package/package_copy.h), made for one
// install: the folder that receives the package, the setup dialog's progress
// bar, which the copies step, and the session that the copies ask when a
// file cannot be copied.
#include <string>

#include "package/package_copy.h"
#include "package/package_paths.h"
#include "platform/codepage.h"
#include "platform/ui.h"

class CInstallTarget : public CopyTarget {
 public:
  // Takes a copy of the folder and removes one trailing "\" (a character,
  // not the second byte of a double-byte character). An empty folder is an
  // invalid argument. Without a session the copies ask a person, in boxes
  // owned by the window that holds the bar.
  CInstallTarget(const std::string& folder, platform::ProgressBar& progress)
      : CopyTarget{folder, &progress, &m_ownSession, {}},
        m_ownSession(platform::ParentOf(progress.Handle())) {
    DropSeparator();
  }
  CInstallTarget(const std::string& folder, platform::ProgressBar& progress,
                 CInstallSession& session)
      : CopyTarget{folder, &progress, &session, {}}, m_ownSession(nullptr) {
    DropSeparator();
  }
  CInstallTarget(const CInstallTarget&) = delete;
  CInstallTarget& operator=(const CInstallTarget&) = delete;

 private:
  void DropSeparator() {
    if (m_folder.empty()) throw platform::InvalidArgumentError();
    DropTrailingSeparator(m_folder);
  }
  CDialogSession m_ownSession;
};
