#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/security.h"
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

std::string NumberedName(const std::string& name, int n) {
  if (n == 0) return name;
  const std::size_t dot = name.rfind('.');
  const std::size_t separator = FindLastChar(name, '\\');
  const std::size_t at =
      dot == std::string::npos || (separator != std::string::npos && dot < separator) ? name.size() : dot;
  return name.substr(0, at) + "-" + std::to_string(n) + name.substr(at);
}

std::string TakeNumberedName(const std::string& name, int first, int last, bool anyError,
                             const std::function<bool(const std::string&)>& take) {
  for (int n = first; n <= last; ++n) {
    const std::string candidate = NumberedName(name, n);
    if (take(candidate)) return candidate;
    const std::uint32_t error = LastError();
    if (!anyError && error != kErrorFileExists && error != kErrorNameExists) break;
  }
  return std::string();
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
