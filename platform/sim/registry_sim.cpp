#include <algorithm>
#include <cstring>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text.h"

namespace platform {
namespace sim {
namespace {

// Splits a key path at its separators (a second byte 0x5C is not one). One
// trailing "\" is accepted; any other empty component makes the path invalid.
bool SplitPath(const std::string& path, std::vector<std::string>* parts) {
  *parts = SplitAtChar(path, '\\');
  if (parts->back().empty()) parts->pop_back();
  return std::find(parts->begin(), parts->end(), std::string()) == parts->end();
}

std::shared_ptr<RegNode> Child(const RegNode& node, const std::string& name) {
  const std::u16string key = SortKey(name);
  auto it = std::lower_bound(node.children.begin(), node.children.end(), key,
                             [](const auto& child, const std::u16string& k) { return child->sortKey < k; });
  if (it != node.children.end() && (*it)->sortKey == key) return *it;
  return nullptr;
}

void MarkDeleted(RegNode& node) {
  node.deleted = true;
  for (auto& child : node.children) MarkDeleted(*child);
}

}  // namespace

SimRegistry::SimRegistry() { Reset(); }

SimRegistry& SimRegistry::Get() {
  static SimRegistry registry;
  return registry;
}

void SimRegistry::Reset() {
  if (root_) MarkDeleted(*root_);
  root_ = std::make_shared<RegNode>();
  root_->name = "HKEY_LOCAL_MACHINE";
  hook_ = nullptr;
  calls_ = 0;
}

std::shared_ptr<RegNode> SimRegistry::Find(const std::string& path) const {
  std::vector<std::string> parts;
  if (!SplitPath(path, &parts)) return nullptr;
  std::shared_ptr<RegNode> node = root_;
  for (const auto& part : parts) {
    node = Child(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<RegNode> SimRegistry::AddLink(const std::string& path, const std::string& target) {
  RegKey root, key;
  if (!root.OpenLocalMachine() || !key.Create(root, path.c_str())) return nullptr;
  auto node = Find(path);
  node->linkTarget = target;
  return node;
}

bool SimRegistry::SetDenied(const std::string& path, bool denied) {
  auto node = Find(path);
  if (!node) return false;
  node->denied = denied;
  return true;
}

bool SimRegistry::RemoveTree(const std::string& path) {
  auto node = Find(path);
  if (!node || !node->parent) return false;
  auto& siblings = node->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
  MarkDeleted(*node);
  return true;
}

}  // namespace sim

namespace {

using sim::RegNode;
using sim::SimRegistry;

struct SimHandle {
  std::shared_ptr<RegNode> node;
};

RegNode* NodeOf(void* handle) {
  if (!handle) return nullptr;
  RegNode* node = static_cast<SimHandle*>(handle)->node.get();
  return node->deleted ? nullptr : node;
}

void* NewHandle(std::shared_ptr<RegNode> node) {
  SimRegistry::Get().HandleOpened();
  return new SimHandle{std::move(node)};
}

void Enter(const char* operation) {
  SimRegistry::Get().CountCall();
  SimRegistry::Get().CallHook(operation);
}

std::shared_ptr<RegNode> SharedOf(RegNode* node) {
  if (!node->parent) return SimRegistry::Get().Root();
  for (const auto& child : node->parent->children)
    if (child.get() == node) return child;
  return nullptr;
}

// The registry's error codes, left as the last error of a failing call.
constexpr std::uint32_t kErrorFileNotFound = 2, kErrorAccessDenied = 5,
                        kErrorInvalidParameter = 87, kErrorKeyDeleted = 1018;

bool Change() { return sim::SimSystem::Get().Change(); }

std::shared_ptr<RegNode> Fail(std::uint32_t error) {
  sim::SimSystem::Get().SetLastError(error);
  return nullptr;
}

// Walks `path` below `start`; with `create` makes what is missing. A link
// on the way is followed, and so is one at the end unless `openLink`.
std::shared_ptr<RegNode> Walk(RegNode* start, const char* path, bool create, bool openLink = false) {
  if (!start) return Fail(kErrorKeyDeleted);
  std::vector<std::string> parts;
  if (!sim::SplitPath(path ? path : "", &parts)) return Fail(kErrorFileNotFound);
  std::shared_ptr<RegNode> node = SharedOf(start);
  for (const auto& part : parts) {
    // Creating opens every key on the way with the right to add subkeys.
    if (create && node->denied) return Fail(kErrorAccessDenied);
    auto next = sim::Child(*node, part);
    if (!next) {
      if (!create) return Fail(kErrorFileNotFound);
      if (sim::ToUtf16(part).size() > 255) return Fail(kErrorInvalidParameter);
      next = std::make_shared<RegNode>();
      next->name = part;
      next->sortKey = sim::SortKey(part);
      next->parent = node.get();
      auto& kids = node->children;
      kids.insert(std::upper_bound(kids.begin(), kids.end(), next,
                                   [](const auto& a, const auto& b) { return a->sortKey < b->sortKey; }),
                  next);
    }
    node = next;
    if (!node->linkTarget.empty() && !(openLink && &part == &parts.back())) {
      node = Walk(SimRegistry::Get().Root().get(), node->linkTarget.c_str(), create);
      if (!node) return nullptr;
    }
  }
  if (node->denied) return Fail(kErrorAccessDenied);
  return node;
}

sim::RegValue* FindValue(RegNode* node, const char* name) {
  const std::string wanted = name ? name : "";
  for (auto& value : node->values)
    if (sim::SameName(value.name, wanted)) return &value;
  return nullptr;
}

}  // namespace

bool RegKey::OpenLocalMachine() {
  Close();
  Enter("RegOpenKeyA");
  handle_ = NewHandle(SimRegistry::Get().Root());
  return true;
}

bool RegKey::OpenForRead(const RegKey& parent, const char* name) {
  Close();
  Enter("RegOpenKeyExA");
  auto node = Walk(NodeOf(parent.handle_), name, false);
  if (!node) return false;
  handle_ = NewHandle(std::move(node));
  return true;
}

bool RegKey::Open(const RegKey& parent, const char* path) {
  Close();
  Enter("RegOpenKeyA");
  auto node = Walk(NodeOf(parent.handle_), path, false);
  if (!node) return false;
  handle_ = NewHandle(std::move(node));
  return true;
}

bool RegKey::Create(const RegKey& parent, const char* path) {
  Close();
  Enter("RegCreateKeyA");
  // Making a key changes the machine; opening one that exists does not.
  if (!Walk(NodeOf(parent.handle_), path, false) && !Change()) return false;
  auto node = Walk(NodeOf(parent.handle_), path, true);
  if (!node) return false;
  handle_ = NewHandle(std::move(node));
  return true;
}

namespace {
bool OpenLinkItself(void* parent, const char* name, bool create, bool* link, void** handle) {
  Enter(create ? "RegCreateKeyExA REG_OPTION_OPEN_LINK" : "RegOpenKeyExA REG_OPTION_OPEN_LINK");
  if (create && !Walk(NodeOf(parent), name, false, true) && !Change()) return false;
  auto node = Walk(NodeOf(parent), name, create, true);
  if (node) *link = !node->linkTarget.empty(), *handle = NewHandle(std::move(node));
  return *handle != nullptr;
}
}  // namespace

bool RegKey::OpenNoLink(const RegKey& parent, const char* name, bool* link) {
  Close();
  return OpenLinkItself(parent.handle_, name, false, link, &handle_);
}

bool RegKey::CreateNoLink(const RegKey& parent, const char* name, bool* link) {
  Close();
  return OpenLinkItself(parent.handle_, name, true, link, &handle_);
}

bool RegKey::DeleteThis() {
  Enter("RegDeleteKeyA");
  RegNode* node = NodeOf(handle_);
  if (!node || !node->children.empty() || !node->parent || !Change()) return false;
  auto& siblings = node->parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [&](const auto& c) { return c.get() == node; }),
                 siblings.end());
  node->deleted = true;
  return true;
}

void RegKey::Close() {
  if (!handle_) return;
  Enter("RegCloseKey");
  delete static_cast<SimHandle*>(handle_);
  SimRegistry::Get().HandleClosed();
  handle_ = nullptr;
}

std::uint32_t RegKey::SubKeyCount() const {
  Enter("RegQueryInfoKeyA");
  RegNode* node = NodeOf(handle_);
  return node ? static_cast<std::uint32_t>(node->children.size()) : 0;
}

bool RegKey::Counts(std::uint32_t* subKeys, std::uint32_t* values) const {
  Enter("RegQueryInfoKeyA");
  RegNode* node = NodeOf(handle_);
  if (!node) return false;
  *subKeys = static_cast<std::uint32_t>(node->children.size());
  *values = static_cast<std::uint32_t>(node->values.size());
  return true;
}

bool RegKey::EnumSubKey(std::uint32_t index, char (&name)[kRegNameBuffer]) const {
  Enter("RegEnumKeyExA");
  RegNode* node = NodeOf(handle_);
  if (!node || index >= node->children.size()) return false;
  const std::string& found = node->children[index]->name;
  if (found.size() + 1 > kRegNameBuffer) return false;  // ERROR_MORE_DATA
  std::memcpy(name, found.c_str(), found.size() + 1);
  return true;
}

bool RegKey::QueryValue(const char* name, char (&data)[kRegValueBuffer]) const {
  Enter("RegQueryValueExA");
  std::memset(data, 0, sizeof data);
  RegNode* node = NodeOf(handle_);
  const sim::RegValue* value = node ? FindValue(node, name) : nullptr;
  if (!value || value->data.size() > kRegValueBuffer) return false;
  if (value->data.size() == kRegValueBuffer && value->data.back() != '\0') return false;
  std::memcpy(data, value->data.data(), value->data.size());
  return true;
}

bool RegKey::QueryValueRaw(const char* name, std::uint32_t* type, std::string* data) const {
  Enter("RegQueryValueExA");
  RegNode* node = NodeOf(handle_);
  const sim::RegValue* value = node ? FindValue(node, name) : nullptr;
  if (!value) return false;
  if (type) *type = value->type;
  if (data) *data = value->data;
  return true;
}

bool RegKey::SetValue(const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
  Enter("RegSetValueExA");
  if (!Change()) return false;
  RegNode* node = NodeOf(handle_);
  if (!node) {
    Fail(kErrorKeyDeleted);
    return false;
  }
  std::string bytes(static_cast<const char*>(data), size);
  if (sim::RegValue* value = FindValue(node, name)) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    node->values.push_back({name ? name : "", type, std::move(bytes)});
  }
  return true;
}

bool RegKey::DeleteSubKey(const char* name) {
  Enter("RegDeleteKeyA");
  if (!Change()) return false;
  RegNode* node = NodeOf(handle_);
  if (!node || !name || !*name) return false;
  auto target = Walk(node, name, false);
  if (!target || !target->children.empty() || !target->parent) return false;
  auto& siblings = target->parent->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), target), siblings.end());
  target->deleted = true;
  return true;
}

bool RegKey::DeleteValue(const char* name) {
  Enter("RegDeleteValueA");
  RegNode* node = NodeOf(handle_);
  if (!node || !Change()) return false;
  auto& v = node->values;
  const auto it = std::find_if(v.begin(), v.end(), [&](const auto& x) { return sim::SameName(x.name, name ? name : ""); });
  return it != v.end() && (v.erase(it), true);
}

}  // namespace platform
