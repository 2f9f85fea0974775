#pragma once
// Writing and removing registry trees below HKEY_LOCAL_MACHINE for tests,
// through the platform's own registry calls, so the same scenario runs
// against the real registry and the simulated one.
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The host product's key below HKEY_LOCAL_MACHINE, where the tests put hosts.
inline const std::string kZwcad = "SOFTWARE\\ZWSOFT\\ZWCAD\\";

struct RegEntry {
  std::string key;    // path below HKEY_LOCAL_MACHINE
  std::string value;  // value name; empty: only create the key
  std::uint32_t type;
  std::string data;   // the value's bytes exactly as stored
};

// A REG_SZ entry whose data is the text and its terminating NUL.
RegEntry Sz(std::string key, std::string text, std::string value = "Location");
// An entry that only creates the key.
RegEntry Key(std::string key);

// Creates every key and value; false on the first failure.
bool WriteTree(const std::vector<RegEntry>& entries);
// Deletes the key and everything below it; true when it is gone.
bool DeleteTree(const std::string& path);
bool KeyExists(const std::string& path);
// Names of the key's subkeys in enumeration order.
std::vector<std::string> SubKeys(const std::string& path);
// Type and raw bytes of a value; false when absent.
bool ReadValue(const std::string& key, const std::string& value, std::uint32_t* type,
               std::string* data);

}  // namespace testing_support
