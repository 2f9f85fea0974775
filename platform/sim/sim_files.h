#pragma once
// The simulated file system behind platform/files.h in the sim build. It
// follows Windows on NTFS where Wine does not: a read-only or hidden target
// refuses to be overwritten, a file can be held open without write sharing,
// a copy takes the source's attributes and alternate data streams, listings
// give "." and ".." first and then the names in NTFS order, names match
// ignoring case, and a folder keeps any further attribute bits.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::sim {

struct FsNode {
  std::string name;  // as created
  std::uint32_t attributes = 0;
  std::string data;                            // files only
  std::map<std::string, std::string> streams;  // alternate data streams, by upper-cased name
  bool heldOpen = false;  // another process holds it open without write sharing
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
  // The node at a path (ignoring case), or null.
  FsNode* Find(const std::string& path) const;
  // Names of a folder's entries in listing order (without "." and "..").
  std::vector<std::string> List(const std::string& folder) const;

  // Paths passed to DeleteAtRestart, in call order; Restart() deletes them
  // in that order as Windows does at the next start (a folder only when it
  // is empty by then) and empties the list.
  const std::vector<std::string>& PendingDeletes() const { return pendingDeletes_; }
  void AddPendingDelete(std::string path) { pendingDeletes_.push_back(std::move(path)); }
  void Restart();
  // TempFolder()'s answer ("C:\Temp" after a reset, a folder that exists).
  void SetTempFolder(std::string path) { temp_ = std::move(path); }
  const std::string& TempFolder() const { return temp_; }

  void SetExecutablePath(std::string path) { exePath_ = std::move(path); }
  const std::string& ExecutablePath() const { return exePath_; }
  void SetCurrentFolder(std::string path) { current_ = std::move(path); }
  const std::string& CurrentFolder() const { return current_; }

  // Every file-system call since the last reset, as "<Win32 name> <args>".
  const std::vector<std::string>& Log() const { return log_; }
  void Record(std::string call) { log_.push_back(std::move(call)); }
  int OpenListings() const { return openListings_; }
  void ListingOpened() { ++openListings_; }
  void ListingClosed() { --openListings_; }

  // Used by the implementation: splits a path into its drive and names
  // (relative paths against the current folder) and the stream name after
  // ":" in the last name; false for a path that names nothing.
  bool Split(const std::string& path, std::vector<std::string>* names, std::string* stream) const;
  FsNode* Walk(const std::vector<std::string>& names) const;
  FsNode* Drive(const std::string& name) const;

 private:
  SimFiles();
  std::vector<std::unique_ptr<FsNode>> drives_;
  std::string exePath_;
  std::string current_;
  std::string temp_;
  std::vector<std::string> pendingDeletes_;
  std::vector<std::string> log_;
  int openListings_ = 0;
};

// Sorts a folder's children as NTFS lists them.
std::vector<FsNode*> InListingOrder(const FsNode& folder);

}  // namespace platform::sim
