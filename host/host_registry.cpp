#include "host/host_registry.h"

#include "package/package_paths.h"
#include "platform/codepage.h"
#include "platform/log.h"

namespace {
constexpr const char* kYearTexts[kHostYearCount] = {"2021", "2022", "2023", "2024",
                                                    "2025", "2026", "2027"};
}  // namespace

void CHostRegistry::ScanInstalledHosts() {
  for (const char* product : kHostProductKeys) ScanProductKey(product);
}

void CHostRegistry::ScanProductKey(const std::string& product) {
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return;
  platform::RegKey productKey;
  if (!productKey.OpenForRead(root, product.c_str())) return;

  const std::uint32_t versions = productKey.SubKeyCount();
  for (std::uint32_t index = 0; index < versions; ++index) {
    char version[platform::kRegNameBuffer];
    if (!productKey.EnumSubKey(index, version)) continue;
    const std::string base = product + "\\" + version + "\\";
    platform::RegKey versionKey;
    if (!versionKey.OpenForRead(productKey, version)) continue;

    m_foundKeyPaths.Clear();
    m_foundLocations.Clear();
    m_valueName = kLocationValue;
    FindLocations(versionKey, "", "", base);

    const std::string versionName = version;
    for (std::size_t j = 0; j < m_foundKeyPaths.Count(); ++j) {
      const std::string location = RemoveTrailingSeparatorUnlessAlone(m_foundLocations.At(j));
      // A folder name with a character that GBK cannot hold names nothing
      // the install could write to: that location is left out.
      if (platform::HoldsUnnamedChar(location)) {
        platform::Log("host location skipped: HKLM\\" + m_foundKeyPaths.At(j) + " " + kLocationValue +
                      " holds a character that GBK cannot hold: " + location);
        continue;
      }
      for (int y = 0; y < kHostYearCount; ++y) {
        if (versionName.find(kYearTexts[y]) == std::string::npos) continue;
        m_keyPaths[y].Append(m_foundKeyPaths.At(j));
        m_locations[y].Append(location);
        break;
      }
    }
  }
}

void CHostRegistry::FindLocations(const platform::RegKey& parent, const char* name,
                                  const std::string& relative, const std::string& base) {
  platform::RegKey key;
  if (!key.OpenForRead(parent, name)) return;

  char data[platform::kRegValueBuffer];
  if (key.QueryValue(m_valueName.c_str(), data)) {
    m_foundKeyPaths.Append(base + relative);
    m_foundLocations.Append(data);
    return;
  }
  const std::uint32_t count = key.SubKeyCount();
  for (std::uint32_t index = 0; index < count; ++index) {
    char child[platform::kRegNameBuffer];
    if (!key.EnumSubKey(index, child)) continue;
    FindLocations(key, child, relative + child + "\\", base);
  }
}
