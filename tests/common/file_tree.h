#pragma once
// Writing, reading and removing file trees for tests: the same calls on the
// real file system (below C:\tarnwell-test under Wine) and on the simulated
// one. Parent folders are created on the way.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Where the file-system tests build their trees.
extern const char* const kTestRoot;  // "C:\\tarnwell-test"

bool WriteFile(const std::string& path, const std::string& data, std::uint32_t attributes = 0);
bool MakeFolders(const std::string& path);
// A second name `path` of the existing file `existing` (CreateHardLinkA).
bool MakeHardLink(const std::string& existing, const std::string& path);
// False when the file cannot be read.
bool ReadFile(const std::string& path, std::string* data);
// Removes the folder and everything below it, whatever their attributes;
// true when it is gone.
bool RemoveTree(const std::string& path);
// Names below a folder, "." and ".." left out, in listing order.
std::vector<std::string> ListNames(const std::string& folder);

}  // namespace testing_support
