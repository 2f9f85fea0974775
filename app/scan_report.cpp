// Prints what the host scan finds in the registry of this machine.
#include <cstdio>

#include "host/host_registry.h"

int main() {
  g_hostRegistry.ScanInstalledHosts();
  int total = 0;
  for (int y = 0; y < kHostYearCount; ++y) {
    const StringList& locations = g_hostRegistry.m_locations[y];
    const StringList& keys = g_hostRegistry.m_keyPaths[y];
    std::printf("%d: %u\n", HostYearAt(y), static_cast<unsigned>(locations.Count()));
    for (std::size_t i = 0; i < locations.Count(); ++i, ++total)
      std::printf("  HKLM\\%s  ->  \"%s\"\n", keys.At(i).c_str(), locations.At(i).c_str());
  }
  std::printf("%d host installation(s) found\n", total);
  return 0;
}
