#pragma once
// Decimal text of a whole number, as "%0<width>d" prints it (the sign counts
// towards the width). Written here rather than through the C library's
// formatted output, whose MinGW implementation is a large part of a small
// executable.
#include <string>

namespace platform {

inline std::string Decimal(long long value, int width = 0) {
  const bool negative = value < 0;
  // The magnitude as unsigned: the most negative value has no positive twin.
  unsigned long long magnitude =
      negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  const int used = static_cast<int>(digits.size()) + (negative ? 1 : 0);
  if (used < width) digits.insert(0, static_cast<std::size_t>(width - used), '0');
  return negative ? "-" + digits : digits;
}

}  // namespace platform
