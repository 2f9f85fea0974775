#pragma once
// Owners and access lists of files and folders, and the privileges of the
// process token, through the narrow (code page) API. Accounts are given by
// their SID text ("S-1-5-32-544"). Each call answers 0 or the Win32 error
// code of what failed.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Well-known accounts.
extern const char* const kSidAdministrators;      // BUILTIN\Administrators, S-1-5-32-544
extern const char* const kSidSystem;              // NT AUTHORITY\SYSTEM, S-1-5-18
extern const char* const kSidUsers;               // BUILTIN\Users, S-1-5-32-545
extern const char* const kSidAuthenticatedUsers;  // NT AUTHORITY\Authenticated Users, S-1-5-11
extern const char* const kSidOwnerRights;         // OWNER RIGHTS, S-1-3-4

// Access rights of files and folders, numbered as Windows numbers them.
enum FileAccess : std::uint32_t {
  kAccessListFolder = 0x00000001,    // FILE_LIST_DIRECTORY (FILE_READ_DATA)
  kAccessAddSubfolder = 0x00000004,  // FILE_ADD_SUBDIRECTORY (FILE_APPEND_DATA)
  kAccessReadControl = 0x00020000,   // READ_CONTROL
  kAccessWriteDac = 0x00040000,      // WRITE_DAC
  kAccessWriteOwner = 0x00080000,    // WRITE_OWNER
  kAccessFull = 0x001F01FF,          // FILE_ALL_ACCESS: "Full control"
  kAccessModify = 0x001301BF,        // "Modify": read, write, execute, delete
  kAccessReadExecute = 0x001200A9,   // FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
};

// ACE header flags.
enum AceFlag : std::uint8_t {
  kAceObjectInherit = 0x01,     // OBJECT_INHERIT_ACE: passed on to files
  kAceContainerInherit = 0x02,  // CONTAINER_INHERIT_ACE: passed on to folders
  kAceNoPropagate = 0x04,       // NO_PROPAGATE_INHERIT_ACE: one level only
  kAceInheritOnly = 0x08,       // INHERIT_ONLY_ACE: not for the entry itself
  kAceInherited = 0x10,         // INHERITED_ACE: came from the parent
};
constexpr std::uint8_t kAceInheritAll = kAceObjectInherit | kAceContainerInherit;

enum AceType : std::uint8_t { kAceAllow = 0, kAceDeny = 1 };  // ACCESS_ALLOWED/DENIED_ACE_TYPE

struct Ace {
  AceType type = kAceAllow;
  std::uint8_t flags = 0;
  std::uint32_t mask = 0;
  std::string sid;
  bool operator==(const Ace& o) const {
    return type == o.type && flags == o.flags && mask == o.mask && sid == o.sid;
  }
};

// The parts of a security descriptor that decide who may change an entry.
struct FileSecurity {
  std::string owner;
  bool protectedDacl = false;  // SE_DACL_PROTECTED: takes nothing from the parent
  std::vector<Ace> dacl;       // in order
  bool operator==(const FileSecurity& o) const {
    return owner == o.owner && protectedDacl == o.protectedDacl && dacl == o.dacl;
  }
};

// Win32 error codes that callers look at.
enum Win32Error : std::uint32_t {
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorNotAllAssigned = 1300,  // the token does not hold the privilege
  kErrorInvalidOwner = 1307,    // that account may not be made the owner
};

// Privilege names.
extern const char* const kPrivilegeTakeOwnership;  // SeTakeOwnershipPrivilege
extern const char* const kPrivilegeRestore;        // SeRestorePrivilege

// Both setters open the entry itself with CreateFileA(FILE_FLAG_BACKUP_SEMANTICS
// | FILE_FLAG_OPEN_REPARSE_POINT) and set its descriptor with
// SetKernelObjectSecurity. Unlike SetNamedSecurityInfoA and SetSecurityInfo
// they do not pass inheritable entries on to what lies below (which would
// reach a further name of a file kept elsewhere, or the target of a link,
// before the caller has looked at it), and a link's own descriptor is
// changed, never its target's. Opening needs the access named below: an
// enabled SeTakeOwnershipPrivilege gives WRITE_OWNER, an enabled
// SeRestorePrivilege gives WRITE_OWNER and WRITE_DAC (backup semantics);
// otherwise kErrorAccessDenied. A missing entry gives kErrorFileNotFound, a
// missing folder on the way kErrorPathNotFound.

// OWNER_SECURITY_INFORMATION; needs WRITE_OWNER (the DACL may grant it). The
// new owner must be the caller's user or a group of its token that may own
// objects (an elevated administrator's Administrators group), or anyone with
// SeRestorePrivilege enabled; otherwise kErrorInvalidOwner.
std::uint32_t SetFileOwner(const char* path, const char* ownerSid);

// DACL_SECURITY_INFORMATION with an ACL (InitializeAcl,
// AddAccessAllowedAceEx, AddAccessDeniedAceEx) of exactly `aces`, flags as
// given, so a caller that resets an entry to what its folder passes on gives
// those inherited entries itself. Control SE_DACL_AUTO_INHERITED, and
// SE_DACL_PROTECTED when `protect` (the entry takes nothing from its
// folder). Needs WRITE_DAC: the owner has it unless an OWNER RIGHTS entry
// says otherwise, the DACL may grant it.
std::uint32_t SetFileDacl(const char* path, const std::vector<Ace>& aces, bool protect);

// OpenProcessToken(TOKEN_ADJUST_PRIVILEGES), LookupPrivilegeValueA and
// AdjustTokenPrivileges: enables (or disables) one privilege of the process
// token. kErrorNotAllAssigned when the token does not hold it (a process
// that is not elevated); the error of LookupPrivilegeValueA for an unknown
// name.
std::uint32_t EnablePrivilege(const char* name, bool enable);

}  // namespace platform
