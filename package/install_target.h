#pragma once
// The target of the copy operations: the folder that receives the package
// and the setup dialog's progress bar, which the copies step.
#include <string>

#include "platform/codepage.h"
#include "platform/ui.h"

class CInstallTarget {
 public:
  // Takes a copy of the folder and removes one trailing "\" (a character,
  // not the second byte of a double-byte character). An empty folder is an
  // invalid argument.
  CInstallTarget(const std::string& folder, platform::ProgressBar& progress)
      : m_folder(folder), m_progress(&progress) {
    if (m_folder.empty()) throw platform::InvalidArgumentError();
    if (platform::EndsWithChar(m_folder, '\\')) m_folder.pop_back();
  }

  std::string m_folder;                // without trailing "\"
  platform::ProgressBar* m_progress;  // not owned
};
