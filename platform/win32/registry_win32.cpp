#include <windows.h>

#include <cstring>

#include "platform/registry.h"

namespace platform {
namespace {
HKEY H(void* handle) { return static_cast<HKEY>(handle); }

// The registry calls return their error; keep it as the thread's last error
// as well, so that LastError() tells what failed as for the other calls.
bool Succeeded(LONG result) {
  if (result == ERROR_SUCCESS) return true;
  SetLastError(static_cast<DWORD>(result));
  return false;
}
}  // namespace

bool RegKey::OpenLocalMachine() {
  Close();
  HKEY key = nullptr;
  if (!Succeeded(RegOpenKeyA(HKEY_LOCAL_MACHINE, nullptr, &key))) return false;
  handle_ = key;
  return true;
}

bool RegKey::OpenForRead(const RegKey& parent, const char* name) {
  Close();
  HKEY key = nullptr;
  if (!Succeeded(RegOpenKeyExA(H(parent.handle_), name, 0, KEY_READ, &key))) return false;
  handle_ = key;
  return true;
}

bool RegKey::Open(const RegKey& parent, const char* path) {
  Close();
  HKEY key = nullptr;
  if (!Succeeded(RegOpenKeyA(H(parent.handle_), path, &key))) return false;
  handle_ = key;
  return true;
}

bool RegKey::Create(const RegKey& parent, const char* path) {
  Close();
  HKEY key = nullptr;
  if (!Succeeded(RegCreateKeyA(H(parent.handle_), path, &key))) return false;
  handle_ = key;
  return true;
}

void RegKey::Close() {
  if (handle_ != nullptr) RegCloseKey(H(handle_));
  handle_ = nullptr;
}

std::uint32_t RegKey::SubKeyCount() const {
  DWORD count = 0;
  if (RegQueryInfoKeyA(H(handle_), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  return count;
}

bool RegKey::EnumSubKey(std::uint32_t index, char (&name)[kRegNameBuffer]) const {
  DWORD size = kRegNameBuffer;
  return RegEnumKeyExA(H(handle_), index, name, &size, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

bool RegKey::QueryValue(const char* name, char (&data)[kRegValueBuffer]) const {
  std::memset(data, 0, sizeof data);
  DWORD size = kRegValueBuffer;
  if (RegQueryValueExA(H(handle_), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return false;
  // Data that filled the whole buffer without a terminating NUL does not fit.
  if (size >= kRegValueBuffer && data[kRegValueBuffer - 1] != 0) {
    std::memset(data, 0, sizeof data);
    return false;
  }
  return true;
}

bool RegKey::QueryValueRaw(const char* name, std::uint32_t* type, std::string* data) const {
  DWORD kind = 0, size = 0;
  if (RegQueryValueExA(H(handle_), name, nullptr, &kind, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string bytes(size, '\0');
  if (RegQueryValueExA(H(handle_), name, nullptr, &kind,
                       reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
    return false;
  bytes.resize(size);
  if (type) *type = kind;
  if (data) *data = std::move(bytes);
  return true;
}

bool RegKey::SetValue(const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
  return Succeeded(RegSetValueExA(H(handle_), name, 0, type, static_cast<const BYTE*>(data), size));
}

bool RegKey::DeleteSubKey(const char* name) { return Succeeded(RegDeleteKeyA(H(handle_), name)); }

bool RegKey::DeleteValue(const char* name) { return RegDeleteValueA(H(handle_), name) == ERROR_SUCCESS; }

}  // namespace platform
