#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
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
  // The path as asked for is the usual answer; its long form (a walk of
  // every folder of the way) is made only when a short name may be in it.
  const bool where = SamePath(facts.finalPath, path) || SamePath(facts.finalPath, LongPath(path));
  if (where && !(facts.attributes & 0x400) && facts.links == 1) return true;
  file.DeleteNow();
  file.Close();
  Log("not written: " + path + ": the name leads to " + facts.finalPath);
  SetLastError(kErrorNotWhereChecked);
  return false;
}

bool WriteCheckedFile(const std::string& path, const std::string& temporary,
                      const std::function<bool(FileHandle&)>& write, bool durable) {
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
  if ((durable ? MoveOverFileDurably : MoveOverFile)(temporary.c_str(), path.c_str())) return true;
  const std::uint32_t error = LastError();
  if (file.OpenToDelete(temporary.c_str())) file.DeleteNow();
  SetLastError(error);
  return false;
}

bool WriteNewFile(const std::string& path, const std::string& temporary,
                  const std::function<bool(FileHandle&)>& write) {
  FileHandle file;
  if (!CreateCheckedFile(file, path)) {
    const std::uint32_t error = LastError();
    if (error != kErrorFileExists && error != kErrorNameExists) return false;
    // A hidden file or a folder at the name is refused, as CopyFileA refuses it.
    const std::uint32_t attributes = ReadAttributes(path.c_str());
    if (attributes != kInvalidAttributes && (attributes & (kAttrHidden | kAttrDirectory))) {
      SetLastError(kErrorAccessDenied);
      return false;
    }
    return WriteCheckedFile(path, temporary, write);
  }
  if (write(file)) return true;
  const std::uint32_t error = LastError();
  file.DeleteNow();
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
