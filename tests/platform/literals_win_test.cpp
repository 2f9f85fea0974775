// Every narrow literal of the program (GBK) converts with code page 936 to the
// UTF-16 of its source text: none is lost at the door of the wide functions,
// and none turns into another character there (GBK as the compiler has it
// and code page 936 as Windows has it differ in a few, such as the dashes).
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "platform/win32/wide.h"

namespace {

struct ProgramLiteral {
  const char* gbk;
  std::size_t gbkLength;
  const wchar_t* utf16;
  std::size_t utf16Length;
  const char* where;
};
#include "program_literals.inc"  // tests/platform/program_literals.py

TEST(ProgramLiterals, EachConvertsToTheUtf16OfItsSourceText) {
  ASSERT_GT(sizeof kProgramLiterals / sizeof kProgramLiterals[0], 300u);
  for (const ProgramLiteral& literal : kProgramLiterals) {
    std::vector<wchar_t> wide;
    ASSERT_TRUE(platform::Widen({literal.gbk, literal.gbkLength}, &wide)) << literal.where;
    EXPECT_EQ(std::vector<wchar_t>(wide.begin(), wide.end() - 1),
              std::vector<wchar_t>(literal.utf16, literal.utf16 + literal.utf16Length))
        << literal.where;
  }
}

}  // namespace
