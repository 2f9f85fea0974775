#pragma once
// Locks the install folder to administrators. A folder made below a drive's
// root takes the root's "Authenticated Users: Modify", so any user could
// replace the module that every host program loads. The locked folder gets
// owner BUILTIN\Administrators and a protected DACL (Administrators and
// SYSTEM full control, Users read and execute) that every file and folder
// below inherits.
//
// Every step is recorded with its Win32 result; a failed step is passed
// over (the install goes on as it would without the lock).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/security.h"

enum class LockAction : std::uint8_t {
  kPrivilege,   // a privilege enabled after a refusal (path: its name)
  kUnlink,      // a link, or a further name of a file, removed
  kMakeFolder,  // the folder made again where a link stood
  kOwner,       // owner set to Administrators
  kDacl,        // the protected DACL set
  kInherit,     // reset to exactly what its folder passes on
  kList,        // a folder that could not be listed (only failures are recorded)
};

struct LockStep {
  LockAction action;
  std::string path;
  std::uint32_t error;  // 0, a Win32 error, or kLockStepFailed
  bool operator==(const LockStep& o) const {
    return action == o.action && path == o.path && error == o.error;
  }
};
// The result of a call that reports only failure (a removal, a listing).
constexpr std::uint32_t kLockStepFailed = 0xFFFFFFFFu;
// ERROR_REPARSE_POINT_ENCOUNTERED: a folder to be locked was found to be a
// link (put in place of the folder this run made), and was left alone.
constexpr std::uint32_t kLockRefusedLink = 4395;

// Every lock step of this process, in order.
extern std::vector<LockStep> g_lockSteps;

// The DACL of a locked folder: Administrators and SYSTEM full control, Users
// read and execute, each passed on to files and folders below.
const std::vector<platform::Ace>& LockedDacl();

// What a locked folder passes on to a file (folder = false) or a folder
// below it: the same entries, marked inherited.
std::vector<platform::Ace> InheritedDacl(bool folder);

// A folder this run has just made: owner, then the protected DACL. Nothing
// is done through a link.
void LockNewFolder(const std::string& folder);

// The install folder, new or found (an earlier install, or made by somebody
// else before the installer ran). A link in its place is removed and the
// folder made anew. Then the owner (with SeTakeOwnershipPrivilege when the
// DACL does not grant WRITE_OWNER), then the protected DACL (with
// SeRestorePrivilege when not even the new owner may write it), then every
// entry below, top down, each folder locked before it is listed: links and
// further names of files are removed without being followed (their targets
// lie outside the folder), every other entry gets owner Administrators and
// exactly what its folder passes on. Nothing is passed on by the system
// itself (see platform/security.h), so nothing outside the folder changes.
// Privileges enabled here are disabled again at the end.
void TakeOverFolder(const std::string& folder);

// "owner C:\Korvex\Tarnwell: 0".
std::string DescribeLockStep(const LockStep& step);
