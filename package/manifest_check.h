#pragma once
// The package checked against the manifest that SetUp.exe carries
// (package/package_manifest.h): exactly the manifest's files are installed,
// each must be in the package folder with its size before anything is
// created, and each is copied through a temporary name beside its final
// one, its SHA-256 taken as the bytes are written, the final name taken only
// by a copy whose digest is the manifest's.
#include <cstdint>
#include <string>

#include "package/opened_package.h"
#include "package/package_manifest.h"
#include "platform/files.h"

// Marks to be copied exactly the listed entries that the manifest names (the
// fonts excepted: they go to the hosts' Fonts folders); every other entry is
// logged as not in the manifest. The entry limits of a package without a
// manifest do not apply.
void MarkManifestFiles(OpenedPackage& package, const PackageManifest& manifest);

// After the package is opened: every file of the manifest is there, a file,
// with the manifest's size; the fonts with its digest too (they are read
// whole: small, and held open so that nobody changes them afterwards). False
// when one is not, with the file, what was expected and what was found in
// the log. A font the manifest does not name is let go: it is not installed.
bool CheckManifestFiles(OpenedPackage& package, const PackageManifest& manifest);

enum class VerifiedCopy {
  kCopied,    // `to` holds the bytes, and they have the manifest's digest
  kFailed,    // the copy could not be made (`error`); nothing changed at `to`
  kMismatch,  // the bytes have another digest (in `found`); nothing changed at `to`
};

// What the name of a staged copy ends with: "~tarnwell-<n>.new" in the
// install folder, or, for a file staged by its own copy, its final name
// followed by ".new".
constexpr const char* kStagedSuffix = ".new";

// Writes `source` to `temporary` (created, or an earlier leftover
// replaced), its SHA-256 taken on the way; kCopied only when the digest is
// `digest`, otherwise the temporary file is removed again.
VerifiedCopy StageVerified(const platform::FileHandle& source, const std::string& temporary,
                           const std::string& digest, std::string* found, std::uint32_t* error);

// Every file to copy written to a temporary name in `folder` (the install
// folder) and verified, before any takes its final name. All or nothing: a
// file that cannot be staged (a read error, a byte-range lock, a name that
// cannot be made) or is not what the manifest says, and every staged copy
// is removed again, with the file and why in the log.
enum class StageResult { kStaged, kFailed, kMismatch };
StageResult StagePackage(OpenedPackage& package, const PackageManifest& manifest,
                         const std::string& folder);

// Removes the staged copies that have not taken their final names.
void DiscardStaged(OpenedPackage& package);
