#include "host/loader_registration.h"

#include <cstdint>
#include <string>

#include "package/install_notes.h"
#include "package/package_layout.h"
#include "package/package_paths.h"
#include "platform/log.h"
#include "platform/registry.h"
#include "platform/security.h"
#include "platform/system.h"

bool RegisterLoaders(CHostRegistry& hosts, bool f2021, bool f2022, bool f2023, bool f2024,
                     bool f2025, bool f2026, bool f2027) {
  const bool flags[kHostYearCount] = {f2021, f2022, f2023, f2024, f2025, f2026, f2027};
  bool written = true;
  for (int i = 0; i < kHostYearCount; ++i)
    if (flags[i]) written = RegisterLoaderForYear(hosts, HostYearAt(i)) && written;
  return written;
}

bool RegisterLoaderForYear(CHostRegistry& hosts, int year) {
  if (!IsHostYear(year)) return true;
  const StringList& keyPaths = hosts.m_keyPaths[HostYearIndex(year)];
  if (keyPaths.Count() == 0) return true;

  const std::string keyName = LoaderKeyName(year);
  const std::string moduleName = ModuleFileName(ModuleYear(year));
  PathBuffer loader;
  // A module path that does not fit is never written shortened.
  if (!ComposePath(loader, {hosts.m_installFolder, "\\", moduleName})) {
    platform::Log("no loader key written for " + std::to_string(year) +
                  ": the module path would pass 259 bytes");
    return false;
  }
  const std::string loaderText = loader;

  platform::RegKey root;
  if (!root.OpenLocalMachine()) return false;
  bool written = true;
  for (std::size_t i = 0; i < keyPaths.Count(); ++i) {
    const std::string key = "HKLM\\" + keyPaths.At(i) + keyName;
    platform::RegKey host;
    if (!host.Open(root, keyPaths.At(i).c_str())) {
      platform::Log("loader key not written: " + key + ": the host key cannot be opened, " +
                    platform::DescribeError(platform::LastError()));
      written = false;
      continue;
    }
    // "Applications" and the loader key below it, each the key itself: a
    // registry link put there by somebody is left alone, never followed.
    // "Applications" is the host's; where the install has to make it, the
    // record says so, and the uninstall takes it away when nothing else has
    // come to stand in it.
    const std::size_t cut = keyName.find('\\');
    const std::string applicationsName = keyName.substr(0, cut), loaderName = keyName.substr(cut + 1);
    platform::RegKey applications, earlier, loaderKey;
    bool link = false;
    const bool had = applications.OpenNoLink(host, applicationsName.c_str(), &link);
    const bool made = !had && !link && platform::LastError() == platform::kErrorFileNotFound &&
                      applications.CreateNoLink(host, applicationsName.c_str(), &link) && !link;
    const bool opened = had || made;
    if (made) {
      platform::Log("host key had no " + applicationsName + " key, made: HKLM\\" + keyPaths.At(i) +
                    applicationsName);
      NoteApplicationsKey(keyPaths.At(i) + applicationsName);
    }
    if (opened && !link && earlier.OpenNoLink(applications, loaderName.c_str(), &link) && !link) {
      earlier.DeleteThis();  // an earlier install's, by its handle
      earlier.Close();
    }
    if (!opened || link || !loaderKey.CreateNoLink(applications, loaderName.c_str(), &link) || link) {
      platform::Log("loader key not written: " + key + ": " +
                    (link ? std::string("a registry link stands on its way")
                          : platform::DescribeError(platform::LastError())));
      written = false;
      continue;
    }
    const std::uint32_t loadCtrls = kLoadCtrlsData;
    std::string failed;
    if (!loaderKey.SetValue(kLoadCtrlsValue, platform::kRegDword, &loadCtrls, sizeof loadCtrls))
      failed += std::string(", ") + kLoadCtrlsValue + " not set: " +
                platform::DescribeError(platform::LastError());
    if (!loaderKey.SetValue(kLoaderValue, platform::kRegSz, loaderText.c_str(),
                            static_cast<std::uint32_t>(loaderText.size() + 1)))
      failed += std::string(", ") + kLoaderValue + " not set: " +
                platform::DescribeError(platform::LastError());
    if (!failed.empty()) {
      // Never recorded: its uninstall must not delete a key it did not
      // write whole.
      platform::Log("loader key not written whole: " + key + failed);
      written = false;
      continue;
    }
    NoteLoaderKey(keyPaths.At(i) + keyName);
    platform::Log("loader key written: " + key + ", LOADER = " + loaderText);
  }
  return written;
}
