#pragma once
// The registry below HKEY_LOCAL_MACHINE, native 64-bit view, through the
// wide (W) API with GBK names and text data. RegKey is one open key handle; it is closed by
// Close() or by the destructor. The opening and writing calls that fail
// leave the registry's error code as LastError() (platform/system.h).
#include <cstdint>
#include <string>

namespace platform {

// Value types, numbered as the registry numbers them.
enum RegType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegQword = 11,
};

constexpr std::size_t kRegNameBuffer = 256;   // a key name: 255 bytes and a NUL
constexpr std::size_t kRegValueBuffer = 520;  // a value read: 519 bytes and a NUL

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { Close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  RegKey& operator=(RegKey&& other) noexcept;

  // RegOpenKeyW(HKEY_LOCAL_MACHINE, NULL).
  bool OpenLocalMachine();
  // RegOpenKeyExW(parent, name, 0, KEY_READ). An empty name opens the parent
  // once more, as a handle of its own.
  bool OpenForRead(const RegKey& parent, const char* name);
  // RegOpenKeyW(parent, path): the widest access the caller has. A trailing
  // "\" in the path is accepted.
  bool Open(const RegKey& parent, const char* path);
  // RegCreateKeyW(parent, path): opens the key, creating it and any missing
  // parent on the way.
  bool Create(const RegKey& parent, const char* path);
  // One level below `parent`, the key itself and never what a registry
  // link of that name leads to: RegOpenKeyExW / RegCreateKeyExW with
  // REG_OPTION_OPEN_LINK, KEY_READ | KEY_WRITE | DELETE (Create makes the key
  // when it is missing). `link` tells whether the key opened is a link (its
  // "SymbolicLinkValue" is a REG_LINK value): such a key is only to be left
  // alone. Links on the way to `parent` were looked at when it was opened.
  bool OpenNoLink(const RegKey& parent, const char* name, bool* link);
  bool CreateNoLink(const RegKey& parent, const char* name, bool* link);
  // RegDeleteKeyW(this, ""): the open key itself (the one OpenNoLink
  // opened, not what a name leads to by now); fails while it has subkeys.
  bool DeleteThis();
  // RegCloseKey; nothing when not open.
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  // RegQueryInfoKeyW, number of subkeys only; 0 when the query fails.
  std::uint32_t SubKeyCount() const;
  // RegQueryInfoKeyW: the numbers of subkeys and of values; false when the
  // query fails.
  bool Counts(std::uint32_t* subKeys, std::uint32_t* values) const;
  // RegEnumKeyExW into a 256-byte buffer: the name of subkey `index`, or
  // false (no such index, or a name of 256 bytes or more).
  bool EnumSubKey(std::uint32_t index, char (&name)[kRegNameBuffer]) const;
  // RegQueryValueExW into `data`, which is zero-filled first. True only when
  // the value's data fits together with a terminating NUL, so `data` always
  // holds a NUL-terminated text; its type is not looked at.
  bool QueryValue(const char* name, char (&data)[kRegValueBuffer]) const;
  // RegQueryValueExW of any size: the type and the raw bytes.
  bool QueryValueRaw(const char* name, std::uint32_t* type, std::string* data) const;
  // RegSetValueExW.
  bool SetValue(const char* name, std::uint32_t type, const void* data, std::uint32_t size);
  // RegDeleteKeyW(this, name): fails for a key that has subkeys.
  bool DeleteSubKey(const char* name);
  // RegDeleteValueW.
  bool DeleteValue(const char* name);

 private:
  void* handle_ = nullptr;  // HKEY, or the simulated key
};

}  // namespace platform
