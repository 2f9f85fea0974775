#include "host/loader_registration.h"

#include <cstdint>
#include <string>

#include "package/install_notes.h"
#include "package/package_layout.h"
#include "package/package_paths.h"
#include "platform/log.h"
#include "platform/registry.h"
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
    // The "Applications" key is the host's; where the install has to make
    // it, the record says so, and the uninstall takes it away when nothing
    // else has come to stand in it.
    platform::RegKey applications;
    const bool hadApplications = applications.OpenForRead(host, kApplicationsKey);
    applications.Close();
    host.DeleteSubKey(keyName.c_str());
    platform::RegKey loaderKey;
    if (!loaderKey.Create(host, keyName.c_str())) {
      platform::Log("loader key not written: " + key + ": " +
                    platform::DescribeError(platform::LastError()));
      written = false;
      continue;
    }
    if (!hadApplications) {
      platform::Log("host key had no " + std::string(kApplicationsKey) + " key, made: HKLM\\" +
                    keyPaths.At(i) + kApplicationsKey);
      NoteApplicationsKey(keyPaths.At(i) + kApplicationsKey);
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
