#pragma once
// Text helpers the simulated services share: Windows compares and sorts names
// by their upper-cased UTF-16 units (the registry and NTFS alike).
#include <string>
#include <string_view>

namespace platform::sim {

std::string UpperCase(std::string_view text);
std::u16string ToUtf16(std::string_view gbk);
std::u16string SortKey(std::string_view gbk);

inline bool SameName(std::string_view a, std::string_view b) {
  bool ascii = true;  // plain ASCII is compared at once, without the conversion
  for (const char c : std::string(a) + std::string(b)) ascii = ascii && c >= 0;
  if (!ascii) return SortKey(a) == SortKey(b);
  if (a.size() != b.size()) return false;
  const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (up(a[i]) != up(b[i])) return false;
  return true;
}inline bool NameLess(std::string_view a, std::string_view b) { return SortKey(a) < SortKey(b); }

}  // namespace platform::sim
