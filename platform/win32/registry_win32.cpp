#include <windows.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/win32/wide.h"

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

// Opens or creates the key `path` below `parent` with a call of
// RegOpenKeyW's kind; false, with the error as LastError(), when it fails.
bool OpenWith(void* parent, const char* path, LONG(WINAPI* call)(HKEY, LPCWSTR, PHKEY), void** handle) {
  const WideName name(path);
  HKEY key = nullptr;
  if (!name.ok() || !Succeeded(call(H(parent), name.c_str(), &key))) return false;
  *handle = key;
  return true;
}

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The data of a value: text types turned from UTF-16 into GBK (a character
// without a GBK form as kUnnamedChar), every other type as it is stored.
bool ReadData(HKEY key, const char* name, DWORD* type, std::string* data) {
  const WideName value(name ? name : "");
  DWORD size = 0;
  if (!value.ok() || RegQueryValueExW(key, value.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  // Whole UTF-16 units, one more than the data needs: an odd last byte is
  // no unit (the narrow call drops it as well).
  std::vector<wchar_t> units(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, value.c_str(), nullptr, type, reinterpret_cast<BYTE*>(units.data()),
                       &size) != ERROR_SUCCESS)
    return false;
  if (IsText(*type))
    *data = FromWide(units.data(), size / sizeof(wchar_t));
  else
    data->assign(reinterpret_cast<const char*>(units.data()), size);
  return true;
}
}  // namespace

bool RegKey::OpenLocalMachine() {
  Close();
  HKEY key = nullptr;
  if (!Succeeded(RegOpenKeyW(HKEY_LOCAL_MACHINE, nullptr, &key))) return false;
  handle_ = key;
  return true;
}

bool RegKey::OpenForRead(const RegKey& parent, const char* name) {
  Close();
  const WideName path(name);
  HKEY key = nullptr;
  if (!path.ok() || !Succeeded(RegOpenKeyExW(H(parent.handle_), path.c_str(), 0, KEY_READ, &key)))
    return false;
  handle_ = key;
  return true;
}

bool RegKey::Open(const RegKey& parent, const char* path) {
  Close();
  return OpenWith(parent.handle_, path, &RegOpenKeyW, &handle_);
}

namespace {
// A key opened with REG_OPTION_OPEN_LINK is a registry link when its
// "SymbolicLinkValue" is of type REG_LINK.
bool IsLinkKey(HKEY key) {
  DWORD type = REG_NONE;
  return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) ==
             ERROR_SUCCESS &&
         type == REG_LINK;
}
constexpr REGSAM kNoLinkAccess = KEY_READ | KEY_WRITE | DELETE;
}  // namespace

bool RegKey::OpenNoLink(const RegKey& parent, const char* name, bool* link) {
  Close();
  const WideName key(name);
  HKEY opened = nullptr;
  if (!key.ok() || !Succeeded(RegOpenKeyExW(H(parent.handle_), key.c_str(), REG_OPTION_OPEN_LINK,
                                            kNoLinkAccess, &opened)))
    return false;
  handle_ = opened;
  *link = IsLinkKey(opened);
  return true;
}

bool RegKey::CreateNoLink(const RegKey& parent, const char* name, bool* link) {
  Close();
  const WideName key(name);
  HKEY opened = nullptr;
  if (!key.ok() || !Succeeded(RegCreateKeyExW(H(parent.handle_), key.c_str(), 0, nullptr,
                                              REG_OPTION_OPEN_LINK, kNoLinkAccess, nullptr,
                                              &opened, nullptr)))
    return false;
  handle_ = opened;
  *link = IsLinkKey(opened);
  return true;
}

bool RegKey::DeleteThis() { return Succeeded(RegDeleteKeyW(H(handle_), L"")); }

bool RegKey::Create(const RegKey& parent, const char* path) {
  Close();
  return OpenWith(parent.handle_, path, &RegCreateKeyW, &handle_);
}

void RegKey::Close() {
  if (handle_ != nullptr) RegCloseKey(H(handle_));
  handle_ = nullptr;
}

std::uint32_t RegKey::SubKeyCount() const {
  DWORD count = 0;
  if (RegQueryInfoKeyW(H(handle_), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return 0;
  return count;
}

bool RegKey::Counts(std::uint32_t* subKeys, std::uint32_t* values) const {
  DWORD keys = 0, named = 0;
  const LONG result = RegQueryInfoKeyW(H(handle_), nullptr, nullptr, nullptr, &keys, nullptr,
                                       nullptr, &named, nullptr, nullptr, nullptr, nullptr);
  if (result != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(result));
    return false;
  }
  *subKeys = keys;
  *values = named;
  return true;
}

bool RegKey::EnumSubKey(std::uint32_t index, char (&name)[kRegNameBuffer]) const {
  wchar_t wide[kRegNameBuffer];
  DWORD size = kRegNameBuffer;
  if (RegEnumKeyExW(H(handle_), index, wide, &size, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return false;
  // A name whose GBK form does not fit the buffer fails, as the narrow call
  // fails for it; one without a GBK form opens nothing (kUnnamedChar).
  const std::string text = FromWide(wide, size);
  if (text.size() >= kRegNameBuffer) return false;
  std::memcpy(name, text.c_str(), text.size() + 1);
  return true;
}

bool RegKey::QueryValue(const char* name, char (&data)[kRegValueBuffer]) const {
  std::memset(data, 0, sizeof data);
  DWORD type = 0;
  std::string bytes;
  if (!ReadData(H(handle_), name, &type, &bytes)) return false;
  // Data that does not fit together with a terminating NUL is refused.
  if (bytes.size() > kRegValueBuffer || (bytes.size() == kRegValueBuffer && bytes.back() != 0))
    return false;
  std::memcpy(data, bytes.data(), bytes.size());
  return true;
}

bool RegKey::QueryValueRaw(const char* name, std::uint32_t* type, std::string* data) const {
  DWORD kind = 0;
  std::string bytes;
  if (!ReadData(H(handle_), name, &kind, &bytes)) return false;
  if (type) *type = kind;
  if (data) *data = std::move(bytes);
  return true;
}

bool RegKey::SetValue(const char* name, std::uint32_t type, const void* data, std::uint32_t size) {
  const WideName value(name ? name : "");
  if (!value.ok()) return false;
  if (!IsText(type))
    return Succeeded(RegSetValueExW(H(handle_), value.c_str(), 0, type,
                                    static_cast<const BYTE*>(data), size));
  // A text is stored as its UTF-16, terminators included.
  std::vector<wchar_t> wide;
  if (!Widen(std::string_view(static_cast<const char*>(data), size), &wide)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  const DWORD bytes = static_cast<DWORD>((wide.size() - 1) * sizeof(wchar_t));
  return Succeeded(RegSetValueExW(H(handle_), value.c_str(), 0, type,
                                  reinterpret_cast<const BYTE*>(wide.data()), bytes));
}

bool RegKey::DeleteSubKey(const char* name) {
  const WideName key(name);
  return key.ok() && Succeeded(RegDeleteKeyW(H(handle_), key.c_str()));
}

bool RegKey::DeleteValue(const char* name) {
  const WideName value(name ? name : "");
  return value.ok() && Succeeded(RegDeleteValueW(H(handle_), value.c_str()));
}

}  // namespace platform
