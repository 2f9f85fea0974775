// The package manifest reader over arbitrary bytes: a manifest it accepts
// lists at least one file, each a path the install takes (a top-level name
// or one in the library folder, no other separator, no "..") with a digest
// of 64 lower-case hexadecimal digits, no path twice; written out again in
// the format, it reads back the same. A refused one lists nothing and says
// why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/package_manifest.h"
#include "platform/codepage.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const PackageManifest m = ParsePackageManifest(std::string(reinterpret_cast<const char*>(data), size));
  if (m.state != ManifestState::kValid) {
    Check(m.state == ManifestState::kDamaged && m.files.empty() && !m.problem.empty());
    return 0;
  }
  Check(!m.files.empty());
  std::string again = std::string(kManifestHeader) + "\r\n";
  for (const ManifestFile& f : m.files) {
    const auto parts = platform::SplitAtChar(f.path, '\\');
    Check(parts.size() == 1 || (parts.size() == 2 && InLibraryFolder(f.path)));
    for (const std::string& part : parts) Check(!part.empty() && part != "." && part != "..");
    Check(f.digest.size() == 64 && FindManifestFile(m, f.path) == &f);
    again += "file\t" + f.path + "\t" + std::to_string(f.size) + "\t" + f.digest + "\n";
  }
  again += "end\t" + std::to_string(m.files.size()) + "\n";
  const PackageManifest back = ParsePackageManifest(again);
  Check(back.state == ManifestState::kValid && back.files.size() == m.files.size());
  for (std::size_t i = 0; i < m.files.size(); ++i)
    Check(back.files[i].path == m.files[i].path && back.files[i].size == m.files[i].size &&
          back.files[i].digest == m.files[i].digest);
  return 0;
}
