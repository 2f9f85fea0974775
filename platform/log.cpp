#include "platform/log.h"

#include <memory>

#include "platform/codepage.h"
#include "platform/decimal.h"
#include "platform/files.h"
#include "platform/system.h"

namespace platform {
namespace {

std::unique_ptr<OutputFile>& File() {
  static std::unique_ptr<OutputFile> file;
  return file;
}

}  // namespace

bool OpenLog(const std::string& path) {
  CloseLog();
  auto file = std::make_unique<OutputFile>();
  if (!file->Create(path.c_str())) return false;
  File() = std::move(file);
  return true;
}

void CloseLog() { File().reset(); }

bool LogIsOpen() { return File() != nullptr; }

void Log(std::string_view event) {
  if (!File()) return;
  const LocalTime t = Now();
  std::string line = Decimal(t.year % 10000, 4) + "-" + Decimal(t.month % 100, 2) + "-" +
                     Decimal(t.day % 100, 2) + " " + Decimal(t.hour % 100, 2) + ":" +
                     Decimal(t.minute % 100, 2) + ":" + Decimal(t.second % 100, 2) + " ";
  std::string text(event);
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  line += ToUtf8(text);
  line += "\r\n";
  File()->Write(line);
}

std::string DescribeError(std::uint32_t error) {
  std::string text = "error " + std::to_string(error);
  const std::string system = ErrorText(error);
  if (!system.empty()) text += ": " + system;
  return text;
}

}  // namespace platform
