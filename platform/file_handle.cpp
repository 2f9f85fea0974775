#include "platform/codepage.h"
#include "platform/files.h"

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

}  // namespace platform
