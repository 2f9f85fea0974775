#pragma once
// Text helpers the simulated services share: Windows compares and sorts names
// by their upper-cased UTF-16 units (the registry and NTFS alike).
#include <string>
#include <string_view>

namespace platform::sim {

std::string UpperCase(std::string_view text);
std::u16string ToUtf16(std::string_view gbk);
std::u16string SortKey(std::string_view gbk);

inline bool SameName(std::string_view a, std::string_view b) { return SortKey(a) == SortKey(b); }
inline bool NameLess(std::string_view a, std::string_view b) { return SortKey(a) < SortKey(b); }

}  // namespace platform::sim
