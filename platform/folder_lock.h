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
#include <cstdint>
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
