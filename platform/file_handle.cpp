#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
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

bool CreateCheckedFile(FileHandle& file, const std::string& path) {
  if (!file.OpenNew(path.c_str())) return false;
  HandleFacts facts;
  if (!file.Facts(&facts)) {
    const std::uint32_t error = LastError();
    file.DeleteNow();
    file.Close();
    SetLastError(error);
    return false;
  }
  if (SamePath(facts.finalPath, LongPath(path)) && !(facts.attributes & 0x400) && facts.links == 1)
    return true;
  file.DeleteNow();
  file.Close();
  Log("not written: " + path + ": the name leads to " + facts.finalPath);
  SetLastError(kErrorNotWhereChecked);
  return false;
}

bool WriteCheckedFile(const std::string& path, const std::string& temporary,
                      const std::function<bool(FileHandle&)>& write) {
  {
    FileHandle leftover;
    if (leftover.OpenToDelete(temporary.c_str())) leftover.DeleteNow();
  }
  FileHandle file;
  if (!CreateCheckedFile(file, temporary)) return false;
  if (!write(file)) {
    const std::uint32_t error = LastError();
    file.DeleteNow();
    SetLastError(error);
    return false;
  }
  file.Close();
  if (MoveOverFile(temporary.c_str(), path.c_str())) return true;
  const std::uint32_t error = LastError();
  if (file.OpenToDelete(temporary.c_str())) file.DeleteNow();
  SetLastError(error);
  return false;
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
  const std::string path = to;
  return WriteCheckedFile(path, path + ".new", [](FileHandle& target) {
    return target.CopyFrom(ImageFile());
  });
}

}  // namespace platform
