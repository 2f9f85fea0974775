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
// failure it tells the session's user (the missing-package message) and
// returns false; `source` is then not to be used. Every call looks again.
bool GetPackageSource(std::string& source, CInstallSession& session);
// The same for a person: the message in a box owned by `owner` (the setup
// dialog).
bool GetPackageSource(std::string& source, platform::WindowHandle owner);

// Copies the package's top-level files into the target folder, asking the
// target's session Abort/Retry/Ignore for every copy that fails. False when
// the package was not found or its paths do not fit (the session stops with
// kExitNoPackage; kExitBadPath for a target folder too long), or when the
// answer was Abort (kExitCopyStopped), or when a package or library file has
// no GBK name (kExitPackageUnusable, before anything is copied). Every entry
// goes into the log.
bool CopyPackageFiles(CInstallTarget& target);

// Copies the top-level files of the extension drawing library into the
// folder of the same name in the target folder; failures are silent (for the
// person; the log records them).
void CopyExtensionLibrary(CInstallTarget& target);

// A listing of the path itself: none, a file, or a folder.
PathKind ProbePath(const std::string& path);

// Clears the read-only attribute when it is set.
void ClearReadOnly(const std::string& path);

// CopyFileA over an existing target, logged as "<what> copied <from> -> <to>"
// or "<what> not copied <from> -> <to>: <error>"; true when copied.
bool CopyOneFileLogged(const std::string& what, const std::string& from, const std::string& to);

// Deletes the file's ":Zone.Identifier" stream; true when it was deleted.
bool RemoveZoneIdentifier(const std::string& path);

extern const char* const kMissingPackageText;
// The package folder's path holds a character that GBK cannot hold.
extern const char* const kUnnamedPackagePathText;
extern const char* const kCopyFailedFormat;  // "%s": the target path
