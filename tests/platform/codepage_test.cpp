// Code page 936 text handling: the system's answers (under Wine) and the
// simulation's must be the same, character for character.
#include <gtest/gtest.h>

#include <string>

#include "common/case_name.h"
#include "platform/codepage.h"

namespace {

std::string Ch(int lead, int trail) {
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

TEST(CodePage, SingleBytesLowerOnlyAsciiCapitals) {
  for (int b = 1; b < 0x81; ++b) {
    const std::string one(1, static_cast<char>(b));
    const int want = (b >= 'A' && b <= 'Z') ? b + 32 : b;
    EXPECT_EQ(static_cast<unsigned char>(platform::LowerCase(one)[0]), want) << b;
  }
}

// The double-byte characters with a lower case in the code page: their
// lead byte, the range of second bytes, and the second byte of the first
// small letter. Every other character stays as it is.
struct CaseRange {
  int lead, first, last, lowerFirst;
};
constexpr CaseRange kExpectedRanges[] = {
    {0xA2, 0xF1, 0xFA, 0xA1},  // Roman numerals
    {0xA3, 0xC1, 0xDA, 0xE1},  // full-width Latin
    {0xA6, 0xA1, 0xB8, 0xC1},  // Greek
    {0xA7, 0xA1, 0xC1, 0xD1},  // Cyrillic
};

TEST(CodePage, DoubleByteLowerCaseOverTheWholeCodePage) {
  int changed = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string c = Ch(lead, trail);
      std::string want = c;
      for (const CaseRange& r : kExpectedRanges)
        if (lead == r.lead && trail >= r.first && trail <= r.last)
          want = Ch(lead, trail - r.first + r.lowerFirst);
      const std::string got = platform::LowerCase(c);
      if (got != want) {
        ADD_FAILURE() << std::hex << lead << " " << trail << " gave "
                      << (static_cast<unsigned char>(got[0]) << 8 | static_cast<unsigned char>(got[1]));
      }
      changed += got != c;
    }
  }
  EXPECT_EQ(changed, 10 + 26 + 24 + 33);
}

TEST(CodePage, LowerCaseNeverTouchesASecondByteOnItsOwn) {
  // 0xC4 0x41: the second byte has the code of "A".
  EXPECT_EQ(platform::LowerCase("X" + Ch(0xC4, 0x41) + "Y"), "x" + Ch(0xC4, 0x41) + "y");
  EXPECT_EQ(platform::LowerCase("ZWCAD.EXE"), "zwcad.exe");
  // A lead byte at the very end is left alone.
  EXPECT_EQ(platform::LowerCase("AB\xC4"), "ab\xC4");
}

struct SearchCase {
  const char* name;
  std::string text;
  std::string needle;
  std::size_t find;      // FindText
  std::size_t lastSep;   // FindLastChar(text, '\\')
  bool endsWithSep;      // EndsWithChar(text, '\\')
};

const std::size_t npos = std::string::npos;
const SearchCase kSearches[] = {
    {"Plain", "C:\\a\\b", "a\\", 3, 4, false},
    {"TrailingSeparator", "C:\\a\\", "a", 3, 4, true},
    {"SecondByte5CAtEnd", "C:\\" + Ch(0x81, 0x5C), "\\", 2, 2, false},
    {"SecondByte5CThenSeparator", "C:\\" + Ch(0x81, 0x5C) + "\\", Ch(0x81, 0x5C), 3, 5, true},
    {"NeedleStartingOnSecondByte", Ch(0xC4, 0x41) + "B" + "AB", "AB", 3, npos, false},
    {"OnlyFalseMatch", Ch(0xC4, 0x41) + "B", "AB", npos, npos, false},
    {"Chinese", "Korvex扩展绘图库", "扩展绘图库", 6, npos, false},
    {"Empty", "", "x", npos, npos, false},
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, MatchesOnlyOnCharacterBoundaries) {
  const SearchCase& c = GetParam();
  EXPECT_EQ(platform::FindText(c.text, c.needle), c.find);
  EXPECT_EQ(platform::FindLastChar(c.text, '\\'), c.lastSep);
  EXPECT_EQ(platform::EndsWithChar(c.text, '\\'), c.endsWithSep);
}

INSTANTIATE_TEST_SUITE_P(CodePage, Search, testing::ValuesIn(kSearches),
                         CaseName());

TEST(CodePage, EqualsIgnoreCase) {
  EXPECT_TRUE(platform::EqualsIgnoreCase("SetUp.EXE", "setup.exe"));
  EXPECT_TRUE(platform::EqualsIgnoreCase("SetUp.EXE", "SETUP.EXE"));
  EXPECT_FALSE(platform::EqualsIgnoreCase("SetUp.EXE", "SetUp.exe.bak"));
  EXPECT_TRUE(platform::EqualsIgnoreCase(Ch(0xA3, 0xC1), Ch(0xA3, 0xE1)));
  EXPECT_FALSE(platform::EqualsIgnoreCase(Ch(0xC4, 0x41), Ch(0xC4, 0x61)));
  EXPECT_TRUE(platform::EqualsIgnoreCase("Korvex_HZ.SHX", "korvex_hz.shx"));
}

}  // namespace
