#pragma once
// Owners and access lists of files and folders, entries held open by
// handle, and the privileges of the process token. Accounts are given by
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
extern const char* const kSidTrustedInstaller;    // NT SERVICE\TrustedInstaller
extern const char* const kSidEveryone;            // Everyone, S-1-1-0

// Access rights of files and folders, numbered as Windows numbers them.
enum FileAccess : std::uint32_t {
  kAccessListFolder = 0x00000001,    // FILE_LIST_DIRECTORY (FILE_READ_DATA)
  kAccessAddFile = 0x00000002,       // FILE_ADD_FILE (FILE_WRITE_DATA)
  kAccessAddSubfolder = 0x00000004,  // FILE_ADD_SUBDIRECTORY (FILE_APPEND_DATA)
  kAccessWriteEa = 0x00000010,       // FILE_WRITE_EA
  kAccessDeleteChild = 0x00000040,   // FILE_DELETE_CHILD
  kAccessWriteAttributes = 0x00000100,  // FILE_WRITE_ATTRIBUTES
  kAccessDelete = 0x00010000,        // DELETE
  kAccessReadControl = 0x00020000,   // READ_CONTROL
  kAccessWriteDac = 0x00040000,      // WRITE_DAC
  kAccessWriteOwner = 0x00080000,    // WRITE_OWNER
  kAccessFull = 0x001F01FF,          // FILE_ALL_ACCESS: "Full control"
  kAccessModify = 0x001301BF,        // "Modify": read, write, execute, delete
  kAccessReadExecute = 0x001200A9,   // FILE_GENERIC_READ | FILE_GENERIC_EXECUTE
  kGenericAll = 0x10000000,
  kGenericExecute = 0x20000000,
  kGenericWrite = 0x40000000,
  kGenericRead = 0x80000000,
};

// The file rights a mask stands for, its generic bits mapped as the file
// system maps them (GENERIC_ALL: FILE_ALL_ACCESS, ...).
std::uint32_t FileRights(std::uint32_t mask);

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
  kErrorHeldOpen = 32,         // ERROR_SHARING_VIOLATION
  kErrorFileExists = 80,
  kErrorNameExists = 183,      // ERROR_ALREADY_EXISTS
  kErrorNotAllAssigned = 1300,  // the token does not hold the privilege
  kErrorInvalidOwner = 1307,    // that account may not be made the owner
};

// Privilege names.
// With FILE_FLAG_BACKUP_SEMANTICS an enabled SeBackupPrivilege gives
// READ_CONTROL and listing, SeRestorePrivilege WRITE_DAC, WRITE_OWNER and
// DELETE, whatever the DACL says.
extern const char* const kPrivilegeBackup;   // SeBackupPrivilege
extern const char* const kPrivilegeRestore;  // SeRestorePrivilege

// OpenProcessToken(TOKEN_ADJUST_PRIVILEGES), LookupPrivilegeValueA and
// AdjustTokenPrivileges: enables (or disables) one privilege of the process
// token. kErrorNotAllAssigned when the token does not hold it (a process
// that is not elevated); the error of LookupPrivilegeValueA for an unknown
// name.
std::uint32_t EnablePrivilege(const char* name, bool enable);

// GetTokenInformation(TokenUser): the SID of the account the process runs as
// (under a service, S-1-5-18); empty when it cannot be read.
std::string ProcessUserSid();

// CreateDirectoryW with a SECURITY_ATTRIBUTES that carries `security`: the
// folder is born with that owner and DACL (SE_DACL_PROTECTED when
// `security.protectedDacl`), with no moment in which it has any other.
// kErrorNameExists when the name exists (a link included).
std::uint32_t MakeSecuredFolder(const char* path, const FileSecurity& security);

// One file or folder held open by handle, itself and never what a link
// leads to: CreateFileW with FILE_FLAG_BACKUP_SEMANTICS and
// FILE_FLAG_OPEN_REPARSE_POINT (links on the way to it are followed, as
// always; compare FinalPath where that matters). It is shared for reading
// and writing but not for deletion, so while it is held nobody can open it
// to rename or delete it, and opening it fails with kErrorHeldOpen
// while anybody else holds it open so. The share check counts only opens
// that touch data, so every open asks FILE_LIST_DIRECTORY (FILE_READ_DATA)
// besides what `access` names. Every call answers 0 or a Win32 error.
class HeldEntry {
 public:
  HeldEntry() = default;
  ~HeldEntry() { Close(); }
  HeldEntry(const HeldEntry&) = delete;
  HeldEntry& operator=(const HeldEntry&) = delete;

  // `access`: FileAccess bits (kAccessReadControl, kAccessWriteDac,
  // kAccessDelete, ...). Closes what was held before.
  std::uint32_t Open(const char* path, std::uint32_t access);
  bool IsOpen() const { return handle_ != nullptr; }
  // GetFileInformationByHandleEx(FileBasicInfo): the attribute word (kAttrReparsePoint for a
  // link, kAttrDirectory for a folder).
  std::uint32_t Attributes(std::uint32_t* attributes) const;
  // GetKernelObjectSecurity: owner and DACL (a missing DACL, which grants
  // everyone everything, reads as Everyone: full control). ERROR_INVALID_ACL
  // for a DACL with entries of another kind than allow and deny.
  std::uint32_t ReadSecurity(FileSecurity* security) const;
  // SetKernelObjectSecurity of exactly `aces` (flags as given), control
  // SE_DACL_AUTO_INHERITED and, when `protect`, SE_DACL_PROTECTED (the entry
  // takes nothing from its folder). Needs WRITE_DAC. Nothing is passed on to
  // what lies below (SetSecurityInfo would do that).
  std::uint32_t SetDacl(const std::vector<Ace>& aces, bool protect) const;
  // GetFileInformationByHandleEx(FileIdBothDirectoryInfo): the names a held
  // folder holds, "." and ".." left out, at most `limit` of them.
  std::uint32_t List(std::vector<std::string>* names, std::size_t limit) const;
  // GetVolumeInformationByHandleW: whether the entry's volume keeps owners
  // and DACLs at all (FILE_PERSISTENT_ACLS; not FAT or exFAT, where anybody
  // may replace anything).
  std::uint32_t VolumeKeepsSecurity(bool* keeps) const;
  // GetFinalPathNameByHandleW, "X:\..." (without "\\?\").
  std::uint32_t FinalPath(std::string* path) const;
  // SetFileInformationByHandle(FileRenameInfo) to another name of the same
  // drive, never over an existing one (needs DELETE). A folder with an entry
  // held open inside cannot be renamed.
  std::uint32_t Rename(const char* newPath) const;
  // SetFileInformationByHandle(FileDispositionInfo), the read-only attribute
  // cleared first (needs DELETE, and kAccessWriteAttributes for a read-only
  // entry); a link goes, never what it leads to; a folder only when empty.
  // The entry is gone when the handle is closed.
  std::uint32_t Delete();
  void Close();

 private:
  void* handle_ = nullptr;  // the file handle, or the simulated entry
};

}  // namespace platform
