#pragma once
// The package as the install reads it: every file it will copy opened once,
// links not followed, and checked to be a plain file of the package folder
// before anything is copied or any host changed. The copies read from these
// handles, never from the paths again, and nobody can write, rename or
// delete an opened file while the install holds it.
#include <cstdint>
#include <string>
#include <vector>

#include "package/package_manifest.h"
#include "platform/files.h"

// One entry of a package listing.
struct PackageEntry {
  std::string name;
  std::uint32_t attributes = 0;
  // Copied (not ".", "..", a pure folder or a name the copy leaves out).
  bool copied = false;
  // Open and checked; not open when it could not be opened (in use, say):
  // its copy opens it again, and fails into the copy's prompt.
  platform::FileHandle file;
  // With a package manifest: the verified copy waiting in the install folder
  // for its final name; empty when there is none.
  std::string staged;
};

// One listed folder of the package: the package folder or its library.
struct PackageFolder {
  std::string path;       // as found beside the executable
  std::string finalPath;  // where it really lies
  platform::FileHandle handle;  // held: the folder cannot be renamed meanwhile
  std::vector<PackageEntry> entries;  // in listing order, "." and ".." included
  bool ended = false;     // the listing ended before its limit
};

struct OpenedPackage {
  OpenedPackage();
  ~OpenedPackage();  // closes every handle and removes staged copies left over
  OpenedPackage(const OpenedPackage&) = delete;
  OpenedPackage& operator=(const OpenedPackage&) = delete;

  bool fontsOpened = false;  // the fonts looked at (OpenPackageFonts)
  bool listed = false;       // the package and its library listed and opened (OpenPackage)
  PackageFolder files;       // the package folder
  PackageFolder library;     // its library folder (no entries when it has none)
  platform::FileHandle fonts[2];  // in the order of kFontFiles; not open: none to copy
  // With a manifest: each font's bytes as read and hashed by the check; the
  // fonts are written from these, never read again.
  std::string fontBytes[2];
  bool fontsRead = false;
  // The manifest SetUp.exe carries (not owned), or none: then the package's
  // name tests and entry limits say what is copied, and nothing is verified.
  const PackageManifest* manifest = nullptr;
};
