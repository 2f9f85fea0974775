// Host scan throughput: builds a synthetic host registry of 4 products, N
// versions each, and below every version key a tree 5 levels deep with
// fan-out 3 whose leaves hold "Location"; then times ScanInstalledHosts and
// prints keys per second. Runs against whichever registry the build has.
//
//   scan_bench [versions-per-product ...]     (default: 100 200)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_registry.h"
#include "platform/registry.h"

namespace {

constexpr int kDepth = 5;
constexpr int kFanOut = 3;

// Creates the subtree below `parent`; returns the number of keys made.
long Grow(platform::RegKey& parent, int depth) {
  long made = 0;
  for (int i = 0; i < kFanOut; ++i) {
    platform::RegKey child;
    const std::string name = "n" + std::to_string(i);
    if (!child.Create(parent, name.c_str())) continue;
    ++made;
    if (depth + 1 < kDepth) {
      made += Grow(child, depth + 1);
    } else {
      const std::string location = "C:\\Hosts\\leaf";
      child.SetValue("Location", platform::kRegSz, location.c_str(),
                     static_cast<std::uint32_t>(location.size() + 1));
    }
  }
  return made;
}

long Build(int versions) {
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return 0;
  long keys = 0;
  for (const char* product : kHostProductKeys) {
    platform::RegKey productKey;
    if (!productKey.Create(root, product)) continue;
    ++keys;
    for (int v = 0; v < versions; ++v) {
      platform::RegKey version;
      const std::string name = "20" + std::to_string(21 + v % 7) + " build " + std::to_string(v);
      if (!version.Create(productKey, name.c_str())) continue;
      keys += 1 + Grow(version, 0);
    }
  }
  return keys;
}

void Remove(platform::RegKey& parent, const std::string& name) {
  platform::RegKey key;
  if (key.Open(parent, name.c_str())) {
    std::vector<std::string> children;
    char child[platform::kRegNameBuffer];
    for (std::uint32_t i = 0; key.EnumSubKey(i, child); ++i) children.push_back(child);
    for (const auto& c : children) Remove(key, c);
  }
  key.Close();
  parent.DeleteSubKey(name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {100, 200};

  for (int versions : sizes) {
    const long keys = Build(versions);
    double best = 1e30;
    std::size_t found = 0;
    for (int run = 0; run < 3; ++run) {
      CHostRegistry hosts;
      const auto start = std::chrono::steady_clock::now();
      hosts.ScanInstalledHosts();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (seconds < best) best = seconds;
      found = 0;
      for (const auto& list : hosts.m_locations) found += list.Count();
    }
    std::printf("versions/product %4d: %7ld keys, %7zu locations, scan %.3f s, %.0f keys/s\n",
                versions, keys, found, best, static_cast<double>(keys) / best);
    platform::RegKey root;
    root.OpenLocalMachine();
    Remove(root, "SOFTWARE\\ZWSOFT");
  }
  return 0;
}
