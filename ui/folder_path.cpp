#include "ui/folder_path.h"

#include <cstring>
#include <string>
#include <string_view>

#include "framework/dialog.h"
#include "install/folder_lock.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace {

using platform::kPathBuffer;

bool IsBlankOrDot(char c) { return c == '\t' || c == ' ' || c == '.'; }


std::string Format(const char* before, const char* path, const char* after) {
  return std::string(before) + path + after;
}

int Report(int result, const char* path) {
  if (result == kFolderInvalid) {
    framework::AppMessageBox(
        Format("The folder:\n\n", path, "\n\nis invalid. Please reenter.").c_str(),
        platform::kMbIconExclamation);
  } else {
    framework::AppMessageBox(
        Format("The folder:\n\n", path, "\n\ncan not be created. Please double check.").c_str(),
        platform::kMbIconExclamation);
  }
  return result;
}

}  // namespace

bool IsValidFolderName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  const std::string_view text(name);
  // By character: a double-byte character whose second byte has the code
  // of "\\" or "|" (outside GB2312) is a character of the name, never one
  // of the forbidden ones. A second byte is never a blank or a dot.
  if (IsBlankOrDot(text.front()) || IsBlankOrDot(text.back())) return false;
  for (std::size_t pos = 0; pos < text.size(); pos += platform::CharLength(text, pos))
    if (platform::CharLength(text, pos) == 1 &&
        std::string_view("\"*/:<>?\\|").find(text[pos]) != std::string_view::npos)
      return false;
  return true;
}

int CheckFolderPath(const char* path, bool checkOnly) {
  if (path == nullptr) return kFolderInvalid;
  const std::size_t length = std::strlen(path);
  // The private copy holds 259 bytes: a longer path is never cut short.
  if (length >= kPathBuffer) return kFolderInvalid;
  char copy[kPathBuffer];
  std::memcpy(copy, path, length + 1);

  if (!platform::IsRootedPath(copy)) return kFolderInvalid;
  if (length == 3) {
    if (checkOnly) return kFolderValid;
    return platform::PathExists(copy) ? kFolderValid : kFolderNotCreated;
  }

  std::size_t start = 3;
  for (;;) {
    // The component runs to the next "\\" that is a character of its own.
    const std::string_view text(copy, length);
    std::size_t end = start;
    while (end < length && !(copy[end] == '\\' && platform::CharLength(text, end) == 1))
      end += platform::CharLength(text, end);
    const bool last = copy[end] == '\0';
    copy[end] = '\0';
    if (!IsValidFolderName(copy + start)) return kFolderInvalid;
    if (!checkOnly) {
      // Born locked, and counted as made by the install that follows.
      MakePickedFolder(copy);
      if (!platform::PathExists(copy)) return kFolderNotCreated;
    }
    if (last) return kFolderValid;
    copy[end] = '\\';
    if (copy[end + 1] == '\0') return kFolderInvalid;
    start = end + 1;
  }
}

int EnsureFolderExists(const char* path) {
  const int checked = CheckFolderPath(path, true);
  if (checked != kFolderValid) return Report(checked, path ? path : "");
  if (platform::PathExists(path)) return 0;
  const std::string question =
      Format("The folder:\n\n", path, "\n\ndoes not exist. Do you want the folder to be created?");
  if (framework::AppMessageBox(question.c_str(), platform::kMbYesNo | platform::kMbIconQuestion) !=
      platform::kIdYes)
    return -1;
  const int created = CheckFolderPath(path, false);
  if (created != kFolderValid) return Report(created, path);
  return 0;
}
