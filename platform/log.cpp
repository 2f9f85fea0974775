#include "platform/log.h"

#include <memory>

#include "platform/codepage.h"
#include "platform/decimal.h"
#include "platform/files.h"
#include "platform/system.h"

namespace platform {
namespace {

std::unique_ptr<FileHandle>& File() {
  static std::unique_ptr<FileHandle> file;
  return file;
}

std::string& OpenPath() {
  static std::string path;
  return path;
}

// True when no folder between the drive's root and the file is a link.
bool NoLinkOnTheWay(const std::string& path) {
  for (std::size_t pos = 3; pos < path.size(); pos += CharLength(path, pos)) {
    if (path[pos] != '\\' || CharLength(path, pos) != 1) continue;
    const std::uint32_t attributes = ReadAttributes(path.substr(0, pos).c_str());
    if (attributes != kInvalidAttributes && (attributes & kAttrReparsePoint)) return false;
  }
  return true;
}

// True when the handle has open the plain file at `path`: its final path,
// no link, one name.
bool IsPlainFileAt(const FileHandle& file, const std::string& path) {
  HandleFacts facts;
  return file.Facts(&facts) && SamePath(facts.finalPath, path) &&
         !(facts.attributes & (kAttrReparsePoint | kAttrDirectory)) && facts.links == 1;
}

// ERROR_FILE_EXISTS, ERROR_CANT_RESOLVE_FILENAME
constexpr std::uint32_t kErrorFileExists = 80, kErrorUnsafePath = 1921;

bool Refuse(std::uint32_t error) {
  SetLastError(error);
  return false;
}

}  // namespace

bool OpenLog(const std::string& path) {
  CloseLog();
  std::string full;
  if (!FullPath(path, &full)) return false;
  if (!NoLinkOnTheWay(full)) return Refuse(kErrorUnsafePath);
  // A final path names every folder by its long name.
  const std::size_t cut = FindLastChar(full, '\\');
  full = LongPath(full.substr(0, cut + 1)) + full.substr(cut + 1);
  // What has the name goes first (a link, a further name of another file, an
  // old log), but only the entry at that very path.
  FileHandle old;
  if (old.OpenToDelete(full.c_str())) {
    HandleFacts facts;
    if (old.Facts(&facts) && SamePath(facts.finalPath, full) &&
        !(facts.attributes & kAttrDirectory))
      old.DeleteNow();
    old.Close();
  }
  auto file = std::make_unique<FileHandle>();
  bool created = false;
  if (!file->OpenToWrite(full.c_str(), &created)) return false;
  if (!IsPlainFileAt(*file, full)) {
    // Reached through a link after all: nothing stays written there.
    if (created) file->DeleteNow();
    return Refuse(created ? kErrorUnsafePath : kErrorFileExists);
  }
  if (!file->Truncate()) return false;
  File() = std::move(file);
  OpenPath() = full;
  return true;
}

void CloseLog() {
  File().reset();
  OpenPath().clear();
}

bool LogIsOpen() { return File() != nullptr; }

std::string LogPath() { return OpenPath(); }

void Log(std::string_view event) {
  if (!File()) return;
  const LocalTime t = Now();
  std::string line = Decimal(t.year % 10000, 4) + "-" + Decimal(t.month % 100, 2) + "-" +
                     Decimal(t.day % 100, 2) + " " + Decimal(t.hour % 100, 2) + ":" +
                     Decimal(t.minute % 100, 2) + ":" + Decimal(t.second % 100, 2);
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  line += (t.utcOffsetMinutes < 0 ? "-" : "+") + Decimal(offset / 60 % 100, 2) + ":" +
          Decimal(offset % 60, 2) + " ";
  std::string text(event);
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  line += LogText(text);
  line += "\r\n";
  File()->Write(line);
}

void Log(std::initializer_list<std::string_view> parts) {
  if (!File()) return;
  std::string event;
  for (std::string_view part : parts) event += part;
  Log(event);
}

std::string DescribeError(std::uint32_t error) {
  std::string text = "error " + std::to_string(error);
  const std::string system = ErrorText(error);
  if (!system.empty()) text += ": " + system;
  return text;
}

}  // namespace platform
