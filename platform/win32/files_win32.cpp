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


// Without MOVEFILE_COPY_ALLOWED: a move to another volume fails instead of
// becoming a copy and a delete, which a running executable would not allow.
bool MoveOneFile(const char* from, const char* to) { return MoveFileExA(from, to, 0) != 0; }

bool DeleteAtRestart(const char* path) {
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool FileSize(const char* path, std::uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::string* data) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(h, &size) != 0 && size.QuadPart >= 0 &&
            static_cast<unsigned long long>(size.QuadPart) <= limit;
  std::string bytes;
  if (ok) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
      const std::size_t chunk = bytes.size() - done > (1u << 20) ? (1u << 20) : bytes.size() - done;
      DWORD got = 0;
      ok = ReadFile(h, &bytes[done], static_cast<DWORD>(chunk), &got, nullptr) != 0 && got != 0;
      done += got;
    }
  }
  CloseHandle(h);
  if (ok) *data = std::move(bytes);
  return ok;
}

bool WriteWholeFile(const char* path, const std::string& data) {
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < data.size()) {
    const std::size_t chunk = data.size() - done > (1u << 20) ? (1u << 20) : data.size() - done;
    DWORD put = 0;
    ok = WriteFile(h, data.data() + done, static_cast<DWORD>(chunk), &put, nullptr) != 0 &&
         put == chunk;
    done += put;
  }
  if (!CloseHandle(h)) ok = false;
  return ok;
}

bool ChangeCurrentFolder(const char* path) { return SetCurrentDirectoryA(path) != 0; }

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
