#include "platform/folder_security.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"

using namespace platform;

const std::vector<Ace>& LockedDacl() {
  static const std::vector<Ace> dacl = {
      {kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
      {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
      {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers}};
  return dacl;
}

namespace {

// Rights with which a folder on the way can be renamed: DELETE on it, and
// FILE_DELETE_CHILD on its folder for what it holds.
constexpr std::uint32_t kRenameRights = kAccessDelete | kAccessDeleteChild;

bool Among(const std::string& sid, std::initializer_list<const char*> sids) {
  return std::any_of(sids.begin(), sids.end(), [&](const char* s) { return sid == s; });
}

}  // namespace

bool Trusted::operator()(const std::string& sid) const {
  return sid == user || Among(sid, {kSidAdministrators, kSidSystem}) ||
         (installer && sid == kSidTrustedInstaller);
}

std::uint32_t OthersRights(const FileSecurity& s, const Trusted& trusted, bool inheritOnly) {
  std::uint32_t rights = 0;
  for (const Ace& ace : s.dacl)
    if (ace.type == kAceAllow && ace.sid.rfind("S-1-3-", 0) != 0 && !trusted(ace.sid) &&
        (inheritOnly || !(ace.flags & kAceInheritOnly)))
      rights |= FileRights(ace.mask);
  return rights;
}

Privileges::~Privileges() {
  for (const char* p : enabled_) EnablePrivilege(p, false);
}

std::uint32_t Privileges::Open(HeldEntry& entry, const std::string& path, std::uint32_t access) {
  std::uint32_t r = entry.Open(path.c_str(), access);
  if (r != kErrorAccessDenied || tried_) return r;
  return Enable() ? entry.Open(path.c_str(), access) : r;
}

bool Privileges::Enable() {
  if (tried_) return false;
  tried_ = true;
  for (const char* p : {kPrivilegeBackup, kPrivilegeRestore})
    if (EnablePrivilege(p, true) == 0) enabled_.push_back(p);
  return !enabled_.empty();
}

namespace {

// "X:\a", "X:\a\b", ... down to the folder, from its full form (as Windows
// resolves it: "." and ".." gone, separators collapsed); false for a path
// that does not lead from a drive's root (a network path).
bool FoldersOnWay(const std::string& folder, std::vector<std::string>* way) {
  std::string full;
  // "X:" is the root the install path "X:\" leaves, not the drive's current folder.
  const bool root = folder.size() == 2 && folder[1] == ':';
  if (!FullPath(root ? folder + "\\" : folder, &full) || !IsRootedPath(full)) return false;
  for (std::size_t pos = 3; pos < full.size(); pos += CharLength(full, pos))
    if (CharLength(full, pos) == 1 && full[pos] == '\\') way->push_back(full.substr(0, pos));
  if (full.size() > 3 && !EndsWithChar(full, '\\')) way->push_back(full);
  return true;
}

// One folder on the way: trusted, tightened, or refused (false).
bool SecureFolder(const std::string& path, Privileges& privileges, bool* missing,
                  std::string* reason) {
  reason->clear();
  HeldEntry entry;
  std::uint32_t error = privileges.Open(entry, path, kAccessReadControl | kAccessWriteDac);
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
    *missing = true;
    return true;
  }
  std::uint32_t attributes = 0;
  FileSecurity s;
  if (!error) error = entry.Attributes(&attributes);
  if (!error) error = entry.ReadSecurity(&s);
  const Trusted trusted{ProcessUserSid(), true};
  const std::uint32_t others = OthersRights(s, trusted, false);
  if (error == kErrorHeldOpen)
    *reason = "held open by another process for deletion or renaming";
  else if (error)
    *reason = "cannot be read: " + DescribeError(error);
  else if (attributes & kAttrReparsePoint)
    *reason = "a link";
  else if (!trusted(s.owner))
    *reason = "owned by " + s.owner;
  else if (others & (kAccessWriteDac | kAccessWriteOwner))
    *reason = "others may change its owner or DACL";
  else if ((others & kRenameRights) && (error = entry.SetDacl(TightenedDacl(s.dacl), true)))
    *reason = "others may delete it, and it cannot be tightened: " + DescribeError(error);
  else if (others & kRenameRights)
    Log("tightened " + path + ": only Administrators and SYSTEM may delete it");
  if (reason->empty()) return true;
  *reason = path + ": " + *reason;
  return false;
}

}  // namespace

std::uint32_t MakeLockedFolder(const std::string& path) {
  return MakeSecuredFolder(path.c_str(), {kSidAdministrators, true, LockedDacl()});
}

std::vector<Ace> TightenedDacl(const std::vector<Ace>& dacl) {
  std::vector<Ace> out;
  for (Ace ace : dacl) {
    ace.flags &= static_cast<std::uint8_t>(~kAceInherited);
    const std::uint32_t rights = FileRights(ace.mask);
    if (ace.type != kAceAllow || Among(ace.sid, {kSidAdministrators, kSidSystem}) ||
        (ace.flags & kAceInheritOnly) || !(rights & kRenameRights)) {
      out.push_back(ace);
      continue;
    }
    if (ace.flags & kAceInheritAll)
      out.push_back({kAceAllow, static_cast<std::uint8_t>(ace.flags | kAceInheritOnly), ace.mask,
                     ace.sid});
    if (rights & ~kRenameRights) out.push_back({kAceAllow, 0, rights & ~kRenameRights, ace.sid});
  }
  return out;
}

bool SecureTheWay(const std::string& folder, std::string* reason) {
  std::vector<std::string> way;
  if (!FoldersOnWay(folder, &way)) {
    *reason = folder + ": not a path from a drive's root";
    return false;
  }
  Privileges privileges;
  for (const std::string& path : way) {
    bool missing = false;
    if (!SecureFolder(path, privileges, &missing, reason)) return false;
    if (missing) break;
  }
  return true;
}

