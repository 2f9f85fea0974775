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

// "X:\", "X:\a", "X:\a\b", ... down to the folder, from its full form (as
// Windows resolves it: "." and ".." gone, separators collapsed); false for a
// path that does not lead from a drive's root (a network path).
bool FoldersOnWay(const std::string& folder, std::vector<std::string>* way) {
  std::string full;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  // "X:" is the root the install path "X:\" leaves, not the drive's current folder.
  const bool root = folder.size() == 2 && folder[1] == ':';
  if (!FullPath(root ? folder + "\\" : folder, &full) || full.size() < 3 || !letter(full[0]) ||
      full[1] != ':' || full[2] != '\\')
    return false;
  way->push_back(full.substr(0, 3));
  for (std::size_t pos = 3; pos < full.size(); pos += CharLength(full, pos))
    if (CharLength(full, pos) == 1 && full[pos] == '\\') way->push_back(full.substr(0, pos));
  if (full.size() > 3 && !EndsWithChar(full, '\\')) way->push_back(full);
  return true;
}

}  // namespace

CHeldWay::~CHeldWay() = default;

CHeldWay::Result CHeldWay::HoldOne(const std::string& path, bool root, bool make, bool* missing,
                                   std::string* reason) {
  reason->clear();
  Privileges& privileges = privileges_;
  auto entry = std::make_unique<HeldEntry>();
  // The root is only read; a folder below may have to be tightened.
  const std::uint32_t access = root ? kAccessReadControl : kAccessReadControl | kAccessWriteDac;
  std::uint32_t error = privileges.Open(*entry, path, access);
  if ((error == kErrorFileNotFound || error == kErrorPathNotFound) && !root) {
    if (!make) {
      *missing = true;
      return kHeld;
    }
    // Made born locked; a name taken meanwhile is looked at like any other.
    const std::uint32_t made = MakeLockedFolder(path);
    if (made != 0 && made != kErrorNameExists) {
      *reason = path + ": cannot be made: " + DescribeError(made);
      return kCannotMake;
    }
    if (made == 0) made_.push_back(path);
    error = privileges.Open(*entry, path, access);
  }
  std::uint32_t attributes = 0;
  FileSecurity s;
  bool keepsSecurity = true;
  if (!error) error = entry->Attributes(&attributes);
  if (!error) error = entry->ReadSecurity(&s);
  if (!error && root) error = entry->VolumeKeepsSecurity(&keepsSecurity);
  const Trusted trusted{ProcessUserSid(), true};
  const std::uint32_t others = OthersRights(s, trusted, false);
  Result result = kUnsafe;
  if (error == kErrorHeldOpen) {
    *reason = "held open by another process for deletion or renaming";
  } else if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
    *reason = root ? "no such drive" : "gone while it was made";
    result = kCannotMake;
  } else if (error) {
    *reason = "cannot be read: " + DescribeError(error);
  } else if (attributes & kAttrReparsePoint) {
    *reason = "a link";
  } else if (!(attributes & kAttrDirectory)) {
    *reason = "a file, not a folder";
    result = kCannotMake;
  } else if (!keepsSecurity) {
    *reason = "its volume keeps no security (FAT, exFAT)";
  } else if (!trusted(s.owner)) {
    *reason = "owned by " + s.owner;
  } else if (others & (kAccessWriteDac | kAccessWriteOwner)) {
    *reason = "others may change its owner or DACL";
  } else if (root && (others & kRenameRights)) {
    *reason = "others may delete or rename what it holds";
  } else if ((others & kRenameRights) && (error = entry->SetDacl(TightenedDacl(s.dacl), true))) {
    *reason = "others may delete it, and it cannot be tightened: " + DescribeError(error);
  } else if (others & kRenameRights) {
    Log("tightened " + path + ": only Administrators and SYSTEM may delete it");
  }
  if (!reason->empty()) {
    *reason = path + ": " + *reason;
    return result;
  }
  held_.push_back(std::move(entry));
  return kHeld;
}

CHeldWay::Result CHeldWay::Hold(const std::string& folder, bool make, std::string* reason) {
  std::vector<std::string> way;
  if (!FoldersOnWay(folder, &way)) {
    *reason = folder + ": not a path from a drive's root";
    return kUnsafe;
  }
  for (std::size_t i = 0; i < way.size(); ++i) {
    bool missing = false;
    const Result r = HoldOne(way[i], i == 0, make, &missing, reason);
    if (r != kHeld) {
      Undo();
      return r;
    }
    if (missing) break;
  }
  return kHeld;
}

CHeldWay::Result CHeldWay::HoldBelow(const std::string& folder, bool made, std::string* reason) {
  if (made) made_.push_back(folder);
  bool missing = false;
  const Result r = HoldOne(folder, false, true, &missing, reason);
  if (r != kHeld) Undo();
  return r;
}

void CHeldWay::Undo() {
  held_.clear();
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveFolder(it->c_str());
  made_.clear();
}

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
  CHeldWay way;
  return way.Hold(folder, false, reason) == CHeldWay::kHeld;
}
