#include "package/folder_lock.h"

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

// Rights that let their holder change what the folder is or holds.
constexpr std::uint32_t kWriteRights = kAccessAddFile | kAccessAddSubfolder | kAccessWriteEa |
                                       kAccessDeleteChild | kAccessWriteAttributes |
                                       kAccessDelete | kAccessWriteDac | kAccessWriteOwner;
// Rights with which a folder on the way can be renamed: DELETE on it, and
// FILE_DELETE_CHILD on its folder for what it holds.
constexpr std::uint32_t kRenameRights = kAccessDelete | kAccessDeleteChild;

bool Among(const std::string& sid, std::initializer_list<const char*> sids) {
  return std::any_of(sids.begin(), sids.end(), [&](const char* s) { return sid == s; });
}

// The creator and owner-rights SIDs (S-1-3-x) stand for the owner or for
// nobody on the entry itself; the owner is judged on its own.
bool StandsForOwner(const std::string& sid) { return sid.rfind("S-1-3-", 0) == 0; }

// The rights the DACL grants to anyone outside `trusted` (on the entry
// itself, or, with `inheritOnly`, also through what it passes on).
std::uint32_t OthersRights(const FileSecurity& s, const std::vector<std::string>& trusted,
                           bool inheritOnly) {
  std::uint32_t rights = 0;
  for (const Ace& ace : s.dacl) {
    if (ace.type != kAceAllow || StandsForOwner(ace.sid)) continue;
    if ((ace.flags & kAceInheritOnly) && !inheritOnly) continue;
    if (std::find(trusted.begin(), trusted.end(), ace.sid) == trusted.end())
      rights |= FileRights(ace.mask);
  }
  return rights;
}

// Privileges that open what the DACL keeps the administrator out of
// (backup semantics): enabled at the first refusal, disabled at the end.
class Privileges {
 public:
  Privileges() = default;
  Privileges(const Privileges&) = delete;
  Privileges& operator=(const Privileges&) = delete;
  ~Privileges() {
    for (const char* p : enabled_) EnablePrivilege(p, false);
  }
  std::uint32_t Open(HeldEntry& entry, const std::string& path, std::uint32_t access) {
    std::uint32_t r = entry.Open(path.c_str(), access);
    if (r != kErrorAccessDenied || tried_) return r;
    return Enable() ? entry.Open(path.c_str(), access) : r;
  }
  // False when none could be enabled (or it was tried before).
  bool Enable() {
    if (tried_) return false;
    tried_ = true;
    for (const char* p : {kPrivilegeBackup, kPrivilegeRestore})
      if (EnablePrivilege(p, true) == 0) enabled_.push_back(p);
    return !enabled_.empty();
  }

 private:
  bool tried_ = false;
  std::vector<const char*> enabled_;
};

std::string Why(const std::string& path, const std::string& what) { return path + ": " + what; }

// "X:\a", "X:\a\b", ... down to the folder, from its full form (as Windows
// resolves it: "." and ".." gone, separators collapsed); false for a path
// that does not lead from a drive's root (a network path).
bool FoldersOnWay(const std::string& folder, std::vector<std::string>* way) {
  std::string full;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  // "X:" is the root the install path "X:\" leaves, not the drive's current folder.
  const bool root = folder.size() == 2 && folder[1] == ':';
  if (!FullPath(root ? folder + "\\" : folder, &full) || full.size() < 3 || !letter(full[0]) ||
      full[1] != ':' || full[2] != '\\')
    return false;
  for (std::size_t pos = 3; pos < full.size(); pos += CharLength(full, pos))
    if (CharLength(full, pos) == 1 && full[pos] == '\\') way->push_back(full.substr(0, pos));
  if (full.size() > 3 && !EndsWithChar(full, '\\')) way->push_back(full);
  return true;
}

// One folder on the way: trusted, tightened, or refused (false).
bool SecureFolder(const std::string& path, Privileges& privileges, bool* missing,
                  std::string* reason) {
  HeldEntry entry;
  const std::uint32_t opened =
      privileges.Open(entry, path, kAccessReadControl | kAccessWriteDac);
  if (opened == kErrorFileNotFound || opened == kErrorPathNotFound) {
    *missing = true;
    return true;
  }
  if (opened == kErrorHeldOpen) {
    *reason = Why(path, "held open by another process for deletion or renaming");
    return false;
  }
  std::uint32_t attributes = 0;
  FileSecurity s;
  std::uint32_t error = opened;
  if (!error) error = entry.Attributes(&attributes);
  if (!error) error = entry.ReadSecurity(&s);
  if (error) {
    *reason = Why(path, "its descriptor cannot be read: " + DescribeError(error));
    return false;
  }
  if (attributes & kAttrReparsePoint) {
    *reason = Why(path, "a link");
    return false;
  }
  const std::string user = ProcessUserSid();
  const std::vector<std::string> trusted = {kSidAdministrators, kSidSystem, kSidTrustedInstaller,
                                            user};
  if (std::find(trusted.begin(), trusted.end(), s.owner) == trusted.end()) {
    *reason = Why(path, "owned by " + s.owner);
    return false;
  }
  const std::uint32_t others = OthersRights(s, trusted, false);
  if (others & (kAccessWriteDac | kAccessWriteOwner)) {
    *reason = Why(path, "others may change its owner or DACL");
    return false;
  }
  if (!(others & kRenameRights)) return true;
  error = entry.SetDacl(TightenedDacl(s.dacl), true);
  if (error) {
    *reason = Why(path, "others may delete it, and it cannot be tightened: " + DescribeError(error));
    return false;
  }
  Log("tightened " + path + ": only Administrators and SYSTEM may delete it");
  return true;
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
    *reason = Why(folder, "not a path from a drive's root");
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

CInstallFolder::Result CInstallFolder::Prepare(const std::string& folder, std::string* reason) {
  Privileges privileges;
  const std::uint32_t opened =
      privileges.Open(held_, folder, kAccessReadControl | kAccessDelete);
  if (opened == kErrorFileNotFound || opened == kErrorPathNotFound) {
    const std::uint32_t made = MakeLockedFolder(folder);
    created_ = made == 0;
    if (made == kErrorNameExists) {
      *reason = Why(folder, "made by somebody else meanwhile");
      return kRefused;
    }
    return kCreated;
  }
  std::uint32_t attributes = 0;
  FileSecurity s;
  if (opened == 0 && held_.Attributes(&attributes) == 0 && held_.ReadSecurity(&s) == 0 &&
      (attributes & (kAttrReparsePoint | kAttrDirectory)) == kAttrDirectory) {
    const std::vector<std::string> trusted = {kSidAdministrators, kSidSystem, ProcessUserSid()};
    if (std::find(trusted.begin(), trusted.end(), s.owner) != trusted.end() &&
        !(OthersRights(s, trusted, true) & kWriteRights)) {
      held_.Close();
      return kUsed;
    }
  }
  if (opened != 0) {
    *reason = Why(folder, "cannot be opened to be moved aside: " + DescribeError(opened));
    return kRefused;
  }
  std::uint32_t renamed = kErrorNameExists;
  for (int n = 1; n <= 20 && renamed == kErrorNameExists; ++n) {
    aside_ = folder + ".old" + (n > 1 ? std::to_string(n) : std::string());
    renamed = held_.Rename(aside_.c_str());
  }
  if (renamed != 0) {
    aside_.clear();
    held_.Close();
    *reason = Why(folder, "cannot be moved aside: " + DescribeError(renamed));
    return kRefused;
  }
  Log("moved aside: " + folder + " -> " + aside_ + " (not locked to administrators)");
  const std::uint32_t made = MakeLockedFolder(folder);
  created_ = made == 0;
  if (made == kErrorNameExists) {
    *reason = Why(folder, "made by somebody else meanwhile");
    return kRefused;
  }
  return kReplaced;
}

namespace {

// More entries in one folder than any package holds: the rest stays.
constexpr std::size_t kListLimit = 100000;

// Removes the held entry at `path` (its final path): a folder with what it
// holds, each entry opened by handle without following it and checked to be
// where it was listed; a link or a file as itself.
void RemoveHeld(HeldEntry& held, const std::string& path, Privileges& privileges) {
  std::uint32_t attributes = 0;
  std::uint32_t error = held.Attributes(&attributes);
  if (!error && (attributes & (kAttrDirectory | kAttrReparsePoint)) == kAttrDirectory) {
    // Listed through the handle: a listing by path would be refused while
    // the folder is held without delete sharing.
    std::vector<std::string> names;
    if (const std::uint32_t listed = held.List(&names, kListLimit))
      Log("not listed " + path + ": " + DescribeError(listed));
    for (const std::string& name : names) {
      const std::string child = path + "\\" + name;
      HeldEntry entry;
      std::string final;
      std::uint32_t opened = privileges.Open(entry, child, kAccessDelete | kAccessWriteAttributes);
      if (!opened) opened = entry.FinalPath(&final);
      if (opened)
        Log("kept " + child + ": " + DescribeError(opened));
      else if (!EqualsIgnoreCase(final, child))
        Log("kept " + child + ": it now leads to " + final);
      else
        RemoveHeld(entry, child, privileges);
    }
  }
  if (!error) error = held.Delete();
  if (error) Log("kept " + path + ": " + DescribeError(error));
}

}  // namespace

void CInstallFolder::RemoveMovedAside() {
  if (aside_.empty() || !held_.IsOpen()) return;
  // Its owner may have shut the administrators out of listing it.
  Privileges privileges;
  privileges.Enable();
  std::string final;
  if (const std::uint32_t error = held_.FinalPath(&final))
    Log("kept " + aside_ + ": " + DescribeError(error));
  else
    RemoveHeld(held_, final, privileges);
  held_.Close();
}
