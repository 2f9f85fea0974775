#include <algorithm>
#include <set>

#include "platform/files.h"
#include "platform/security.h"
#include "platform/sim/file_system.h"
#include "platform/system.h"

namespace platform {

namespace sim {

namespace {
const char* const kUserSid = "S-1-5-21-1-2-3-1001";
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
  t.held = {kPrivilegeRestore, kPrivilegeBackup};
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
  if (on(kPrivilegeRestore))
    granted |= kAccessWriteOwner | kAccessWriteDac | kAccessDelete | kAccessWriteAttributes;
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

std::string ProcessUserSid() { return FileSystem::Get().Token().user; }

// The folder is made by the simulated CreateDirectory, then given its
// descriptor: nothing runs in between.
std::uint32_t MakeSecuredFolder(const char* path, const FileSecurity& security) {
  const sim::SimToken& token = FileSystem::Get().Token();
  if (std::find(token.owners.begin(), token.owners.end(), security.owner) == token.owners.end())
    return kErrorInvalidOwner;
  if (FileSystem::Get().beforeMakeFolder) FileSystem::Get().beforeMakeFolder(path);
  if (!sim::MakeFolder(path)) return LastError();
  *FileSystem::Get().Find(path)->security = security;
  return 0;
}

namespace {
FsNode* Node(void* handle) { return static_cast<FsNode*>(handle); }

bool HeldBelow(const FsNode& node) {
  for (const auto& child : node.children)
    if (child->heldOpen || child->heldForDelete || HeldBelow(*child)) return true;
  return false;
}
}  // namespace

std::uint32_t HeldEntry::Open(const char* path, std::uint32_t access) {
  Close();
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("CreateFileW ") + path + " no delete sharing");
  FsNode* node = nullptr;
  if (const std::uint32_t r = sim::Target(path, false, &node)) return r;
  std::uint32_t granted = sim::GrantedAccess(*node->security, fs.Token());
  // FILE_DELETE_CHILD on the folder gives DELETE on what it holds.
  if (node->parent && (sim::GrantedAccess(*node->parent->security, fs.Token()) & 0x40))
    granted |= kAccessDelete;
  access |= kAccessListFolder;
  if (!node->IsFolder()) granted |= kAccessListFolder;  // reading a file's data: not modelled
  if ((access & granted) != access) return kErrorAccessDenied;
  if (node->heldForDelete || (node->heldOpen && (access & kAccessDelete)))
    return kErrorHeldOpen;
  handle_ = node;
  return 0;
}

std::uint32_t HeldEntry::Attributes(std::uint32_t* attributes) const {
  *attributes = Node(handle_)->attributes;
  return 0;
}

std::uint32_t HeldEntry::ReadSecurity(FileSecurity* security) const {
  *security = *Node(handle_)->security;
  return 0;
}

std::uint32_t HeldEntry::SetDacl(const std::vector<Ace>& aces, bool protect) const {
  FsNode* node = Node(handle_);
  FileSystem::Get().Record("SetKernelObjectSecurity " + node->name + " by handle" +
                           (protect ? " protected dacl" : " dacl"));
  node->security->dacl = aces;
  node->security->protectedDacl = protect;
  return 0;
}

std::uint32_t HeldEntry::List(std::vector<std::string>* names, std::size_t limit) const {
  names->clear();
  for (const auto& child : Node(handle_)->children)
    if (names->size() < limit) names->push_back(child->name);
  return 0;
}

std::uint32_t HeldEntry::VolumeKeepsSecurity(bool* keeps) const {
  const FsNode* node = static_cast<const FsNode*>(handle_);
  while (node->parent) node = node->parent;
  *keeps = !node->noSecurity;
  return 0;
}

std::uint32_t HeldEntry::FinalPath(std::string* path) const {
  std::string out;
  for (const FsNode* n = Node(handle_); n; n = n->parent)
    out = n->parent ? "\\" + n->name + out : n->name + (out.empty() ? "\\" : out);
  *path = out;
  return 0;
}

std::uint32_t HeldEntry::Rename(const char* newPath) const {
  std::string from;
  FinalPath(&from);
  if (HeldBelow(*Node(handle_))) return kErrorAccessDenied;
  return MoveOneFile(from.c_str(), newPath) ? 0 : LastError();
}

std::uint32_t HeldEntry::Delete() {
  std::string path;
  FinalPath(&path);
  FsNode* node = Node(handle_);
  node->attributes &= ~std::uint32_t{kAttrReadOnly};
  if (!(node->IsFolder() ? RemoveFolder(path.c_str()) : RemoveFile(path.c_str())))
    return LastError();
  handle_ = nullptr;
  return 0;
}

void HeldEntry::Close() { handle_ = nullptr; }

}  // namespace platform
