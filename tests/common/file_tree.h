#pragma once
// Writing, reading and removing file trees for tests: the same calls on the
// real file system (below C:\tarnwell-test under Wine) and on the simulated
// one. Parent folders are created on the way.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testing_support {

// Where the file-system tests build their trees.
inline constexpr const char* kTestRoot = "C:\\tarnwell-test";

bool WriteFile(const std::string& path, const std::string& data, std::uint32_t attributes = 0);
bool MakeFolders(const std::string& path);
// A second name `path` of the existing file `existing` (CreateHardLinkA).
bool MakeHardLink(const std::string& existing, const std::string& path);
// A symbolic link `path` to the folder or file `target`: under Wine a Unix
// link (what Wine shows of links; it makes no Windows link), natively a
// Windows link. RemoveLink removes the link, not what it leads to (under
// Wine DeleteFileA of a link to a file deletes that file), and so does
// RemoveTree for a link to a folder.
bool MakeLink(const std::string& path, const std::string& target, bool folder);
bool RemoveLink(const std::string& path);
// False when the file cannot be read.
bool ReadFile(const std::string& path, std::string* data);
// Removes the folder and everything below it, whatever their attributes;
// true when it is gone.
bool RemoveTree(const std::string& path);
// Names below a folder, "." and ".." left out, in listing order.
std::vector<std::string> ListNames(const std::string& folder);

// Every entry below a folder, depth first in listing order; folders end in
// "\".
inline void Tree(const std::string& folder, const std::string& prefix, std::vector<std::string>* out) {
  for (const std::string& name : ListNames(folder)) {
    const std::string path = folder + "\\" + name;
    const std::uint32_t a = platform::ReadAttributes(path.c_str());
    const bool dir = a != platform::kInvalidAttributes && (a & platform::kAttrDirectory);
    out->push_back(prefix + name + (dir ? "\\" : ""));
    if (dir) Tree(path, prefix + name + "\\", out);
  }
}
inline std::vector<std::string> Tree(const std::string& folder) {
  std::vector<std::string> out;
  Tree(folder, "", &out);
  return out;
}

}  // namespace testing_support
