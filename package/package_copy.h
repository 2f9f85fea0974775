#pragma once
// Finding the unpacked package beside the executable and copying it into
// the install target.
#include <string>

#include "package/copy_session.h"
#include "package/opened_package.h"
#include "platform/files.h"
#include "platform/ui.h"

// What the copies write into (install/install_target.h makes one for an
// install).
struct CopyTarget {
  CInstallSession& Session() const { return *m_session; }

  std::string m_folder;                // without trailing "\"
  platform::ProgressBar* m_progress;  // not owned
  CInstallSession* m_session;          // not owned
  // What CopyPackageFiles opened of the package, for the library copy and
  // the fonts that follow.
  OpenedPackage m_package;
};

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

// Opens the whole package (OpenPackage, into the target's m_package), then
// copies its top-level files from those handles into the target folder,
// asking the target's session Abort/Retry/Ignore for every copy that fails.
// The package itself is never changed. False when the package was not found
// or its paths do not fit (the session stops with kExitNoPackage;
// kExitBadPath for a target folder too long), when it is not usable
// (kExitPackageUnusable, before anything is copied: an entry that is not
// the package's own plain file, a package or library file without a GBK
// name, more entries than the copies look at), or when the answer was Abort
// (kExitCopyStopped). Every entry goes into the log.
bool CopyPackageFiles(CopyTarget& target);

// Copies the top-level files of the extension drawing library, from the
// handles CopyPackageFiles opened, into the folder of the same name in the
// target folder; failures are silent (for the person; the log records them).
// False only when a file is not what the package manifest says (the session
// stopped with kExitPackageUnusable): nothing more is to be installed.
bool CopyExtensionLibrary(CopyTarget& target);

// A listing of the path itself: none, a file, or a folder.
PathKind ProbePath(const std::string& path);

// Clears the read-only attribute when it is set.
void ClearReadOnly(const std::string& path);

// Writes the opened source file's data to `to`: made there new, or, where
// a file has that name, through a temporary name renamed over it
// (platform::WriteNewFile); the one step by which the install copies a file.
bool CopyFromHandle(const platform::FileHandle& source, const std::string& to);

// Opens the package folder `source` (from GetPackageSource), lists it and
// its library as the copies will, and opens and checks every file they will
// copy and both fonts, before anything is copied. False, with the session
// stopped, for a source too deep to be listed (kExitNoPackage) or an entry
// that is not the package's own plain file (kExitPackageUnusable, the entry
// and why in the log). Does nothing once done.
bool OpenPackage(OpenedPackage& package, const std::string& source, CInstallSession& session);
// Only the package folder and the two fonts (the font deployment on its own).
bool OpenPackageFonts(OpenedPackage& package, const std::string& source,
                      CInstallSession& session);

// The caption of every message of the install.
extern const char* const kSetupCaption;
// An install folder that does not fit, and a package source too deep to be
// listed; MB_OK.
extern const char* const kInstallPathTooLongText;
extern const char* const kSourcePathTooLongText;
extern const char* const kMissingPackageText;
// The package folder's path holds a character that GBK cannot hold.
extern const char* const kUnnamedPackagePathText;
extern const char* const kCopyFailedFormat;  // "%s": the target path
