#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/security.h"
#include "platform/sim/file_system.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text.h"

namespace platform {
namespace sim {

FileSystem& FileSystem::Get() {
  static FileSystem files;
  return files;
}

SimFiles& SimFiles::Get() { return FileSystem::Get(); }

SimFiles::SimFiles() { Reset(); }

void SimFiles::Reset() {
  ReleaseRunningImage();
  beforeMakeFolder = nullptr;
  drives_.clear();
  mappedImage_.clear();
  mapped_ = false;
  AddDrive('C');
  exePath_ = "C:\\SetUp.exe";
  current_ = "C:\\";
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
  drive->security->owner = kSidTrustedInstaller;
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
  for (std::string& name : SplitAtChar(full, '\\')) {
    if (name.empty() || name == ".") {
    } else if (name == "..") {
      if (names->size() > 1) names->pop_back();
    } else {
      names->push_back(std::move(name));
    }
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

std::string SimFiles::PathOf(const FsNode* node) {
  std::string path;
  for (; node && node->parent; node = node->parent) path = "\\" + node->name + path;
  return node ? node->name + (path.empty() ? "\\" : path) : std::string();
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
  FileSystem& fs = FileSystem::Get();
  FsNode* node = fs.Drive(names[0]);
  for (std::size_t i = 1; node && i + 1 < names.size(); ++i) {
    FsNode* next = Child(node, names[i]);
    if (!next && create) next = fs.NewChild(node, names[i], kAttrDirectory);
    if (next && !next->IsFolder()) return nullptr;
    node = fs.Follow(next);
  }
  return fs.Follow(node);
}

// Sorts a folder's children as NTFS lists them.
std::vector<FsNode*> InListingOrder(const FsNode& folder) {
  std::vector<FsNode*> out;
  for (const auto& child : folder.children) out.push_back(child.get());
  std::stable_sort(out.begin(), out.end(),
                   [](const FsNode* a, const FsNode* b) { return NameLess(a->name, b->name); });
  return out;
}

// Takes an entry out of its folder, into `out` when given.
void Detach(FsNode* node, std::unique_ptr<FsNode>* out) {
  auto& siblings = node->parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [node](const std::unique_ptr<FsNode>& n) { return n.get() == node; });
  if (out) *out = std::move(*it);
  siblings.erase(it);
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
    Detach(node, nullptr);
  }
}

}  // namespace sim

namespace {
using sim::FsNode;
using sim::FileSystem;

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

// Further Win32 error codes that the simulated calls leave, as Windows
// does (the ones the program tells apart as platform/security.h names them).
constexpr std::uint32_t kErrorInvalidName = 123, kErrorDirNotEmpty = 145, kErrorDirectory = 267,
                        kErrorNotSameDevice = 17, kErrorFileTooLarge = 223;

// Fails a call with `error` as its last error.
bool Fail(std::uint32_t error) {
  sim::SimSystem::Get().SetLastError(error);
  return false;
}

// The error for a path that names nothing: its folder is missing too, or
// only the entry itself.
std::uint32_t MissingError(const std::vector<std::string>& names) {
  return sim::Parent(names, false) ? kErrorFileNotFound : kErrorPathNotFound;
}

// The names of a path that must not name a stream: false for one that names
// nothing or a stream.
bool PlainNames(const FileSystem& fs, const char* path, std::vector<std::string>* names) {
  std::string stream;
  return fs.Split(path, names, &stream) && stream.empty();
}

bool IsWildcardAll(const std::string& name) { return name == "*" || name == "*.*"; }

bool HasWildcard(const std::string& text) {
  return text.find('*') != std::string::npos || text.find('?') != std::string::npos;
}
}  // namespace

bool FileFinder::First(const char* pattern, FindEntry* entry) {
  Close();
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("FindFirstFileA ") + pattern);
  std::vector<std::string> names;
  if (!PlainNames(fs, pattern, &names) || names.size() < 2) return Fail(kErrorInvalidName);
  auto listing = std::make_unique<Listing>();
  const std::string last = names.back();
  if (IsWildcardAll(last)) {
    names.pop_back();
    const FsNode* folder = fs.Follow(fs.Walk(names));
    if (!folder) return Fail(kErrorPathNotFound);
    if (!folder->IsFolder()) return Fail(kErrorDirectory);
    if (!(sim::GrantedAccess(*folder->security, fs.Token()) & kAccessListFolder))
      return Fail(kErrorAccessDenied);
    if (folder->parent) {  // a drive's root has no "." and ".."
      listing->entries.push_back(Entry(".", folder->attributes));
      listing->entries.push_back(Entry("..", folder->parent->attributes));
    }
    for (const FsNode* child : sim::InListingOrder(*folder))
      listing->entries.push_back(Entry(child->name, child->attributes));
  } else if (HasWildcard(last)) {
    return Fail(kErrorInvalidName);  // no other patterns are needed
  } else {
    const FsNode* node = fs.Walk(names);
    if (!node) return Fail(MissingError(names));
    listing->entries.push_back(Entry(node->name, node->attributes));
  }
  if (listing->entries.empty()) return Fail(kErrorFileNotFound);
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
  FileSystem::Get().ListingClosed();
}

std::uint32_t ReadAttributes(const char* path) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("GetFileAttributesA ") + path);
  std::vector<std::string> names;
  if (!PlainNames(fs, path, &names)) {
    Fail(kErrorInvalidName);
    return kInvalidAttributes;
  }
  const FsNode* node = fs.Walk(names);
  if (!node) {
    Fail(MissingError(names));
    return kInvalidAttributes;
  }
  return Reported(node->attributes);
}

bool WriteAttributes(const char* path, std::uint32_t attributes) {
  FileSystem& fs = FileSystem::Get();
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
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("DeleteFileA ") + path);
  std::vector<std::string> names;
  std::string stream;
  if (!fs.Split(path, &names, &stream) || names.size() < 2) return Fail(kErrorInvalidName);
  FsNode* node = fs.Walk(names);
  if (!node) return Fail(MissingError(names));
  if (node->IsFolder()) return Fail(kErrorAccessDenied);
  if (!stream.empty())
    return node->streams.erase(sim::UpperCase(stream)) != 0 || Fail(kErrorFileNotFound);
  if (node->attributes & kAttrReadOnly) return Fail(kErrorAccessDenied);
  if (node->Busy()) return Fail(kErrorHeldOpen);
  // The running image: its section allows no deletion.
  if (node == fs.Find(fs.ExecutablePath())) return Fail(kErrorAccessDenied);
  sim::Detach(node, nullptr);
  return true;
}

bool CopyOneFile(const char* from, const char* to, bool failIfExists) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("CopyFileA ") + from + " " + to);
  std::vector<std::string> names;
  if (!PlainNames(fs, from, &names)) return Fail(kErrorInvalidName);
  const FsNode* source = fs.Walk(names);
  if (!source) return Fail(MissingError(names));
  if (source->IsFolder()) return Fail(kErrorAccessDenied);
  if (!PlainNames(fs, to, &names) || names.size() < 2) return Fail(kErrorInvalidName);
  FsNode* target = fs.Walk(names);
  if (target && !target->linkTarget.empty()) {  // a link: the copy writes what it leads to
    target = fs.Follow(target);
    if (!target) return Fail(kErrorPathNotFound);
  }
  if (target == source) return Fail(kErrorHeldOpen);  // on itself
  if (target) {
    if (failIfExists) return Fail(kErrorFileExists);
    if (target->IsFolder()) return Fail(kErrorAccessDenied);
    if (target->Busy()) return Fail(kErrorHeldOpen);
    if (target->attributes & (kAttrReadOnly | kAttrHidden)) return Fail(kErrorAccessDenied);
  } else {
    FsNode* parent = sim::Parent(names, false);
    if (!parent) return Fail(kErrorPathNotFound);
    target = fs.NewChild(parent, names.back(), 0);
  }
  target->attributes = source->attributes;
  target->data = source->data;
  target->streams = source->streams;
  return true;
}

bool sim::MakeFolder(const char* path) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("CreateDirectoryA ") + path);
  std::vector<std::string> names;
  if (!PlainNames(fs, path, &names)) return Fail(kErrorInvalidName);
  if (fs.Walk(names)) return Fail(kErrorNameExists);
  if (names.size() < 2) return Fail(kErrorPathNotFound);  // a drive that does not exist
  FsNode* parent = sim::Parent(names, false);
  if (!parent) return Fail(kErrorPathNotFound);
  fs.NewChild(parent, names.back(), kAttrDirectory);
  return true;
}

bool RemoveFolder(const char* path) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("RemoveDirectoryA ") + path);
  std::vector<std::string> names;
  if (!PlainNames(fs, path, &names)) return Fail(kErrorInvalidName);
  FsNode* node = fs.Walk(names);
  if (!node) return Fail(MissingError(names));
  if (!node->IsFolder()) return Fail(kErrorDirectory);
  if (!node->parent) return Fail(kErrorAccessDenied);  // a drive
  if (!node->children.empty()) return Fail(kErrorDirNotEmpty);
  // The current folder of a process is in use.
  if (node == fs.Find(fs.CurrentFolder())) return Fail(kErrorHeldOpen);
  sim::Detach(node, nullptr);
  return true;
}

bool PathExists(const char* path) { return FileSystem::Get().Find(path) != nullptr; }

bool MoveOneFile(const char* from, const char* to) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("MoveFileExA ") + from + " " + to);
  std::vector<std::string> names, sourceNames;
  if (!PlainNames(fs, from, &sourceNames)) return Fail(kErrorInvalidName);
  FsNode* source = fs.Walk(sourceNames);
  if (!source) return Fail(MissingError(sourceNames));
  if (!source->parent) return Fail(kErrorAccessDenied);
  if (source->Busy()) return Fail(kErrorHeldOpen);
  if (!PlainNames(fs, to, &names) || names.size() < 2) return Fail(kErrorInvalidName);
  if (!sim::SameName(names[0], sourceNames[0])) return Fail(kErrorNotSameDevice);
  if (fs.Walk(names)) return Fail(kErrorNameExists);
  FsNode* parent = sim::Parent(names, false);
  if (!parent || !parent->IsFolder()) return Fail(kErrorPathNotFound);
  for (const FsNode* up = parent; up; up = up->parent)
    if (up == source) return Fail(kErrorHeldOpen);  // into itself
  std::unique_ptr<FsNode> moved;
  sim::Detach(source, &moved);
  moved->name = names.back();
  moved->parent = parent;
  parent->children.push_back(std::move(moved));
  return true;
}

bool MoveOverFile(const char* from, const char* to) {
  FileSystem& fs = FileSystem::Get();
  if (FsNode* target = fs.Find(to)) {
    fs.Record(std::string("MoveFileExA ") + from + " " + to + " MOVEFILE_REPLACE_EXISTING");
    if (!fs.Find(from)) return Fail(kErrorFileNotFound);
    if (target->IsFolder() || (target->attributes & kAttrReadOnly)) return Fail(kErrorAccessDenied);
    if (target->Busy()) return Fail(kErrorHeldOpen);
    sim::Detach(target, nullptr);
  }
  return MoveOneFile(from, to);
}

bool DeleteAtRestart(const char* path) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("MoveFileExA ") + path + " NULL MOVEFILE_DELAY_UNTIL_REBOOT");
  fs.AddPendingDelete(path);
  return true;
}

int CancelDeletesAtRestart(const std::function<bool(const std::string&)>& cancel) {
  std::vector<std::string>& pending = FileSystem::Get().PendingDeleteList();
  const std::size_t before = pending.size();
  const auto cancelled = [&](const std::string& path) {
    std::string full;
    return cancel(FullPath(path, &full) ? full : path);
  };
  pending.erase(std::remove_if(pending.begin(), pending.end(), cancelled), pending.end());
  return static_cast<int>(before - pending.size());
}

// As GetFullPathNameW: "/" read as "\", "." and ".." resolved against the
// current folder, trailing dots and blanks of the last name dropped, a
// trailing separator kept.
bool FullPath(const std::string& path, std::string* full) {
  std::string text = path;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos))
    if (text[pos] == '/') text[pos] = '\\';
  std::vector<std::string> names;
  std::string stream;
  if (text.empty() || !FileSystem::Get().Split(text, &names, &stream)) return false;
  std::string& last = names.back();
  while (names.size() > 1 && !last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
  std::string out = names[0];
  for (std::size_t i = 1; i < names.size(); ++i) out += "\\" + names[i];
  if (names.size() == 1 || EndsWithChar(text, '\\')) out += "\\";
  if (!stream.empty()) out += ":" + stream;
  if (out.size() >= kPathBuffer) return false;
  *full = out;
  return true;
}

bool FileSize(const char* path, std::uint64_t* size) {
  const FsNode* node = FileSystem::Get().Find(path);
  if (!node) return Fail(kErrorFileNotFound);
  if (node->IsFolder()) return Fail(kErrorAccessDenied);
  *size = node->data.size();
  return true;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::string* data) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("ReadFile ") + path);
  const FsNode* node = fs.Find(path);
  if (!node) return Fail(kErrorFileNotFound);
  if (node->IsFolder()) return Fail(kErrorAccessDenied);
  if (node->heldOpen) return Fail(kErrorHeldOpen);
  if (node->data.size() > limit) return Fail(kErrorFileTooLarge);
  *data = node->data;
  return true;
}

bool WriteWholeFile(const char* path, const std::string& data) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("WriteFile ") + path);
  std::vector<std::string> names;
  if (!PlainNames(fs, path, &names) || names.size() < 2) return Fail(kErrorInvalidName);
  FsNode* node = fs.Walk(names);
  if (node) {
    if (node->IsFolder() || (node->attributes & (kAttrReadOnly | kAttrHidden)))
      return Fail(kErrorAccessDenied);
    if (node->heldOpen) return Fail(kErrorHeldOpen);
  } else {
    FsNode* parent = sim::Parent(names, false);
    if (!parent) return Fail(kErrorPathNotFound);
    node = fs.NewChild(parent, names.back(), 0);
  }
  node->attributes = kAttrArchive;
  node->data = data;
  node->streams.clear();
  return true;
}

bool ChangeCurrentFolder(const char* path) {
  FileSystem& fs = FileSystem::Get();
  const FsNode* node = fs.Find(path);
  if (!node) return Fail(kErrorFileNotFound);
  if (!node->IsFolder()) return Fail(kErrorDirectory);
  fs.SetCurrentFolder(path);
  return true;
}

std::string ExecutablePath() {
  FileSystem& fs = FileSystem::Get();
  fs.Record("GetModuleFileNameA");
  // GetModuleFileNameA into kPathBuffer + 1 bytes keeps at most kPathBuffer.
  return fs.ExecutablePath().substr(0, kPathBuffer);
}

std::string CurrentFolder() { return FileSystem::Get().CurrentFolder(); }

void SetLastError(std::uint32_t error) { sim::SimSystem::Get().SetLastError(error); }

std::string LongPath(const std::string& path) { return path; }  // no short names here

// A simulated FileHandle: the final path of the entry it has open, found
// again on every use (a path without links leads to the same entry), and
// whether it holds the entry against writing, renaming and deleting.
struct SimHandle {
  std::string path;
  bool counted;
};

namespace {
constexpr std::uint32_t kErrorInvalidHandle = 6, kErrorFileInvalid = 1006;

FsNode* Opened(void* handle) {
  return handle ? FileSystem::Get().Find(static_cast<SimHandle*>(handle)->path) : nullptr;
}

void* NewHandle(FsNode* node, bool counted) {
  node->handles += counted;
  return new SimHandle{FileSystem::PathOf(node), counted};
}

// The entry a CreateFileW without following a final link would open
// (null: LastError set); `names` its path's names.
FsNode* EntryOf(const char* path, const char* how, std::vector<std::string>* names) {
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("CreateFileW ") + path + " " + how);
  if (!PlainNames(fs, path, names) || names->size() < 2) return Fail(kErrorInvalidName), nullptr;
  FsNode* node = fs.Walk(*names);
  if (!node) Fail(MissingError(*names));
  return node;
}
}  // namespace

bool FileHandle::OpenToRead(const char* path) {
  Close();
  std::vector<std::string> names;
  FsNode* node = EntryOf(path, "GENERIC_READ", &names);
  if (!node) return false;
  if (node->IsFolder() && node->linkTarget.empty()) return Fail(kErrorAccessDenied);
  if (node->heldOpen || node->heldForDelete) return Fail(kErrorHeldOpen);
  handle_ = NewHandle(node, true);
  return true;
}

bool FileHandle::OpenFolder(const char* path) {
  Close();
  FileSystem& fs = FileSystem::Get();
  fs.Record(std::string("CreateFileW ") + path + " FILE_FLAG_BACKUP_SEMANTICS");
  FsNode* node = fs.Follow(fs.Find(path));
  if (!node || !node->IsFolder()) return Fail(node ? kErrorDirectory : kErrorPathNotFound);
  if (node->heldForDelete) return Fail(kErrorHeldOpen);  // no delete sharing
  handle_ = NewHandle(node, true);
  return true;
}

bool FileHandle::OpenToDelete(const char* path) {
  Close();
  std::vector<std::string> names;
  FsNode* node = EntryOf(path, "DELETE", &names);
  if (!node) return false;
  // The current folder of a process is open without delete sharing.
  if (node->Busy() || node == FileSystem::Get().Find(FileSystem::Get().CurrentFolder()))
    return Fail(kErrorHeldOpen);
  handle_ = NewHandle(node, false);
  return true;
}

bool FileHandle::OpenNew(const char* path) {
  Close();
  std::vector<std::string> names;
  if (EntryOf(path, "CREATE_NEW", &names)) return Fail(kErrorFileExists);
  FsNode* parent = names.size() < 2 ? nullptr : sim::Parent(names, false);
  if (!parent) return Fail(kErrorPathNotFound);
  handle_ = NewHandle(FileSystem::Get().NewChild(parent, names.back(), kAttrArchive), true);
  return true;
}

bool FileHandle::OpenToWrite(const char* path, bool* created) {
  Close();
  std::vector<std::string> names;
  FsNode* node = EntryOf(path, "GENERIC_WRITE", &names);
  if (created) *created = !node;
  if (!node) {
    FsNode* parent = names.size() < 2 ? nullptr : sim::Parent(names, false);
    if (!parent) return Fail(kErrorPathNotFound);
    node = FileSystem::Get().NewChild(parent, names.back(), kAttrArchive);
  } else if (node->IsFolder() || (node->attributes & (kAttrReadOnly | kAttrHidden))) {
    return Fail(kErrorAccessDenied);
  } else if (node->Busy()) {
    return Fail(kErrorHeldOpen);
  }
  handle_ = NewHandle(node, true);
  return true;
}

bool FileHandle::Facts(HandleFacts* facts) const {
  const FsNode* node = Opened(handle_);
  if (!node) return Fail(kErrorInvalidHandle);
  facts->finalPath = FileSystem::PathOf(node);
  facts->attributes = Reported(node->attributes);
  facts->links = static_cast<std::uint32_t>(node->security.use_count());
  facts->size = node->data.size();
  return true;
}

bool FileHandle::CopyFrom(const FileHandle& source, CopySink* sink) {
  FsNode* from = Opened(source.handle_);
  FsNode* to = Opened(handle_);
  if (!from || !to) return Fail(kErrorInvalidHandle);
  FileSystem::Get().Record("CopyFromHandle " + FileSystem::PathOf(from) + " " +
                           FileSystem::PathOf(to));
  to->data = from->data;
  to->streams.clear();
  if (sink) sink->Take(to->data.data(), to->data.size());
  return true;
}

bool FileHandle::ReadAll(std::size_t limit, std::string* data) const {
  const FsNode* node = Opened(handle_);
  if (!node || node->data.size() > limit) return Fail(node ? kErrorFileTooLarge : kErrorInvalidHandle);
  *data = node->data;
  return true;
}

bool FileHandle::Truncate() {
  FsNode* node = Opened(handle_);
  if (node) node->data.clear();
  return node || Fail(kErrorInvalidHandle);
}

bool FileHandle::Write(std::string_view bytes) {
  FsNode* node = Opened(handle_);
  if (!node) return Fail(kErrorInvalidHandle);
  node->data.append(bytes.data(), bytes.size());
  return true;
}

bool FileHandle::DeleteNow() {
  FileSystem& fs = FileSystem::Get();
  FsNode* node = Opened(handle_);
  if (!node) return Fail(kErrorInvalidHandle);
  fs.Record("SetFileInformationByHandle " + FileSystem::PathOf(node) + " FileDispositionInfo");
  if (node->IsFolder() && !node->children.empty()) return Fail(kErrorDirNotEmpty);
  // The running image: its section allows no deletion.
  if (node == fs.Find(fs.ExecutablePath())) return Fail(kErrorAccessDenied);
  sim::Detach(node, nullptr);
  return true;
}

void FileHandle::Close() {
  auto* handle = static_cast<SimHandle*>(handle_);
  if (!handle) return;
  FsNode* node = handle->counted ? Opened(handle) : nullptr;
  if (node && node->handles > 0) --node->handles;
  delete handle;
  handle_ = nullptr;
}

bool OpenRunningImage(FileHandle& image) {
  FileSystem& fs = FileSystem::Get();
  image.Close();
  FsNode* node = fs.Find(fs.ExecutablePath());
  if (!node || node->IsFolder()) return Fail(kErrorFileNotFound);
  if (node->heldOpen) return Fail(kErrorHeldOpen);
  if (const std::string* mapped = fs.MappedImage(); mapped && *mapped != node->data)
    return Fail(kErrorFileInvalid);
  image.handle_ = NewHandle(node, true);
  return true;
}

}  // namespace platform
