#pragma once
// The install folder and the folders on its way, made safe before anything
// is copied. The installer runs as administrator or SYSTEM; anybody who can
// rename, replace or change the descriptor of a folder on the way could swap
// the module every host program loads.
//
// - Every folder the installer makes is born locked: owner
//   BUILTIN\Administrators and a protected DACL (Administrators and SYSTEM
//   full control, Users read and execute, passed on to everything below),
//   given in the creating call itself.
// - Every existing folder from below the drive root down to the install
//   folder is trusted as it is, tightened (nobody but Administrators and
//   SYSTEM may delete or rename it any more), or refused.
// - An existing install folder that is not locked so is moved aside and
//   replaced by a new one; the old one is removed by handle, never through a
//   link.
#include <algorithm>
#include <cstdint>
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
// The folder picker's: MakeLockedFolder, and the folder is remembered, since
// a folder made on the picker's "create?" Yes counts as made by the install.
std::uint32_t MakePickedFolder(const std::string& path);
// True when the picker made this folder since the last install; the install
// that asks takes them all (the next one starts afresh).
bool TakePickedFolder(const std::string& path);

// The privileges that open what a DACL keeps the administrator out of
// (backup semantics): enabled at the first refusal, disabled at the end.
class Privileges {
 public:
  Privileges() = default;
  Privileges(const Privileges&) = delete;
  Privileges& operator=(const Privileges&) = delete;
  ~Privileges() {
    for (const char* p : enabled_) platform::EnablePrivilege(p, false);
  }
  std::uint32_t Open(platform::HeldEntry& entry, const std::string& path, std::uint32_t access) {
    std::uint32_t r = entry.Open(path.c_str(), access);
    if (r != platform::kErrorAccessDenied || tried_) return r;
    return Enable() ? entry.Open(path.c_str(), access) : r;
  }
  // False when none could be enabled (or it was tried before).
  bool Enable() {
    if (tried_) return false;
    tried_ = true;
    for (const char* p : {platform::kPrivilegeBackup, platform::kPrivilegeRestore})
      if (platform::EnablePrivilege(p, true) == 0) enabled_.push_back(p);
    return !enabled_.empty();
  }

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

// The DACL that takes DELETE and FILE_DELETE_CHILD away from everyone but
// Administrators and SYSTEM on the folder itself: each entry that grants
// them becomes an inherit-only copy (what files and folders below inherit is
// unchanged) and, for the folder itself, an entry without them; inherited
// entries become explicit, in their order. Set with SE_DACL_PROTECTED.
std::vector<platform::Ace> TightenedDacl(const std::vector<platform::Ace>& dacl);

// The install folder ("...\Tarnwell") for one install.
class CInstallFolder {
 public:
  enum Result { kUsed, kCreated, kReplaced, kRefused };
  // An existing folder owned by Administrators, SYSTEM or the running
  // account that grants nobody else any write, delete or descriptor right is
  // used as it is (kUsed). Any other entry of that name (a folder of an
  // earlier installer, a planted folder, a link, a file) is renamed aside by
  // handle and a new folder is made born locked (kReplaced); a missing one
  // is made so (kCreated). A rename that fails, or a name taken again before
  // the new folder is made: kRefused, with the reason. A folder that cannot
  // be made for another reason (a missing parent) gives kCreated with
  // Created() false.
  Result Prepare(const std::string& folder, std::string* reason);
  bool Created() const { return created_; }
  // Where the replaced folder now lies; empty when nothing was moved aside.
  const std::string& MovedAside() const { return aside_; }
  // Removes the folder moved aside and everything below it by handle: links
  // go as links and are never entered, and an entry whose final path is not
  // the one listed (turned into a link meanwhile) is left. What cannot be
  // removed stays and is logged.
  void RemoveMovedAside();

 private:
  platform::HeldEntry held_;  // the moved-aside folder, held since the check
  std::string aside_;
  bool created_ = false;
};
