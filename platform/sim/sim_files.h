#pragma once
// The simulated file system behind platform/files.h in the sim build. It
// follows Windows on NTFS where Wine does not: a read-only or hidden target
// refuses to be overwritten, a file can be held open without write sharing,
// a copy takes the source's attributes and alternate data streams, listings
// give "." and ".." first and then the names in NTFS order, names match
// ignoring case, and a folder keeps any further attribute bits.
//
// Each entry has an owner and a DACL (Wine stores neither). A new entry
// takes the inheritable entries of its folder's DACL and the caller's
// default owner; a drive's root carries the DACL of a Windows system drive,
// whose "Authenticated Users: Modify" passes to everything made below it.
// The caller is an elevated administrator unless a test changes Token();
// access to descriptors and listings is checked against it. Links
// (junctions, symbolic links) are followed on the way to an entry, by
// listings, copies and descriptor reads, not by attribute reads, removal
// and entries held by handle (which open the link itself).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/security.h"

namespace platform::sim {

// The caller's access token.
struct SimToken {
  std::string user;                  // the user's SID
  std::vector<std::string> groups;   // enabled group SIDs
  std::vector<std::string> owners;   // SIDs it may make owner: the user, Administrators if elevated
  std::string defaultOwner;          // owner of what it creates
  std::set<std::string> held;        // privileges the token holds
  std::set<std::string> enabled;     // of those, the enabled ones
  bool Has(const std::string& sid) const;
};
// An elevated administrator: the user S-1-5-21-1-2-3-1001 with
// Administrators, Users, Authenticated Users and Everyone, default owner
// Administrators, holding SeRestorePrivilege and
// SeBackupPrivilege, none enabled.
SimToken ElevatedAdministrator();
// The same user without elevation: no Administrators, no privileges, owner
// and default owner the user.
SimToken StandardUser();

struct FsNode {
  std::string name;  // as created
  std::uint32_t attributes = 0;
  // Owner and DACL; hard links of one file share it, so their number is its
  // use count.
  std::shared_ptr<FileSecurity> security;
  std::string linkTarget;  // a link (attribute 0x400): the path it leads to
  std::string data;                            // files only
  std::map<std::string, std::string> streams;  // alternate data streams, by upper-cased name
  bool heldOpen = false;  // another process holds it open without write sharing
  // Another process holds it open for deletion or renaming (DELETE access):
  // an open that does not share deletion fails.
  bool heldForDelete = false;
  int handles = 0;        // this program's FileHandles open on it (read sharing at most)
  // Nobody may write, rename or delete it now.
  bool Busy() const { return heldOpen || handles > 0; }
  bool noSecurity = false;  // a drive's root: its volume keeps no owners or DACLs (FAT)
  FsNode* parent = nullptr;
  std::vector<std::unique_ptr<FsNode>> children;  // folders only, in creation order
  bool IsFolder() const { return (attributes & 0x10) != 0; }
};

class SimFiles {
 public:
  static SimFiles& Get();
  // An empty drive C: (and nothing else), current folder C:\, executable
  // C:\SetUp.exe, empty call log.
  void Reset();

  // Test controls. Paths are absolute; missing parent folders are created
  // on the way (attributes 0x10).
  void AddDrive(char letter);
  FsNode* AddFolder(const std::string& path, std::uint32_t attributes = 0x10);
  FsNode* AddFile(const std::string& path, const std::string& data = "",
                  std::uint32_t attributes = 0x20);
  bool AddStream(const std::string& path, const std::string& stream, const std::string& data);
  bool HasStream(const std::string& path, const std::string& stream) const;
  bool SetHeldOpen(const std::string& path, bool held);
  // A junction (folder = true) or a file symbolic link at `path` that leads
  // to `target`.
  FsNode* AddLink(const std::string& path, const std::string& target, bool folder);
  // A second name of an existing file.
  FsNode* AddHardLink(const std::string& existing, const std::string& path);
  // The descriptor of an entry (links not followed), or null.
  FileSecurity* Security(const std::string& path) const;
  SimToken& Token() { return token_; }
  // The node at a path (ignoring case), or null.
  FsNode* Find(const std::string& path) const;
  // Names of a folder's entries in listing order (without "." and "..").
  std::vector<std::string> List(const std::string& folder) const;

  // Paths passed to DeleteAtRestart, in call order; Restart() deletes them
  // in that order as Windows does at the next start (a folder only when it
  // is empty by then) and empties the list.
  const std::vector<std::string>& PendingDeletes() const { return pendingDeletes_; }
  void Restart();

  void SetExecutablePath(std::string path) { exePath_ = std::move(path); }
  // What the running image holds in memory; a file of other content at the
  // executable's path fails HoldRunningImage (replaced before the start).
  // Unset (by Reset): whatever the file holds.
  void SetMappedImage(std::string data) { mappedImage_ = std::move(data); mapped_ = true; }
  const std::string& ExecutablePath() const { return exePath_; }
  void SetCurrentFolder(std::string path) { current_ = std::move(path); }
  const std::string& CurrentFolder() const { return current_; }

  // Runs at the start of each MakeSecuredFolder, with its path: another
  // program acting between the installer's check and its creation.
  std::function<void(const std::string&)> beforeMakeFolder;

  // Every file-system call since the last reset, as "<Win32 name> <args>".
  const std::vector<std::string>& Log() const { return log_; }
  int OpenListings() const { return openListings_; }

 private:
  friend class FileSystem;  // platform/sim/file_system.h
  SimFiles();
  // Splits a path into its drive and names (relative paths against the
  // current folder) and the stream name after ":" in the last name; false
  // for a path that names nothing.
  bool Split(const std::string& path, std::vector<std::string>* names, std::string* stream) const;
  // Links on the way are followed, a link at the end is not.
  FsNode* Walk(const std::vector<std::string>& names) const;
  FsNode* Drive(const std::string& name) const;
  // The entry a link leads to (the node itself when it is none); null for a
  // link to nothing or a loop.
  FsNode* Follow(FsNode* node) const;
  // The path of an entry from its drive, as the names were created: the
  // final path, with no link in it.
  static std::string PathOf(const FsNode* node);
  // A new entry of a folder, with the descriptor it inherits.
  FsNode* NewChild(FsNode* folder, const std::string& name, std::uint32_t attributes);

  std::vector<std::unique_ptr<FsNode>> drives_;
  std::string exePath_;
  std::string mappedImage_;
  bool mapped_ = false;
  std::string current_;
  std::vector<std::string> pendingDeletes_;
  std::vector<std::string> log_;
  int openListings_ = 0;
  SimToken token_;
};

}  // namespace platform::sim
