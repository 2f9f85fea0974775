// The full form of a path, and the list of deletes that wait for the next
// restart, through the wide functions.
#include <windows.h>

#include <vector>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// The path of an entry as MoveFileEx writes it, "\??\C:\...", without the
// prefix.
const wchar_t* DosPath(const wchar_t* entry) {
  return (entry[0] == L'\\' && entry[1] == L'?' && entry[2] == L'?' && entry[3] == L'\\')
             ? entry + 4
             : entry;
}

}  // namespace

bool FullPath(const std::string& path, std::string* full) {
  std::vector<wchar_t> wide;
  if (path.empty() || !Widen(path, &wide)) return false;
  std::vector<wchar_t> out(1024);
  const DWORD length = GetFullPathNameW(wide.data(), static_cast<DWORD>(out.size()), out.data(), nullptr);
  if (length == 0 || length >= out.size()) return false;
  return Narrow(out.data(), length, full) && full->size() < kPathBuffer;
}

int CancelDeletesAtRestart(const std::function<bool(const std::string&)>& cancel) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return -1;
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) {
    RegCloseKey(key);
    return 0;
  }
  // Two NULs more than the value holds, so that a list that lacks its
  // terminators still ends.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  if (status == ERROR_SUCCESS)
    status = RegQueryValueExW(key, kPendingValue, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
  if (status != ERROR_SUCCESS || (type != REG_MULTI_SZ && type != REG_BINARY)) {
    RegCloseKey(key);
    return -1;
  }
  const std::size_t units = size / sizeof(wchar_t);
  // Pairs of a source and a target; an empty target is a delete.
  std::vector<wchar_t> kept;
  int removed = 0;
  for (std::size_t pos = 0; pos < units && data[pos] != L'\0';) {
    const wchar_t* source = &data[pos];
    const std::size_t sourceLength = wcslen(source);
    const std::size_t targetAt = pos + sourceLength + 1;
    const wchar_t* target = &data[targetAt];
    const std::size_t targetLength = targetAt < data.size() ? wcslen(target) : 0;
    pos = targetAt + targetLength + 1;
    std::string narrow;
    if (targetLength == 0 && Narrow(DosPath(source), std::string::npos, &narrow) &&
        cancel(narrow)) {
      ++removed;
      continue;
    }
    kept.insert(kept.end(), source, source + sourceLength + 1);
    kept.insert(kept.end(), target, target + targetLength + 1);
  }
  if (removed > 0) {
    if (kept.empty()) {
      status = RegDeleteValueW(key, kPendingValue);
    } else {
      kept.push_back(L'\0');
      status = RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ,
                              reinterpret_cast<const BYTE*>(kept.data()),
                              static_cast<DWORD>(kept.size() * sizeof(wchar_t)));
    }
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? removed : -1;
}

}  // namespace platform
