// Windows-only test support: the real file system through Win32, GBK names
// through the wide functions, so that it works on any system code page.
#include <windows.h>

#include "common/file_tree.h"
#include "common/win_process.h"
#include "platform/codepage.h"
#include "platform/win32/wide.h"

using platform::Wide;

namespace testing_support {

namespace {
std::string ParentOf(const std::string& path) {
  const std::size_t cut = platform::FindLastChar(path, '\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}
}  // namespace

bool MakeFolders(const std::string& path) {
  if (path.size() <= 3) return true;  // a drive's root
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!MakeFolders(ParentOf(path))) return false;
  return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool MakeHardLink(const std::string& existing, const std::string& path) {
  return CreateHardLinkW(Wide(path).c_str(), Wide(existing).c_str(), nullptr) != 0;
}

bool MakeLink(const std::string& path, const std::string& target, bool) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unixTarget = unixName ? unixName(Wide(target).c_str()) : nullptr;
  if (!unixTarget) return false;
  const std::string name = path.substr(platform::FindLastChar(path, '\\') + 1);
  const std::string line = std::string("ln -s ") + unixTarget + " " + name;
  HeapFree(GetProcessHeap(), 0, unixTarget);
  return RunUnix(ParentOf(path), line,
                 [&] { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; });
}

bool RemoveLink(const std::string& path) {
  const std::string name = path.substr(platform::FindLastChar(path, '\\') + 1);
  return RunUnix(ParentOf(path), "rm " + name,
                 [&] { return GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES; });
}

bool WriteFile(const std::string& path, const std::string& data, std::uint32_t attributes) {
  if (!MakeFolders(ParentOf(path))) return false;
  SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || written != data.size()) return false;
  return attributes == 0 || SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
}

bool ReadFile(const std::string& path, std::string* data) {
  HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  data->clear();
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data->append(buffer, got);
  CloseHandle(h);
  return true;
}

bool RemoveTree(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesW(Wide(path).c_str(), (a & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY
                                                                  : FILE_ATTRIBUTE_NORMAL);
  if (a & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveLink(path);
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(Wide(path).c_str()) != 0;
  for (const std::string& name : ListNames(path)) RemoveTree(path + "\\" + name);
  return RemoveDirectoryW(Wide(path).c_str()) != 0;
}

std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Wide(folder + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    const std::string name = platform::FromWide(data.cFileName);
    if (name != "." && name != "..") out.push_back(name);
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return out;
}

}  // namespace testing_support
