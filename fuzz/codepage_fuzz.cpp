// Code-page text helpers on arbitrary bytes: every match lies on a character
// boundary and really matches, lower-casing keeps the length and is stable,
// and nothing reads outside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace {

std::vector<std::size_t> Boundaries(const std::string& s) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < s.size(); pos += platform::CharLength(s, pos)) starts.push_back(pos);
  return starts;
}

bool IsBoundary(const std::vector<std::size_t>& starts, std::size_t pos) {
  for (std::size_t b : starts)
    if (b == pos) return true;
  return false;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // First byte: where the needle starts in the input.
  if (size == 0) return 0;
  const std::size_t split = 1 + data[0] % size;
  // Copies with no terminator past their end, so a read past them is caught.
  const std::string text(reinterpret_cast<const char*>(data) + 1, split - 1);
  const std::string needle(reinterpret_cast<const char*>(data) + split, size - split);
  const auto starts = Boundaries(text);

  const std::size_t found = platform::FindText(text, needle);
  if (found != std::string::npos) {
    Check(IsBoundary(starts, found) || (text.empty() && found == 0));
    Check(text.compare(found, needle.size(), needle) == 0);
  } else {
    // No boundary may hold a match.
    for (std::size_t b : starts) Check(text.compare(b, needle.size(), needle) != 0 || b + needle.size() > text.size());
  }

  const std::size_t last = platform::FindLastChar(text, '\\');
  if (last != std::string::npos) {
    Check(IsBoundary(starts, last) && text[last] == '\\' && platform::CharLength(text, last) == 1);
    for (std::size_t b : starts)
      if (b > last) Check(text[b] != '\\' || platform::CharLength(text, b) != 1);
  }
  Check(platform::EndsWithChar(text, '\\') == (last != std::string::npos && last + 1 == text.size()));

  const std::string lower = platform::LowerCase(text);
  Check(lower.size() == text.size());
  Check(platform::LowerCase(lower) == lower);
  Check(Boundaries(lower) == starts);
  Check(platform::EqualsIgnoreCase(text, lower));
  Check(platform::EqualsIgnoreCase(text, needle) == platform::EqualsIgnoreCase(needle, text));
  return 0;
}
