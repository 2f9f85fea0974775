// The manifest as the running image carries it: none (a build without a
// package), or its text read back through the platform's data resources.
// The simulation sets the image's resources; a Windows test program has none.
#include <gtest/gtest.h>

#include "package/package_manifest.h"
#include "platform/sim/sim_system.h"

namespace {

TEST(LoadPackageManifestTest, AbsentOrReadFromTheImage) {
  EXPECT_EQ(LoadPackageManifest().state, ManifestState::kAbsent);
  auto& resources = platform::sim::SimSystem::Get().ProgramData();
  resources[kManifestResource] = std::string(kManifestHeader) + "\r\nfile\ta.txt\t1\t" + std::string(64, '0') +
                                 "\r\nend\t1\r\n";
  const PackageManifest m = LoadPackageManifest();
  ASSERT_EQ(m.state, ManifestState::kValid) << m.problem;
  EXPECT_EQ(m.files.at(0).path, "a.txt");
  resources[kManifestResource].pop_back();
  EXPECT_EQ(LoadPackageManifest().state, ManifestState::kDamaged);
}

}  // namespace
