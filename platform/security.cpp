#include "platform/security.h"

namespace platform {

const char* const kSidAdministrators = "S-1-5-32-544";
const char* const kSidSystem = "S-1-5-18";
const char* const kSidUsers = "S-1-5-32-545";
const char* const kSidAuthenticatedUsers = "S-1-5-11";
const char* const kSidOwnerRights = "S-1-3-4";
const char* const kPrivilegeTakeOwnership = "SeTakeOwnershipPrivilege";
const char* const kPrivilegeRestore = "SeRestorePrivilege";

}  // namespace platform
