#pragma once
// The simulated registry behind platform::RegKey in the sim build, with the
// controls a test needs beyond the API: keys made unreadable, keys removed
// from under an open handle, and a count of the handles still open.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::sim {

struct RegValue {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

struct RegNode {
  std::string name;  // as it was created
  std::u16string sortKey;  // what names are compared and ordered by
  RegNode* parent = nullptr;
  std::vector<std::shared_ptr<RegNode>> children;  // in enumeration order
  std::vector<RegValue> values;
  bool deleted = false;  // removed while a handle still referred to it
  bool denied = false;   // every open of this key fails with access denied
  // A registry link (REG_OPTION_CREATE_LINK): the key path below
  // HKEY_LOCAL_MACHINE it leads to. Opens and creates through it reach that
  // key (made when missing), unless REG_OPTION_OPEN_LINK asks for the link.
  std::string linkTarget;
};

class SimRegistry {
 public:
  static SimRegistry& Get();

  // Empties HKEY_LOCAL_MACHINE and forgets hooks; open handles keep working
  // on the removed keys as on any deleted key.
  void Reset();

  std::shared_ptr<RegNode> Root() const { return root_; }
  // The key at a path below HKEY_LOCAL_MACHINE, or null.
  std::shared_ptr<RegNode> Find(const std::string& path) const;

  // A registry link at `path` (made with its missing parents) to `target`,
  // as another program could make it.
  std::shared_ptr<RegNode> AddLink(const std::string& path, const std::string& target);
  // Makes every later open of the key fail (access denied), or lifts that.
  bool SetDenied(const std::string& path, bool denied);
  // Removes the key and everything below it, as another program could while
  // this one holds handles to it.
  bool RemoveTree(const std::string& path);
  // Called at the start of every registry operation with its Win32 name.
  void SetCallHook(std::function<void(const char* operation)> hook) { hook_ = std::move(hook); }
  void CallHook(const char* operation) const {
    if (hook_) hook_(operation);
  }

  int OpenHandles() const { return openHandles_; }
  void HandleOpened() { ++openHandles_; }
  void HandleClosed() { --openHandles_; }
  // Registry operations performed since the last Reset (every RegKey call).
  long Calls() const { return calls_; }
  void CountCall() { ++calls_; }

 private:
  SimRegistry();
  std::shared_ptr<RegNode> root_;
  std::function<void(const char*)> hook_;
  int openHandles_ = 0;
  long calls_ = 0;
};

}  // namespace platform::sim
