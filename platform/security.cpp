#include "platform/security.h"

namespace platform {

const char* const kSidAdministrators = "S-1-5-32-544";
const char* const kSidSystem = "S-1-5-18";
const char* const kSidUsers = "S-1-5-32-545";
const char* const kSidAuthenticatedUsers = "S-1-5-11";
const char* const kSidOwnerRights = "S-1-3-4";
const char* const kSidTrustedInstaller =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const char* const kSidEveryone = "S-1-1-0";
const char* const kPrivilegeBackup = "SeBackupPrivilege";
const char* const kPrivilegeRestore = "SeRestorePrivilege";


std::uint32_t FileRights(std::uint32_t mask) {
  // FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE.
  constexpr std::uint32_t kRead = 0x00120089, kWrite = 0x00120116, kExecute = 0x001200A0;
  std::uint32_t rights = mask & 0x0FFFFFFF;
  if (mask & kGenericRead) rights |= kRead;
  if (mask & kGenericWrite) rights |= kWrite;
  if (mask & kGenericExecute) rights |= kExecute;
  if (mask & kGenericAll) rights |= kAccessFull;
  return rights;
}

}  // namespace platform
