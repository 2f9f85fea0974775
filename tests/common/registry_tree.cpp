#include "common/registry_tree.h"

#include "platform/codepage.h"
#include "platform/registry.h"

namespace testing_support {

RegEntry Sz(std::string key, std::string text, std::string value) {
  std::string data = text;
  data.push_back('\0');
  return {std::move(key), std::move(value), platform::kRegSz, std::move(data)};
}

RegEntry Key(std::string key) { return {std::move(key), "", platform::kRegNone, ""}; }

namespace {
// Creates the key one level at a time: Wine refuses a path argument of more
// than about 255 characters, Windows only a name of more than 255.
bool CreateLevels(const platform::RegKey& root, const std::string& path, platform::RegKey* key) {
  platform::RegKey parent;
  if (!parent.Open(root, "")) return false;
  for (const std::string& name : platform::SplitAtChar(path, '\\')) {
    platform::RegKey child;
    if (!child.Create(parent, name.c_str())) return false;
    parent = std::move(child);
  }
  *key = std::move(parent);
  return true;
}
}  // namespace

bool WriteTree(const std::vector<RegEntry>& entries) {
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return false;
  for (const RegEntry& e : entries) {
    platform::RegKey key;
    if (!CreateLevels(root, e.key, &key)) return false;
    if (e.value.empty() && e.type == platform::kRegNone) continue;
    if (!key.SetValue(e.value.c_str(), e.type, e.data.data(),
                      static_cast<std::uint32_t>(e.data.size())))
      return false;
  }
  return true;
}

namespace {
void DeleteBelow(platform::RegKey& parent, const std::string& name) {
  platform::RegKey key;
  if (key.Open(parent, name.c_str())) {
    std::vector<std::string> children;
    char child[platform::kRegNameBuffer];
    for (std::uint32_t i = 0; key.EnumSubKey(i, child); ++i) children.push_back(child);
    for (const auto& c : children) DeleteBelow(key, c);
    key.Close();
  }
  parent.DeleteSubKey(name.c_str());
}
}  // namespace

bool DeleteTree(const std::string& path) {
  platform::RegKey root;
  if (!root.OpenLocalMachine()) return false;
  DeleteBelow(root, path);
  return !KeyExists(path);
}

bool KeyExists(const std::string& path) {
  platform::RegKey root, key;
  return root.OpenLocalMachine() && key.Open(root, path.c_str());
}

std::vector<std::string> SubKeys(const std::string& path) {
  std::vector<std::string> names;
  platform::RegKey root, key;
  if (!root.OpenLocalMachine() || !key.Open(root, path.c_str())) return names;
  char child[platform::kRegNameBuffer];
  for (std::uint32_t i = 0; i < key.SubKeyCount(); ++i)
    if (key.EnumSubKey(i, child)) names.push_back(child);
  return names;
}

bool ReadValue(const std::string& key, const std::string& value, std::uint32_t* type,
               std::string* data) {
  platform::RegKey root, k;
  return root.OpenLocalMachine() && k.Open(root, key.c_str()) &&
         k.QueryValueRaw(value.c_str(), type, data);
}

}  // namespace testing_support
