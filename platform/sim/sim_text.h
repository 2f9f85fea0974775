#pragma once
// Text helpers the simulated services share: Windows compares and sorts names
// by their upper-cased UTF-16 units (the registry and NTFS alike).
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace platform::sim {

std::string UpperCase(std::string_view text);
std::u16string ToUtf16(std::string_view gbk);
std::u16string SortKey(std::string_view gbk);

inline bool SameName(std::string_view a, std::string_view b) {
  const auto ascii = [](std::string_view t) { return std::all_of(t.begin(), t.end(), [](char c) { return c >= 0; }); };
  if (!ascii(a) || !ascii(b)) return SortKey(a) == SortKey(b);  // plain ASCII needs no conversion
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(x) == std::toupper(y); });
}
inline bool NameLess(std::string_view a, std::string_view b) { return SortKey(a) < SortKey(b); }

}  // namespace platform::sim
