#include <windows.h>

#include <cstring>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {
// The name in GBK; one whose GBK form does not fit the record is given as
// the unnamed-character byte alone, never cut short.
void Fill(const WIN32_FIND_DATAW& data, FindEntry* entry) {
  entry->attributes = data.dwFileAttributes;
  const std::string name = FromWide(data.cFileName);
  const std::size_t n = name.size() < sizeof entry->name ? name.size() : 1;
  std::memcpy(entry->name, n == name.size() ? name.data() : &kUnnamedChar, n);
  entry->name[n] = '\0';
}

// A GBK text of at most 259 bytes from a call that wrote `n` units into a
// buffer of MAX_PATH + 1: empty when the call failed or the text does not
// fit.
std::string PathText(const wchar_t* buffer, DWORD n) {
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string text = FromWide(buffer, n);
  return text.size() < kPathBuffer ? text : std::string();
}
// One wide call that takes the path alone.
bool OnPath(const char* path, BOOL(WINAPI* call)(LPCWSTR)) {
  const WideName name(path);
  return name.ok() && call(name.c_str()) != 0;
}
}  // namespace

bool FileFinder::First(const char* pattern, FindEntry* entry) {
  Close();
  const WideName name(pattern);
  if (!name.ok()) return false;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(name.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  Fill(data, entry);
  return true;
}

bool FileFinder::Next(FindEntry* entry) {
  if (!handle_) return false;
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(static_cast<HANDLE>(handle_), &data)) return false;
  Fill(data, entry);
  return true;
}

void FileFinder::Close() {
  if (handle_) FindClose(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

std::uint32_t ReadAttributes(const char* path) {
  const WideName name(path);
  return name.ok() ? GetFileAttributesW(name.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool WriteAttributes(const char* path, std::uint32_t attributes) {
  const WideName name(path);
  return name.ok() && SetFileAttributesW(name.c_str(), attributes) != 0;
}

bool RemoveFile(const char* path) { return OnPath(path, &DeleteFileW); }

bool CopyOneFile(const char* from, const char* to, bool failIfExists) {
  const WideName source(from), target(to);
  return source.ok() && target.ok() &&
         CopyFileW(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool RemoveFolder(const char* path) { return OnPath(path, &RemoveDirectoryW); }

bool PathExists(const char* path) { return ReadAttributes(path) != INVALID_FILE_ATTRIBUTES; }

// Without MOVEFILE_COPY_ALLOWED: a move to another volume fails instead of
// becoming a copy and a delete, which a running executable would not allow.
bool MoveOneFile(const char* from, const char* to) {
  const WideName source(from), target(to);
  return source.ok() && target.ok() && MoveFileExW(source.c_str(), target.c_str(), 0) != 0;
}

bool MoveOverFile(const char* from, const char* to) {
  const WideName source(from), target(to);
  return source.ok() && target.ok() &&
         MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool DeleteAtRestart(const char* path) {
  const WideName name(path);
  return name.ok() && MoveFileExW(name.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool FileSize(const char* path, std::uint64_t* size) {
  const WideName name(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!name.ok() || !GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool ReadWholeFile(const char* path, std::size_t limit, std::string* data) {
  const WideName name(path);
  if (!name.ok()) return false;
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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
  const WideName name(path);
  if (!name.ok()) return false;
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool ChangeCurrentFolder(const char* path) { return OnPath(path, &SetCurrentDirectoryW); }

std::string ExecutablePath() {
  // As many units as the narrow call had bytes; a character without a GBK
  // form comes back as the unnamed-character byte, which the package
  // source refuses.
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
  return FromWide(buffer, n < MAX_PATH + 1 ? n : MAX_PATH);
}

std::string CurrentFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  return PathText(buffer, GetCurrentDirectoryW(MAX_PATH + 1, buffer));
}

}  // namespace platform
