#pragma once
// Finding the unpacked package beside the executable and copying it into
// the install target.
#include <string>

#include "package/install_target.h"
#include "platform/ui.h"

// What ProbePath finds at a path.
enum PathKind : int {
  kPathNone = 0,
  kPathFile = 1,
  kPathFolder = 2,
};

// The folder that holds the package files: "Data" beside the executable, or
// else the executable's own folder when "Korvex2021.zrx" lies there. On
// failure it tells the user in a box owned by `owner` (the setup dialog) and
// returns false; `source` is then not to be used. Every call looks again.
bool GetPackageSource(std::string& source, platform::WindowHandle owner);

// Copies the package's top-level files into the target folder, asking
// Abort/Retry/Ignore for every copy that fails. False when the package was
// not found, its paths do not fit, or the user chose Abort.
bool CopyPackageFiles(CInstallTarget& target);

// Copies the top-level files of the extension drawing library into the
// folder of the same name in the target folder; failures are silent.
void CopyExtensionLibrary(CInstallTarget& target);

// A listing of the path itself: none, a file, or a folder.
PathKind ProbePath(const std::string& path);

// Clears the read-only attribute when it is set.
void ClearReadOnly(const std::string& path);

// Deletes the file's ":Zone.Identifier" stream; true when it was deleted.
bool RemoveZoneIdentifier(const std::string& path);

extern const char* const kMissingPackageText;
extern const char* const kCopyFailedFormat;  // "%s": the target path
