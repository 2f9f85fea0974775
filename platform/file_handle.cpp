#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/system.h"

namespace platform {
namespace {

// The path with each run of "\" as one and without a trailing "\" (unless
// that is all there is after a drive), character by character.
std::string Normal(const std::string& path) {
  std::string out;
  bool separator = false;
  for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
    const std::size_t length = CharLength(path, pos);
    const bool isSeparator = length == 1 && path[pos] == '\\';
    if (isSeparator && separator) continue;
    separator = isSeparator;
    out.append(path, pos, length);
  }
  if (separator && out.size() > 3) out.pop_back();
  return out;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
  return EqualsIgnoreCase(Normal(a), Normal(b));
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
