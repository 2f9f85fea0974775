#pragma once
// Folders made and kept safe for an installer that runs as administrator or
// SYSTEM: anybody who can rename, replace or change the descriptor of a
// folder on the way to what it installs could swap the module every host
// program loads.
//
// - Every folder the installer makes is born locked: owner
//   BUILTIN\Administrators and a protected DACL (Administrators and SYSTEM
//   full control, Users read and execute, passed on to everything below),
//   given in the creating call itself.
// - Every existing folder from below the drive root down to the install
//   folder is trusted as it is, tightened (nobody but Administrators and
//   SYSTEM may delete or rename it any more), or refused.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/security.h"

// The DACL of a locked folder: Administrators and SYSTEM full control, Users
// read and execute, each passed on to files and folders below.
const std::vector<platform::Ace>& LockedDacl();

// Makes one folder level, born locked: 0, or the Win32 error
// (platform::kErrorNameExists when the name exists).
std::uint32_t MakeLockedFolder(const std::string& path);
// Checks every existing folder from below the drive root down to `folder`
// (included), top down. Refused (false, with the reason): a link; an owner
// other than Administrators, SYSTEM, TrustedInstaller or the account the
// process runs as; WRITE_DAC or WRITE_OWNER granted to anyone else; a
// folder held open by somebody for deletion or renaming; a path that does
// not resolve to one from a drive's root. Where anyone else may delete the
// folder (DELETE on it, or FILE_DELETE_CHILD, with which a folder on the way
// can be renamed), it is tightened while it is held open without delete
// sharing: TightenedDacl, logged. A folder that does not exist ends the walk.
bool SecureTheWay(const std::string& folder, std::string* reason);

// The DACL that takes DELETE and FILE_DELETE_CHILD away from everyone but
// Administrators and SYSTEM on the folder itself: each entry that grants
// them becomes an inherit-only copy (what files and folders below inherit is
// unchanged) and, for the folder itself, an entry without them; inherited
// entries become explicit, in their order. Set with SE_DACL_PROTECTED.
std::vector<platform::Ace> TightenedDacl(const std::vector<platform::Ace>& dacl);

// What the install folder's own check (install/folder_lock.h) shares with
// the check of the way.

// Rights that let their holder change what the folder is or holds.
constexpr std::uint32_t kWriteRights =
    platform::kAccessAddFile | platform::kAccessAddSubfolder | platform::kAccessWriteEa |
    platform::kAccessDeleteChild | platform::kAccessWriteAttributes | platform::kAccessDelete |
    platform::kAccessWriteDac | platform::kAccessWriteOwner;

// Administrators, SYSTEM, the account the process runs as, and (for a folder
// on the way, which Windows itself may own) TrustedInstaller.
struct Trusted {
  std::string user;
  bool installer;
  bool operator()(const std::string& sid) const;
};

// The rights the DACL grants to anyone not trusted, on the entry itself or,
// with `inheritOnly`, also through what it passes on. The creator and
// owner-rights SIDs (S-1-3-x) stand for the owner, judged on its own, or
// for nobody.
std::uint32_t OthersRights(const platform::FileSecurity& s, const Trusted& trusted,
                           bool inheritOnly);

// Privileges that open what the DACL keeps the administrator out of
// (backup semantics): enabled at the first refusal, disabled at the end.
class Privileges {
 public:
  Privileges() = default;
  Privileges(const Privileges&) = delete;
  Privileges& operator=(const Privileges&) = delete;
  ~Privileges();
  std::uint32_t Open(platform::HeldEntry& entry, const std::string& path, std::uint32_t access);
  // False when none could be enabled (or it was tried before).
  bool Enable();

 private:
  bool tried_ = false;
  std::vector<const char*> enabled_;
};
