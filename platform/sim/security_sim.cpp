#include <algorithm>
#include <set>

#include "platform/security.h"
#include "platform/sim/file_system.h"

namespace platform {

namespace sim {

namespace {
const char* const kSidEveryone = "S-1-1-0";
const char* const kUserSid = "S-1-5-21-1-2-3-1001";
const char* const kPrivilegeBackup = "SeBackupPrivilege";
}  // namespace

bool SimToken::Has(const std::string& sid) const {
  return sid == user || std::find(groups.begin(), groups.end(), sid) != groups.end();
}

SimToken ElevatedAdministrator() {
  SimToken t;
  t.user = kUserSid;
  t.groups = {kSidAdministrators, kSidUsers, kSidAuthenticatedUsers, kSidEveryone};
  t.owners = {kUserSid, kSidAdministrators};
  t.defaultOwner = kSidAdministrators;
  t.held = {kPrivilegeTakeOwnership, kPrivilegeRestore, kPrivilegeBackup};
  return t;
}

SimToken StandardUser() {
  SimToken t;
  t.user = kUserSid;
  t.groups = {kSidUsers, kSidAuthenticatedUsers, kSidEveryone};
  t.owners = {kUserSid};
  t.defaultOwner = kUserSid;
  return t;
}

std::vector<Ace> InheritedAces(const FileSecurity& parent, bool folder) {
  std::vector<Ace> out;
  for (const Ace& ace : parent.dacl) {
    const bool once = (ace.flags & kAceNoPropagate) != 0;
    Ace child = ace;
    if (!folder) {
      if (!(ace.flags & kAceObjectInherit)) continue;
      child.flags = kAceInherited;
    } else if (ace.flags & kAceContainerInherit) {
      // Applies to the folder, and passes on unless it is for one level.
      child.flags = kAceInherited | (once ? 0 : (ace.flags & kAceInheritAll));
    } else if ((ace.flags & kAceObjectInherit) && !once) {
      // Only for the files further down.
      child.flags = kAceInherited | kAceInheritOnly | kAceObjectInherit;
    } else {
      continue;
    }
    out.push_back(child);
  }
  return out;
}

std::uint32_t GrantedAccess(const FileSecurity& s, const SimToken& token) {
  const bool owner = token.Has(s.owner);
  const bool ownerRightsListed = std::any_of(s.dacl.begin(), s.dacl.end(), [](const Ace& a) {
    return a.sid == kSidOwnerRights && !(a.flags & kAceInheritOnly);
  });
  std::uint32_t granted = owner && !ownerRightsListed ? kAccessReadControl | kAccessWriteDac : 0;
  std::uint32_t denied = 0;
  for (const Ace& ace : s.dacl) {
    if (ace.flags & kAceInheritOnly) continue;
    if (!token.Has(ace.sid) && !(owner && ace.sid == kSidOwnerRights)) continue;
    if (ace.type == kAceDeny)
      denied |= ace.mask & ~granted;
    else
      granted |= ace.mask & ~denied;
  }
  const auto on = [&](const char* p) { return token.enabled.count(p) != 0; };
  if (on(kPrivilegeTakeOwnership)) granted |= kAccessWriteOwner;
  if (on(kPrivilegeRestore)) granted |= kAccessWriteOwner | kAccessWriteDac;
  if (on(kPrivilegeBackup)) granted |= kAccessListFolder | kAccessReadControl;
  return granted;
}

namespace {

// The entry a security call names: 0, or the error of opening it for a
// missing entry or a missing folder on the way. A link at the end is
// followed only when `follow` is set.
std::uint32_t Target(const char* path, bool follow, FsNode** node) {
  FileSystem& fs = FileSystem::Get();
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || !stream.empty()) return kErrorFileNotFound;
  std::vector<std::string> up(names.begin(), names.end() - 1);
  if (up.size() > 0) {
    const FsNode* folder = fs.Follow(fs.Walk(up));
    if (!folder || !folder->IsFolder()) return kErrorPathNotFound;
  }
  *node = fs.Walk(names);
  if (follow) *node = fs.Follow(*node);
  return *node ? 0u : std::uint32_t{kErrorFileNotFound};
}

}  // namespace
}  // namespace sim

using sim::FsNode;
using sim::FileSystem;

std::uint32_t SetFileOwner(const char* path, const char* ownerSid) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("SetKernelObjectSecurity ") + path + " owner " + ownerSid);
  FsNode* node = nullptr;
  if (const std::uint32_t r = sim::Target(path, false, &node)) return r;
  const sim::SimToken& token = fs.Token();
  if (!(sim::GrantedAccess(*node->security, token) & kAccessWriteOwner)) return kErrorAccessDenied;
  const bool anyOwner = token.enabled.count(kPrivilegeRestore) != 0;
  if (!anyOwner &&
      std::find(token.owners.begin(), token.owners.end(), ownerSid) == token.owners.end())
    return kErrorInvalidOwner;
  node->security->owner = ownerSid;
  return 0;
}

std::uint32_t SetFileDacl(const char* path, const std::vector<Ace>& aces, bool protect) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("SetKernelObjectSecurity ") + path +
            (protect ? " protected dacl" : " dacl"));
  FsNode* node = nullptr;
  if (const std::uint32_t r = sim::Target(path, false, &node)) return r;
  if (!(sim::GrantedAccess(*node->security, fs.Token()) & kAccessWriteDac))
    return kErrorAccessDenied;
  node->security->dacl = aces;
  node->security->protectedDacl = protect;
  return 0;
}

std::uint32_t EnablePrivilege(const char* name, bool enable) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("AdjustTokenPrivileges ") + name + (enable ? " on" : " off"));
  // Names LookupPrivilegeValueA knows (a part of them).
  static const std::set<std::string> kKnown = {
      "SeBackupPrivilege",       "SeRestorePrivilege",     "SeTakeOwnershipPrivilege",
      "SeSecurityPrivilege",     "SeDebugPrivilege",       "SeShutdownPrivilege",
      "SeChangeNotifyPrivilege", "SeLoadDriverPrivilege",  "SeCreateSymbolicLinkPrivilege",
      "SeImpersonatePrivilege",  "SeManageVolumePrivilege"};
  const std::string privilege = name;
  if (!kKnown.count(privilege)) return 1313;  // ERROR_NO_SUCH_PRIVILEGE
  sim::SimToken& token = fs.Token();
  if (!token.held.count(privilege)) return kErrorNotAllAssigned;
  if (enable)
    token.enabled.insert(privilege);
  else
    token.enabled.erase(privilege);
  return 0;
}

}  // namespace platform
