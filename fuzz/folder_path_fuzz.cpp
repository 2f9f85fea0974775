// The folder picker's path rules on arbitrary bytes: check-only mode gives
// only 0 or 1, creation agrees with the check and leaves the folder there,
// and nothing reads or writes outside the copy of kPathBuffer bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "ui/folder_path.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::sim::ResetAll();
  platform::sim::SimFiles::Get().AddDrive('D');
  // A heap copy exactly as long as the text, so a read past it is caught.
  const std::size_t n = std::strlen(std::string(reinterpret_cast<const char*>(data), size).c_str());
  char* path = static_cast<char*>(std::malloc(n + 1));
  std::memcpy(path, data, n);
  path[n] = '\0';

  const int checked = CheckFolderPath(path, true);
  Check(checked == kFolderValid || checked == kFolderInvalid);
  if (n > 259) Check(checked == kFolderInvalid);
  if (n >= 3 && checked == kFolderValid) Check(path[1] == ':' && path[2] == '\\');

  const int created = CheckFolderPath(path, false);
  Check(created >= kFolderValid && created <= kFolderNotCreated);
  // Creation can stop earlier, at a level it cannot make, but never
  // accepts what the check refused nor refuses what it accepted as valid.
  if (checked == kFolderInvalid) Check(created != kFolderValid);
  if (created == kFolderInvalid) Check(checked == kFolderInvalid);
  if (created == kFolderValid) Check(checked == kFolderValid && platform::PathExists(path));

  // Each component of a valid path (cut at each "\\" that is a character
  // of its own) passes the name rule on its own.
  if (checked == kFolderValid && n > 3) {
    for (const std::string& component : platform::SplitAtChar(std::string_view(path + 3, n - 3), '\\'))
      Check(IsValidFolderName(component.c_str()));
  }
  std::free(path);
  return 0;
}
