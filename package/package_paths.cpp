#include "package/package_paths.h"

#include <cstring>

#include "platform/codepage.h"

bool ComposePath(PathBuffer& buffer, std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  buffer[0] = '\0';
  if (total > kMaxPathText) return false;
  char* out = buffer;
  for (std::string_view part : parts) {
    std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  *out = '\0';
  return true;
}

std::string RemoveTrailingSeparatorUnlessAlone(const std::string& text) {
  const std::size_t last = platform::FindLastChar(text, '\\');
  if (last != std::string::npos && last != 0 && last + 1 == text.size())
    return text.substr(0, last);
  return text;
}

void DropTrailingSeparator(std::string& path) {
  if (platform::EndsWithChar(path, '\\')) path.pop_back();
}
