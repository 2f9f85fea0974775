#include <algorithm>

#include "common/file_tree.h"
#include "platform/files.h"
#include "platform/sim/sim_files.h"

namespace testing_support {

using platform::sim::SimFiles;

bool WriteFile(const std::string& path, const std::string& data, std::uint32_t attributes) {
  return SimFiles::Get().AddFile(path, data, attributes ? attributes : platform::kAttrArchive);
}

bool MakeFolders(const std::string& path) { return SimFiles::Get().AddFolder(path) != nullptr; }

bool MakeHardLink(const std::string& existing, const std::string& path) {
  return SimFiles::Get().AddHardLink(existing, path) != nullptr;
}

bool MakeLink(const std::string& path, const std::string& target, bool folder) {
  return SimFiles::Get().AddLink(path, target, folder) != nullptr;
}

bool RemoveLink(const std::string& path) { return RemoveTree(path); }

bool ReadFile(const std::string& path, std::string* data) {
  const platform::sim::FsNode* node = SimFiles::Get().Find(path);
  if (!node || node->IsFolder()) return false;
  *data = node->data;
  return true;
}

bool RemoveTree(const std::string& path) {
  platform::sim::FsNode* node = SimFiles::Get().Find(path);
  if (!node) return true;
  if (!node->parent) return false;
  auto& siblings = node->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [node](const auto& n) { return n.get() == node; }));
  return true;
}

std::vector<std::string> ListNames(const std::string& folder) {
  return SimFiles::Get().List(folder);
}

}  // namespace testing_support
