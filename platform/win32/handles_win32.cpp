// Files reached through one open handle: checked by what the handle has
// open (its final path, its kind, its names), then read, written or deleted
// through that same handle, so that a link or a swap made after the check
// changes nothing. And the running image's own file, held for the run.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/win32/image_identity.h"
#include "platform/win32/wide.h"

namespace platform {

void SetLastError(std::uint32_t error) { ::SetLastError(error); }

namespace {

HANDLE Raw(void* h) { return static_cast<HANDLE>(h); }

// CreateFileW with a GBK path; null when the path does not convert or the
// call fails (the last error says why).
void* Open(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  const WideName name(path);
  if (!name.ok()) return nullptr;
  HANDLE h = CreateFileW(name.c_str(), access, share, nullptr, disposition, flags, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

constexpr DWORD kChunk = 1u << 20;  // read and written 1 MB at a time

bool WriteAllBytes(HANDLE h, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > kChunk ? kChunk : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool Rewind(HANDLE h) {
  LARGE_INTEGER zero = {};
  return SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

std::string LongPath(const std::string& path) {
  const WideName name(path);
  wchar_t longer[MAX_PATH * 4];
  const DWORD n = name.ok() ? GetLongPathNameW(name.c_str(), longer, MAX_PATH * 4) : 0;
  return n != 0 && n < MAX_PATH * 4 ? FromWide(longer, n) : path;
}

bool FileHandle::OpenToRead(const char* path) {
  Close();
  handle_ = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN);
  return handle_ != nullptr;
}

bool FileHandle::OpenFolder(const char* path) {
  Close();
  handle_ = Open(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                 FILE_FLAG_BACKUP_SEMANTICS);
  return handle_ != nullptr;
}

bool FileHandle::OpenToDelete(const char* path) {
  Close();
  handle_ = Open(path, DELETE | GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  return handle_ != nullptr;
}

bool FileHandle::OpenNew(const char* path) {
  Close();
  handle_ = Open(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  return handle_ != nullptr;
}

bool FileHandle::OpenToWrite(const char* path, bool* created) {
  Close();
  constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
  handle_ = Open(path, kAccess, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  if (created) *created = handle_ != nullptr;
  if (handle_ || GetLastError() != ERROR_FILE_EXISTS) return handle_ != nullptr;
  handle_ = Open(path, kAccess, 0, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  if (!handle_) return false;
  HandleFacts facts;
  if (!Facts(&facts) || (facts.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY))) {
    Close();
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

bool FileHandle::Facts(HandleFacts* facts) const {
  if (!handle_) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  // The two small information classes, not GetFileInformationByHandle: that
  // one also asks for the volume's serial number, which costs Wine about
  // 0.4 ms a call (a mount table read) against 1 us for these.
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(Raw(handle_), FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(Raw(handle_), FileStandardInfo, &standard, sizeof standard))
    return false;
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetFinalPathNameByHandleW(Raw(handle_), path, MAX_PATH * 4,
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n >= MAX_PATH * 4) SetLastError(ERROR_FILENAME_EXCED_RANGE);
  if (n == 0 || n >= MAX_PATH * 4) return false;
  // "\\?\UNC\server\share" is "\\server\share"; "\\?\C:\..." is "C:\...".
  const std::wstring_view view(path, n);
  const std::size_t skip = view.substr(0, 8) == L"\\\\?\\UNC\\" ? 6
                           : view.substr(0, 4) == L"\\\\?\\"     ? 4
                                                                  : 0;
  if (skip == 6) path[6] = L'\\';
  facts->finalPath = FromWide(path + skip, n - skip);
  facts->attributes = basic.FileAttributes;
  facts->links = standard.NumberOfLinks;
  facts->size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  return true;
}

bool FileHandle::CopyFrom(const FileHandle& source, CopySink* sink) {
  if (!handle_ || !source.handle_) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!Rewind(Raw(source.handle_)) || !Truncate()) return false;
  // One buffer for every copy a thread makes (copies run on several threads
  // at once), released with the thread.
  thread_local const std::unique_ptr<char[]> owned(new char[kChunk]);
  char* const buffer = owned.get();
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(Raw(source.handle_), buffer, kChunk, &got, nullptr)) return false;
    if (got == 0) break;
    if (!WriteAllBytes(Raw(handle_), buffer, got)) return false;
    if (sink) sink->Take(buffer, got);
  }
  FILETIME written;
  if (GetFileTime(Raw(source.handle_), nullptr, nullptr, &written))
    SetFileTime(Raw(handle_), nullptr, nullptr, &written);
  return true;
}

bool FileHandle::ReadAll(std::size_t limit, std::string* data) const {
  LARGE_INTEGER size;
  if (!handle_ || !GetFileSizeEx(Raw(handle_), &size) || !Rewind(Raw(handle_))) return false;
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > limit) {
    SetLastError(ERROR_FILE_TOO_LARGE);
    return false;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  for (std::size_t done = 0; done < bytes.size();) {
    const std::size_t left = bytes.size() - done;
    DWORD got = 0;
    if (!ReadFile(Raw(handle_), &bytes[done], left > kChunk ? kChunk : static_cast<DWORD>(left),
                  &got, nullptr) ||
        got == 0)
      return false;
    done += got;
  }
  *data = std::move(bytes);
  return true;
}

bool FileHandle::Truncate() {
  return handle_ && Rewind(Raw(handle_)) && SetEndOfFile(Raw(handle_)) != 0;
}

bool FileHandle::Write(std::string_view bytes) {
  return handle_ && WriteAllBytes(Raw(handle_), bytes.data(), bytes.size());
}

bool FileHandle::DeleteNow() {
  if (!handle_) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (SetFileInformationByHandle(Raw(handle_), FileDispositionInfo, &disposition,
                                 sizeof disposition))
    return true;
  // A read-only file refuses its deletion until the attribute is cleared,
  // through the same handle.
  FILE_BASIC_INFO basic;
  if (GetLastError() != ERROR_ACCESS_DENIED ||
      !GetFileInformationByHandleEx(Raw(handle_), FileBasicInfo, &basic, sizeof basic) ||
      !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  basic.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return SetFileInformationByHandle(Raw(handle_), FileBasicInfo, &basic, sizeof basic) &&
         SetFileInformationByHandle(Raw(handle_), FileDispositionInfo, &disposition,
                                    sizeof disposition);
}

void FileHandle::Close() {
  if (handle_) CloseHandle(Raw(handle_));
  handle_ = nullptr;
}

// The running image.

bool OpenRunningImage(FileHandle& image) {
  image.Close();
  std::vector<wchar_t> path(MAX_PATH + 1);
  DWORD n = 0;
  while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
             path.size() &&
         path.size() < 32768)
    path.resize(path.size() * 2);
  if (n == 0 || n >= path.size()) return false;
  // Read sharing only: while this handle is open nobody can open the file
  // to write, rename or delete it.
  HANDLE h = CreateFileW(path.data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (!IsRunningImageFile(h, reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr)))) {
    CloseHandle(h);
    SetLastError(ERROR_FILE_INVALID);
    return false;
  }
  image.handle_ = h;
  return true;
}

}  // namespace platform
