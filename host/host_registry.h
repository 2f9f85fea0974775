#pragma once
// The host installations that the registry records, filed by host year.
#include <string>

#include "host/host_contract.h"
#include "host/string_list.h"
#include "platform/registry.h"

class CHostRegistry {
 public:
  // Scans the four product keys in order; whatever cannot be read is passed
  // over. Running it twice appends every find again.
  void ScanInstalledHosts();
  // Scans one product key (path below HKEY_LOCAL_MACHINE).
  void ScanProductKey(const std::string& product);
  // Depth-first search below parent\name for the first key on each path that
  // holds m_valueName; appends to the two scratch lists. `relative` is empty
  // or ends with "\", `base` ends with "\".
  void FindLocations(const platform::RegKey& parent, const char* name, const std::string& relative,
                     const std::string& base);

  // Folder that receives the plug-in's files, without trailing "\"; set by
  // the install sequence before the loaders are registered.
  std::string m_installFolder;
  // Per host year (2021 first): installation folders without trailing "\",
  // and at the same index the key path (below HKEY_LOCAL_MACHINE, ending
  // with "\") in which each was found.
  StringList m_locations[kHostYearCount];
  StringList m_keyPaths[kHostYearCount];
  // Name of the value that marks a host installation.
  std::string m_valueName;
  // Scratch lists of the version key being scanned, parallel to each other.
  StringList m_foundKeyPaths;
  StringList m_foundLocations;
};

// The one instance, constructed after the application object.
extern CHostRegistry g_hostRegistry;
