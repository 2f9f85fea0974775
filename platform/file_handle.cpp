#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/system.h"

namespace platform {
std::string FullForm(std::string_view path) {
  std::string full;
  if (!FullPath(std::string(path), &full)) {
    full.clear();
    for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
      const std::size_t len = CharLength(path, pos);
      if (len == 1 && path[pos] == '\\' && EndsWithChar(full, '\\')) continue;
      full.append(path.substr(pos, len));
    }
  }
  // "C:\" stays whole: without its separator it would name the current
  // folder of the drive.
  if (EndsWithChar(full, '\\') && full.size() > 3) full.pop_back();
  return full;
}

bool IsRootedPath(std::string_view path) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  return path.size() >= 3 && letter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool SamePath(std::string_view a, std::string_view b) {
  return EqualsIgnoreCase(FullForm(a), FullForm(b));
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

namespace {
// Never destroyed: at the process's end the simulated file system it
// refers to may be gone.
FileHandle& ImageFile() {
  static FileHandle& file = *new FileHandle;
  return file;
}
}  // namespace

bool HoldRunningImage() { return OpenRunningImage(ImageFile()); }

void ReleaseRunningImage() { ImageFile().Close(); }

bool CopyRunningImage(const char* to) {
  if (!ImageFile().IsOpen()) {
    SetLastError(6);  // ERROR_INVALID_HANDLE
    return false;
  }
  FileHandle target;
  return target.OpenToWrite(to) && target.CopyFrom(ImageFile());
}

}  // namespace platform
