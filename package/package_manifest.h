#pragma once
// The package manifest that the build writes into SetUp.exe as the data
// resource PACKAGE_MANIFEST (tools/package_manifest.py): every file that the
// install takes from the package, with its size and SHA-256, covered by the
// image's signature. GBK text, one entry a line:
//
//   Tarnwell package manifest 1
//   file<TAB>path<TAB>size<TAB>sha256
//   ...
//   end<TAB>count
//
// path is relative to the package folder: a top-level name, or the library
// folder's name, "\" and a name in it. The text is read as hostile input: a
// manifest that is cut short or breaks any rule is damaged as a whole, and
// the install then refuses the package rather than install it unverified.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr const char* kManifestResource = "PACKAGE_MANIFEST";
constexpr const char* kManifestHeader = "Tarnwell package manifest 1";
// No line of a manifest is longer.
constexpr std::size_t kManifestLineLimit = 1024;

struct ManifestFile {
  std::string path;  // "Korvex2021.ZRX", "Korvex扩展绘图库\name"
  std::uint64_t size = 0;
  std::string digest;  // 64 lower-case hexadecimal digits
};

enum class ManifestState {
  kAbsent,   // the image carries no manifest: a build without a package
  kValid,    // `files` lists the package
  kDamaged,  // a manifest that cannot be trusted; `problem` says why
};

struct PackageManifest {
  ManifestState state = ManifestState::kAbsent;
  std::vector<ManifestFile> files;
  std::string problem;  // for the log: "line 3: ..."
};

PackageManifest ParsePackageManifest(std::string_view text);

// The running image's manifest (platform/program_data.h); a resource that
// cannot be loaded counts as damaged.
PackageManifest LoadPackageManifest();

// The entry of `path` (ignoring case, as Windows names files), or nullptr.
const ManifestFile* FindManifestFile(const PackageManifest& manifest, std::string_view path);

// True for the path of a file in the library folder.
bool InLibraryFolder(std::string_view manifestPath);
