#pragma once
// The install folder, made safe before anything is copied, on top of the
// locked folders and the check of the way (platform/folder_security.h):
// an existing install folder that is not locked so is moved aside and
//   replaced by a new one; the old one is removed by handle, never through a
//   link.
#include <string>

#include "platform/folder_security.h"

// The folder picker's: MakeLockedFolder, and the folder is remembered, since
// a folder made on the picker's "create?" Yes counts as made by the install.
std::uint32_t MakePickedFolder(const std::string& path);
// True when the picker made this folder since the last install; the install
// that asks takes them all (the next one starts afresh).
bool TakePickedFolder(const std::string& path);

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
