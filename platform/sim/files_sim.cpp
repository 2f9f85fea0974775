#include <algorithm>
#include <cstring>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_text.h"

namespace platform {
namespace sim {

SimFiles& SimFiles::Get() {
  static SimFiles files;
  return files;
}

SimFiles::SimFiles() { Reset(); }

void SimFiles::Reset() {
  drives_.clear();
  AddDrive('C');
  exePath_ = "C:\\SetUp.exe";
  current_ = "C:\\";
  temp_ = "C:\\Temp";
  pendingDeletes_.clear();
  log_.clear();
  openListings_ = 0;
  token_ = ElevatedAdministrator();
  // The temporary folder exists, as on every Windows.
  NewChild(drives_.front().get(), "Temp", kAttrDirectory);
}

void SimFiles::AddDrive(char letter) {
  std::string name(1, letter);
  name += ':';
  if (Drive(name)) return;
  auto drive = std::make_unique<FsNode>();
  drive->name = UpperCase(name);
  drive->attributes = kAttrDirectory;
  // The root of a Windows system drive: owned by TrustedInstaller, and
  // every signed-in user may create folders here and modify what is below.
  drive->security = std::make_shared<FileSecurity>();
  drive->security->owner = "S-1-5-80-956008885-3426868331-1625414380-1960052270-2063570493";
  drive->security->protectedDacl = true;
  drive->security->dacl = {
      {kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
      {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
      {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers},
      {kAceAllow, kAceInheritAll | kAceInheritOnly, kAccessModify, kSidAuthenticatedUsers},
      {kAceAllow, 0, kAccessAddSubfolder, kSidAuthenticatedUsers},
  };
  drives_.push_back(std::move(drive));
}

FsNode* SimFiles::Drive(const std::string& name) const {
  for (const auto& d : drives_)
    if (SameName(d->name, name)) return d.get();
  return nullptr;
}

bool SimFiles::Split(const std::string& path, std::vector<std::string>* names,
                     std::string* stream) const {
  std::string full = path;
  const bool hasDrive = full.size() >= 2 && full[1] == ':' && CharLength(full, 0) == 1;
  if (!hasDrive) {
    if (!full.empty() && full[0] == '\\')
      full = current_.substr(0, 2) + full;
    else
      full = current_ + "\\" + full;
  }
  names->clear();
  stream->clear();
  std::size_t start = 0;
  for (std::size_t pos = 0; pos <= full.size(); pos += CharLength(full, pos)) {
    if (pos < full.size() && full[pos] != '\\') continue;
    std::string name = full.substr(start, pos - start);
    start = pos + 1;
    if (name.empty() || name == ".") {
    } else if (name == "..") {
      if (names->size() > 1) names->pop_back();
    } else {
      names->push_back(name);
    }
    if (pos == full.size()) break;
  }
  if (names->empty()) return false;
  // A stream name follows the first ":" of the last name (not the drive's).
  if (names->size() > 1) {
    std::string& last = names->back();
    for (std::size_t pos = 0; pos < last.size(); pos += CharLength(last, pos)) {
      if (last[pos] == ':' && CharLength(last, pos) == 1) {
        *stream = last.substr(pos + 1);
        last.resize(pos);
        if (last.empty() || stream->empty()) return false;
        break;
      }
    }
  }
  return true;
}

FsNode* SimFiles::Follow(FsNode* node) const {
  // Links to links, and loops, end after a few steps.
  static int depth = 0;
  if (!node || node->linkTarget.empty()) return node;
  if (depth > 8) return nullptr;
  ++depth;
  FsNode* target = Follow(Find(node->linkTarget));
  --depth;
  return target;
}

FsNode* SimFiles::Walk(const std::vector<std::string>& names) const {
  if (names.empty()) return nullptr;
  FsNode* node = Drive(names[0]);
  for (std::size_t i = 1; node && i < names.size(); ++i) {
    node = Follow(node);
    if (!node) break;
    FsNode* next = nullptr;
    for (const auto& child : node->children)
      if (SameName(child->name, names[i])) next = child.get();
    node = next;
  }
  return node;
}

FsNode* SimFiles::Find(const std::string& path) const {
  std::vector<std::string> names;
  std::string stream;
  if (!Split(path, &names, &stream) || !stream.empty()) return nullptr;
  return Walk(names);
}

FsNode* SimFiles::NewChild(FsNode* folder, const std::string& name, std::uint32_t attributes) {
  folder->children.push_back(std::make_unique<FsNode>());
  FsNode* node = folder->children.back().get();
  node->name = name;
  node->attributes = attributes;
  node->parent = folder;
  node->security = std::make_shared<FileSecurity>();
  node->security->owner = token_.defaultOwner;
  if (folder->security)
    node->security->dacl = InheritedAces(*folder->security, node->IsFolder());
  return node;
}

namespace {
FsNode* Child(FsNode* folder, const std::string& name) {
  for (const auto& child : folder->children)
    if (SameName(child->name, name)) return child.get();
  return nullptr;
}

// The folder of a path whose names are given, created on the way when
// `create` is set.
FsNode* Parent(const std::vector<std::string>& names, bool create) {
  SimFiles& fs = SimFiles::Get();
  FsNode* node = fs.Drive(names[0]);
  for (std::size_t i = 1; node && i + 1 < names.size(); ++i) {
    FsNode* next = Child(node, names[i]);
    if (!next && create) next = fs.NewChild(node, names[i], kAttrDirectory);
    if (next && !next->IsFolder()) return nullptr;
    node = fs.Follow(next);
  }
  return fs.Follow(node);
}
}  // namespace

FsNode* SimFiles::AddFolder(const std::string& path, std::uint32_t attributes) {
  std::vector<std::string> names;
  std::string stream;
  if (!Split(path, &names, &stream) || !stream.empty() || names.size() < 2) return nullptr;
  FsNode* parent = Parent(names, true);
  if (!parent) return nullptr;
  FsNode* node = Child(parent, names.back());
  if (!node) node = NewChild(parent, names.back(), kAttrDirectory);
  node->attributes = attributes | kAttrDirectory;
  return node;
}

FsNode* SimFiles::AddFile(const std::string& path, const std::string& data,
                          std::uint32_t attributes) {
  std::vector<std::string> names;
  std::string stream;
  if (!Split(path, &names, &stream) || !stream.empty() || names.size() < 2) return nullptr;
  FsNode* parent = Parent(names, true);
  if (!parent) return nullptr;
  FsNode* node = Child(parent, names.back());
  if (node && node->IsFolder()) return nullptr;
  if (!node) node = NewChild(parent, names.back(), 0);
  node->attributes = attributes & ~static_cast<std::uint32_t>(kAttrDirectory);
  node->data = data;
  return node;
}

bool SimFiles::AddStream(const std::string& path, const std::string& stream,
                         const std::string& data) {
  FsNode* node = Find(path);
  if (!node || node->IsFolder()) return false;
  node->streams[UpperCase(stream)] = data;
  return true;
}

bool SimFiles::HasStream(const std::string& path, const std::string& stream) const {
  const FsNode* node = Find(path);
  return node && node->streams.count(UpperCase(stream)) != 0;
}

bool SimFiles::SetHeldOpen(const std::string& path, bool held) {
  FsNode* node = Find(path);
  if (!node) return false;
  node->heldOpen = held;
  return true;
}

FsNode* SimFiles::AddLink(const std::string& path, const std::string& target, bool folder) {
  FsNode* node = folder ? AddFolder(path) : AddFile(path);
  if (!node || !node->children.empty()) return nullptr;
  node->attributes |= kAttrReparsePoint;
  node->linkTarget = target;
  return node;
}

FsNode* SimFiles::AddHardLink(const std::string& existing, const std::string& path) {
  FsNode* file = Find(existing);
  if (!file || file->IsFolder() || Find(path)) return nullptr;
  FsNode* node = AddFile(path, file->data, file->attributes);
  if (node) node->security = file->security;
  return node;
}

FileSecurity* SimFiles::Security(const std::string& path) const {
  const FsNode* node = Find(path);
  return node ? node->security.get() : nullptr;
}

std::vector<FsNode*> InListingOrder(const FsNode& folder) {
  std::vector<FsNode*> out;
  for (const auto& child : folder.children) out.push_back(child.get());
  std::stable_sort(out.begin(), out.end(),
                   [](const FsNode* a, const FsNode* b) { return NameLess(a->name, b->name); });
  return out;
}

std::vector<std::string> SimFiles::List(const std::string& folder) const {
  std::vector<std::string> out;
  const FsNode* node = Find(folder);
  if (!node || !node->IsFolder()) return out;
  for (const FsNode* child : InListingOrder(*node)) out.push_back(child->name);
  return out;
}

void SimFiles::Restart() {
  std::vector<std::string> pending;
  pending.swap(pendingDeletes_);
  for (const std::string& path : pending) {
    FsNode* node = Find(path);
    if (!node || !node->parent || (node->IsFolder() && !node->children.empty())) continue;
    auto& siblings = node->parent->children;
    siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                                [node](const std::unique_ptr<FsNode>& n) { return n.get() == node; }));
  }
}

namespace {
void Detach(FsNode* node, std::unique_ptr<FsNode>* out) {
  auto& siblings = node->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [node](const std::unique_ptr<FsNode>& n) { return n.get() == node; });
  if (out) *out = std::move(*it);
  siblings.erase(it);
}
}  // namespace

}  // namespace sim

namespace {
using sim::FsNode;
using sim::SimFiles;

struct Listing {
  std::vector<FindEntry> entries;
  std::size_t next = 0;
};

// A file without any attribute reports FILE_ATTRIBUTE_NORMAL.
std::uint32_t Reported(std::uint32_t attributes) { return attributes ? attributes : kAttrNormal; }

FindEntry Entry(const std::string& name, std::uint32_t attributes) {
  FindEntry e;
  e.attributes = Reported(attributes);
  std::strncpy(e.name, name.c_str(), sizeof e.name - 1);
  return e;
}

bool IsWildcardAll(const std::string& name) { return name == "*" || name == "*.*"; }

bool HasWildcard(const std::string& text) {
  return text.find('*') != std::string::npos || text.find('?') != std::string::npos;
}
}  // namespace

bool FileFinder::First(const char* pattern, FindEntry* entry) {
  Close();
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("FindFirstFileA ") + pattern);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(pattern, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  auto listing = std::make_unique<Listing>();
  const std::string last = names.back();
  if (IsWildcardAll(last)) {
    names.pop_back();
    const FsNode* folder = fs.Follow(fs.Walk(names));
    if (!folder || !folder->IsFolder()) return false;
    if (!(sim::GrantedAccess(*folder->security, fs.Token()) & kAccessListFolder)) return false;
    if (folder->parent) {  // a drive's root has no "." and ".."
      listing->entries.push_back(Entry(".", folder->attributes));
      listing->entries.push_back(Entry("..", folder->parent->attributes));
    }
    for (const FsNode* child : sim::InListingOrder(*folder))
      listing->entries.push_back(Entry(child->name, child->attributes));
  } else if (HasWildcard(last)) {
    return false;  // no other patterns are needed
  } else {
    const FsNode* node = fs.Walk(names);
    if (!node) return false;
    listing->entries.push_back(Entry(node->name, node->attributes));
  }
  if (listing->entries.empty()) return false;
  *entry = listing->entries[0];
  listing->next = 1;
  handle_ = listing.release();
  fs.ListingOpened();
  return true;
}

bool FileFinder::Next(FindEntry* entry) {
  auto* listing = static_cast<Listing*>(handle_);
  if (!listing || listing->next >= listing->entries.size()) return false;
  *entry = listing->entries[listing->next++];
  return true;
}

void FileFinder::Close() {
  if (!handle_) return;
  delete static_cast<Listing*>(handle_);
  handle_ = nullptr;
  SimFiles::Get().ListingClosed();
}

std::uint32_t ReadAttributes(const char* path) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("GetFileAttributesA ") + path);
  const FsNode* node = fs.Find(path);
  return node ? Reported(node->attributes) : kInvalidAttributes;
}

bool WriteAttributes(const char* path, std::uint32_t attributes) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("SetFileAttributesA ") + path + " " + std::to_string(attributes));
  FsNode* node = fs.Find(path);
  if (!node) return false;
  // The folder bit belongs to the entry's kind; FILE_ATTRIBUTE_NORMAL alone
  // means no attribute.
  attributes &= ~static_cast<std::uint32_t>(kAttrDirectory | kAttrNormal);
  node->attributes = attributes | (node->IsFolder() ? std::uint32_t{kAttrDirectory} : std::uint32_t{0});
  return true;
}

bool RemoveFile(const char* path) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("DeleteFileA ") + path);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || names.size() < 2) return false;
  FsNode* node = fs.Walk(names);
  if (!node || node->IsFolder()) return false;
  if (!stream.empty()) return node->streams.erase(sim::UpperCase(stream)) != 0;
  if ((node->attributes & kAttrReadOnly) || node->heldOpen) return false;
  if (node == fs.Find(fs.ExecutablePath())) return false;  // the running image: access denied
  sim::Detach(node, nullptr);
  return true;
}

bool CopyOneFile(const char* from, const char* to, bool failIfExists) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("CopyFileA ") + from + " " + to);
  const FsNode* source = fs.Find(from);
  if (!source || source->IsFolder()) return false;
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(to, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  FsNode* target = fs.Walk(names);
  if (target && !target->linkTarget.empty()) {  // a link: the copy writes what it leads to
    target = fs.Follow(target);
    if (!target) return false;
  }
  if (target == source) return false;  // sharing violation on itself
  if (target) {
    if (failIfExists || target->IsFolder() || target->heldOpen) return false;
    if (target->attributes & (kAttrReadOnly | kAttrHidden)) return false;  // access denied
  } else {
    FsNode* parent = sim::Parent(names, false);
    if (!parent) return false;
    target = fs.NewChild(parent, names.back(), 0);
  }
  target->attributes = source->attributes;
  target->data = source->data;
  target->streams = source->streams;
  return true;
}

bool MakeFolder(const char* path) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("CreateDirectoryA ") + path);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  FsNode* parent = sim::Parent(names, false);
  if (!parent || fs.Walk(names)) return false;
  fs.NewChild(parent, names.back(), kAttrDirectory);
  return true;
}

bool RemoveFolder(const char* path) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("RemoveDirectoryA ") + path);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  FsNode* node = fs.Walk(names);
  if (!node || !node->IsFolder() || !node->children.empty()) return false;
  if (node == fs.Find(fs.CurrentFolder())) return false;  // in use as the current folder
  auto& siblings = node->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [node](const auto& n) { return n.get() == node; }));
  return true;
}

std::uint32_t LinkCount(const char* path) {
  const FsNode* node = SimFiles::Get().Find(path);
  return node ? static_cast<std::uint32_t>(node->security.use_count()) : 0;
}

bool PathExists(const char* path) { return SimFiles::Get().Find(path) != nullptr; }

bool MoveOneFile(const char* from, const char* to) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("MoveFileExA ") + from + " " + to);
  FsNode* source = fs.Find(from);
  std::vector<std::string> names, sourceNames;
  std::string stream;
  if (!source || !source->parent || source->heldOpen) return false;
  if (!fs.Split(to, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  if (!fs.Split(from, &sourceNames, &stream) || !sim::SameName(names[0], sourceNames[0]))
    return false;  // another volume
  if (fs.Walk(names)) return false;
  FsNode* parent = sim::Parent(names, false);
  if (!parent || !parent->IsFolder()) return false;
  for (const FsNode* up = parent; up; up = up->parent)
    if (up == source) return false;  // into itself
  std::unique_ptr<FsNode> moved;
  sim::Detach(source, &moved);
  moved->name = names.back();
  moved->parent = parent;
  parent->children.push_back(std::move(moved));
  return true;
}

bool DeleteAtRestart(const char* path) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("MoveFileExA ") + path + " NULL MOVEFILE_DELAY_UNTIL_REBOOT");
  fs.AddPendingDelete(path);
  return true;
}

bool FileSize(const char* path, std::uint64_t* size) {
  const FsNode* node = SimFiles::Get().Find(path);
  if (!node || node->IsFolder()) return false;
  *size = node->data.size();
  return true;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::string* data) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("ReadFile ") + path);
  const FsNode* node = fs.Find(path);
  if (!node || node->IsFolder() || node->heldOpen || node->data.size() > limit) return false;
  *data = node->data;
  return true;
}

bool WriteWholeFile(const char* path, const std::string& data) {
  SimFiles& fs = SimFiles::Get();
  fs.Record(std::string("WriteFile ") + path);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || !stream.empty() || names.size() < 2) return false;
  FsNode* node = fs.Walk(names);
  if (node) {
    if (node->IsFolder() || node->heldOpen) return false;
    if (node->attributes & (kAttrReadOnly | kAttrHidden)) return false;  // access denied
  } else {
    FsNode* parent = sim::Parent(names, false);
    if (!parent) return false;
    node = fs.NewChild(parent, names.back(), 0);
  }
  node->attributes = kAttrArchive;
  node->data = data;
  node->streams.clear();
  return true;
}

std::string TempFolder() { return SimFiles::Get().TempFolder(); }

bool ChangeCurrentFolder(const char* path) {
  SimFiles& fs = SimFiles::Get();
  const FsNode* node = fs.Find(path);
  if (!node || !node->IsFolder()) return false;
  fs.SetCurrentFolder(path);
  return true;
}

std::string ExecutablePath() {
  SimFiles& fs = SimFiles::Get();
  fs.Record("GetModuleFileNameA");
  // GetModuleFileNameA into 261 bytes keeps at most 260 of them.
  return fs.ExecutablePath().substr(0, kPathBuffer);
}

std::string CurrentFolder() { return SimFiles::Get().CurrentFolder(); }

}  // namespace platform
