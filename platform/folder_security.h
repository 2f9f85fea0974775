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
// - Every folder from the drive's root down to the install folder is held
//   open from its check to the end of the install, and trusted as it is,
//   tightened (nobody but Administrators and SYSTEM may delete or rename it
//   any more), or refused (CHeldWay).
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/security.h"

// The DACL of a locked folder: Administrators and SYSTEM full control, Users
// read and execute, each passed on to files and folders below.
const std::vector<platform::Ace>& LockedDacl();

// Makes one folder level, born locked: 0, or the Win32 error
// (platform::kErrorNameExists when the name exists).
std::uint32_t MakeLockedFolder(const std::string& path);
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

// The folders of an install's way, from the drive's root down, each opened
// once without following a link, checked, and held without delete sharing
// until the object goes: nobody can rename, replace or delete a folder of
// the way between its check and the end of the install.
//
// A folder is refused (kUnsafe) when it is a link; when its owner is not
// Administrators, SYSTEM, TrustedInstaller or the account the process runs
// as; when anyone else may change its owner or DACL; when it is held open by
// somebody for deletion or renaming. Where anyone else may delete or rename
// it (DELETE on it, or FILE_DELETE_CHILD), it is tightened (TightenedDacl,
// logged). The drive's root is never changed: it is refused where anyone
// else may delete or rename what it holds or change its owner or DACL, and
// so is a volume that keeps no security at all (FAT, exFAT).
class CHeldWay {
 public:
  enum Result { kHeld, kUnsafe, kCannotMake };
  CHeldWay() = default;
  CHeldWay(const CHeldWay&) = delete;
  CHeldWay& operator=(const CHeldWay&) = delete;
  ~CHeldWay();

  // Every folder from the drive's root down to `folder` (included). With
  // `make`, each missing one is made born locked (MakeLockedFolder), held
  // and remembered (Made()); a name that exists after a failed creation is
  // checked like any other folder; a folder that cannot be made, or an
  // entry of the way that is a file, gives kCannotMake. Without `make` a
  // missing folder ends the walk. On failure, with the reason, the folders
  // made are removed again and nothing is held.
  Result Hold(const std::string& folder, bool make, std::string* reason);
  // One more folder below the held ones (the install folder, its library
  // folder), checked, made and held the same way; `made`: made by the
  // caller, and counted as made here.
  Result HoldBelow(const std::string& folder, bool made, std::string* reason);
  // The folders made, top down.
  const std::vector<std::string>& Made() const { return made_; }
  // Lets go of every folder and removes again, bottom up, those made (when
  // they are still empty).
  void Undo();

 private:
  Result HoldOne(const std::string& path, bool root, bool make, bool* missing,
                 std::string* reason);
  std::vector<std::unique_ptr<platform::HeldEntry>> held_;
  std::vector<std::string> made_;
  Privileges privileges_;  // enabled at the first refusal, disabled when the way goes
};

// The check of the way alone (the uninstall's), every folder let go again:
// CHeldWay::Hold without making anything. False, with the reason, when a
// folder is refused.
bool SecureTheWay(const std::string& folder, std::string* reason);
