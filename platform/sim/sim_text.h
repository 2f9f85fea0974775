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
  // Plain ASCII (most names): compared at once, without the conversion.
  bool ascii = true;
  for (unsigned char c : a) ascii = ascii && c < 0x80;
  for (unsigned char c : b) ascii = ascii && c < 0x80;
  if (!ascii) return a == b || SortKey(a) == SortKey(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}
inline bool NameLess(std::string_view a, std::string_view b) { return SortKey(a) < SortKey(b); }

}  // namespace platform::sim
