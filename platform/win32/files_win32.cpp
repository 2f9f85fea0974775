#include <windows.h>

#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {
void Fill(const WIN32_FIND_DATAA& data, FindEntry* entry) {
  entry->attributes = data.dwFileAttributes;
  std::memcpy(entry->name, data.cFileName, sizeof entry->name);
  entry->name[sizeof entry->name - 1] = '\0';
}
}  // namespace

bool FileFinder::First(const char* pattern, FindEntry* entry) {
  Close();
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  Fill(data, entry);
  return true;
}

bool FileFinder::Next(FindEntry* entry) {
  if (!handle_) return false;
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(static_cast<HANDLE>(handle_), &data)) return false;
  Fill(data, entry);
  return true;
}

void FileFinder::Close() {
  if (handle_) FindClose(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

std::uint32_t ReadAttributes(const char* path) { return GetFileAttributesA(path); }

bool WriteAttributes(const char* path, std::uint32_t attributes) {
  return SetFileAttributesA(path, attributes) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileA(path) != 0; }

bool CopyOneFile(const char* from, const char* to, bool failIfExists) {
  return CopyFileA(from, to, failIfExists ? TRUE : FALSE) != 0;
}

bool MakeFolder(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }

bool RemoveFolder(const char* path) { return RemoveDirectoryA(path) != 0; }

std::uint32_t LinkCount(const char* path) {
  HANDLE h = CreateFileA(path, FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return ok ? info.nNumberOfLinks : 0;
}

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string ExecutablePath() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
}

std::string CurrentFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return std::string(buffer, n);
}

bool OutputFile::Create(const char* path) {
  Close();
  // Not CREATE_ALWAYS, which writes through a link or a further name of
  // another file that somebody left under this name: the name goes first,
  // and the file made is a new one, or none when the name came back.
  DeleteFileA(path);
  HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!handle_) return false;
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data(), chunk, &written, nullptr) || written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

void OutputFile::Close() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

}  // namespace platform
