#pragma once
// The install folder's own paths and messages, on top of the package's path
// limits (package/package_paths.h).
#include <string>

#include "package/package_paths.h"

// True when every path composed from the install folder (the chosen folder
// followed by "\Tarnwell") fits: the target folders of both copies and the
// loader path. The install sequence asks this before it creates anything.
bool InstallFolderFits(const std::string& installFolder);

// The package cannot be used as it lies (an entry that is a link, lies
// outside the package folder, cannot be named, or is not what the package
// holds): nothing of it is installed (exit kExitPackageUnusable). Caption
// "Tarnwell软件安装", MB_OK.
extern const char* const kPackageDamagedText;
// An install path that others could redirect or swap: the dialog stays.
extern const char* const kInstallPathUnsafeText;
// A folder of the install path cannot be made, or an entry of the way is a file.
extern const char* const kFolderNotMadeText;
