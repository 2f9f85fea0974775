// Code page 936 as Windows has it: lead bytes 0x81 to 0xFE, ASCII letters as
// the single-byte case table, and the double-byte letters that have a lower
// case inside the code page (full-width Latin, Greek, Cyrillic, Roman numerals).
#include <iconv.h>

#include <cerrno>

#include "platform/codepage.h"
#include "platform/sim/sim_text.h"

namespace platform {
namespace {

struct CaseRange {
  unsigned char lead;
  unsigned char upperFirst, upperLast;  // second bytes of the capitals
  unsigned char lowerFirst;             // second byte of the first small letter
};

// Pairs of the code page whose lower case lies in the code page as well.
constexpr CaseRange kCaseRanges[] = {
    {0xA2, 0xF1, 0xFA, 0xA1},  // Roman numerals one to ten
    {0xA3, 0xC1, 0xDA, 0xE1},  // full-width A to Z
    {0xA6, 0xA1, 0xB8, 0xC1},  // Greek capitals
    {0xA7, 0xA1, 0xC1, 0xD1},  // Cyrillic capitals
};

template <bool kLower>
std::string MapCase(std::string_view text) {
  std::string out(text);
  for (std::size_t pos = 0; pos < out.size();) {
    const std::size_t len = CharLength(out, pos);
    auto* b = reinterpret_cast<unsigned char*>(&out[pos]);
    if (len == 1) {
      if (kLower && b[0] >= 'A' && b[0] <= 'Z') b[0] = static_cast<unsigned char>(b[0] + 32);
      if (!kLower && b[0] >= 'a' && b[0] <= 'z') b[0] = static_cast<unsigned char>(b[0] - 32);
    } else {
      for (const CaseRange& r : kCaseRanges) {
        if (b[0] != r.lead) continue;
        const int lowerLast = r.lowerFirst + (r.upperLast - r.upperFirst);
        if (kLower && b[1] >= r.upperFirst && b[1] <= r.upperLast)
          b[1] = static_cast<unsigned char>(b[1] - r.upperFirst + r.lowerFirst);
        else if (!kLower && b[1] >= r.lowerFirst && b[1] <= lowerLast)
          b[1] = static_cast<unsigned char>(b[1] - r.lowerFirst + r.upperFirst);
      }
    }
    pos += len;
  }
  return out;
}

}  // namespace

unsigned ActiveCodePage() { return 936; }

std::string LowerCase(std::string_view text) { return MapCase<true>(text); }

namespace sim {

std::string UpperCase(std::string_view text) { return MapCase<false>(text); }

std::u16string ToUtf16(std::string_view gbk) {
  std::u16string out;
  bool ascii = true;
  for (unsigned char c : gbk) ascii = ascii && c < 0x80;
  if (ascii) {
    for (unsigned char c : gbk) out.push_back(c);
    return out;
  }
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (unsigned char c : gbk) out.push_back(c);
    return out;
  }
  std::string in(gbk);
  char* src = in.data();
  std::size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char buf[256];
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    for (char* p = buf; p + 1 < dst; p += 2)
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                          (static_cast<unsigned char>(p[1]) << 8)));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A byte the code page does not define: keep its value as a unit.
      out.push_back(static_cast<unsigned char>(*src));
      ++src;
      --srcLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::u16string SortKey(std::string_view gbk) { return ToUtf16(UpperCase(gbk)); }

}  // namespace sim

std::string ToUtf8(std::string_view text) {
  std::string out;
  for (char16_t unit : sim::ToUtf16(text)) {
    const unsigned u = unit;
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out += "\xEF\xBF\xBD";  // no surrogates come from code page 936: U+FFFD
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}
}  // namespace platform
