// The command line of SetUp.exe: one table of arguments and what they give,
// natively (the parser is a pure function of the text).
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "common/case_name.h"

namespace {

using Kind = CommandLineError::Kind;

constexpr Kind kOk = CommandLineError::kNone;

struct LineCase {
  const char* name;
  std::string line;  // as GetCommandLineA gives it
  Kind error;
  // Understood: the switches as FormatCommandLine writes them; not
  // understood: the text the error is about.
  std::string result;
};

const LineCase kLines[] = {
    {"NoArguments", "\"C:\\pkg\\SetUp.exe\"", kOk, ""},
    {"UnquotedProgramWithBlanksAfter", "C:\\pkg\\SetUp.exe   ", kOk, ""},
    {"QuotedProgramWithBlanks", "\"C:\\my pkg\\SetUp.exe\" /s", kOk, " /S"},
    {"QuotedProgramThenSwitchWithoutBlank", "\"C:\\x\\SetUp.exe\"/S", kOk, " /S"},
    {"CaseIgnored", "SetUp /s /yEaRs=2024 /log=C:\\t.log", kOk, " /S /YEARS=2024 /LOG=\"C:\\t.log\""},
    {"Tabs", "SetUp\t/S\t/LOG=x", kOk, " /S /LOG=\"x\""},
    {"Help", "SetUp /?", kOk, " /?"},
    {"PathToTheEndWithBlanks", "SetUp /S /YEARS=2024 /D=C:\\Program Files\\Tarnwell Test", kOk,
     " /S /YEARS=2024 /D=\"C:\\Program Files\\Tarnwell Test\""},
    {"PathTrailingBlanksDropped", "SetUp /D=C:\\A B  ", kOk, " /D=\"C:\\A B\""},
    // A blank and a switch end an unquoted path; a "/" inside a name does not.
    {"PathEndsAtASwitch", "SetUp /D=C:\\x  /s /log=a.log", kOk, " /S /LOG=\"a.log\" /D=\"C:\\x\""},
    {"PathKeepsSlashWord", "SetUp /D=C:\\x /Sx /D", kOk, " /D=\"C:\\x /Sx /D\""},
    {"QuotedPathAnywhere", "SetUp /D=\"C:\\a b\\\" /S", kOk, " /S /D=\"C:\\a b\\\""},
    {"QuotedLogWithBlanks", "SetUp /LOG=\"C:\\my logs\\s.log\" /S", kOk, " /S /LOG=\"C:\\my logs\\s.log\""},
    {"ChinesePath", "SetUp /D=D:\\软件\\\x81\x5c", kOk, " /D=\"D:\\软件\\\x81\x5c\""},
    {"YearsInAnyOrder", "SetUp /YEARS=2027,2021,2025", kOk, " /YEARS=2021,2025,2027"},
    {"Uninstall", "SetUp /uninstall /S /LOG=u.log", kOk, " /S /UNINSTALL /LOG=\"u.log\""},
    {"UninstallWithValue", "SetUp /UNINSTALL=1", CommandLineError::kTakesNoValue, "/UNINSTALL"},
    {"UninstallTwice", "SetUp /UNINSTALL /Uninstall", CommandLineError::kRepeated, "/Uninstall"},
    {"NotASwitch", "SetUp S", CommandLineError::kNotASwitch, "S"},
    {"QuotedSwitches", "SetUp \"/S\" \"/D=C:\\Program Files\\T\"", kOk, " /S /D=\"C:\\Program Files\\T\""},
    {"QuotedSwitchWithValueQuote", "SetUp \"/LOG=\"a\"\"", CommandLineError::kBadQuote, "\"/LOG=\"a\"\""},
    {"Unknown", "SetUp /S /SILENT", CommandLineError::kUnknown, "/SILENT"},
    {"LoneSlash", "SetUp /", CommandLineError::kUnknown, "/"},
    {"RepeatedSwitch", "SetUp /S /s", CommandLineError::kRepeated, "/s"},
    {"RepeatedPath", "SetUp /D=\"C:\\a\" /D=C:\\b", CommandLineError::kRepeated, "/D"},
    {"FlagWithValue", "SetUp /S=1", CommandLineError::kTakesNoValue, "/S"},
    {"EmptyPath", "SetUp /S /D=", CommandLineError::kNoValue, "/D"},
    {"BlankPath", "SetUp /S /D=   ", CommandLineError::kNoValue, "/D"},
    {"EmptyQuotedLog", "SetUp /LOG=\"\"", CommandLineError::kNoValue, "/LOG"},
    {"YearsWithoutValue", "SetUp /YEARS", CommandLineError::kNoValue, "/YEARS"},
    {"YearTooEarly", "SetUp /YEARS=2020", CommandLineError::kBadYear, "2020"},
    {"YearTooLate", "SetUp /YEARS=2024,2028", CommandLineError::kBadYear, "2028"},
    {"YearNotANumber", "SetUp /YEARS=20x4", CommandLineError::kBadYear, "20x4"},
    {"YearFiveDigits", "SetUp /YEARS=02024", CommandLineError::kBadYear, "02024"},
    {"LongNumber", "SetUp /YEARS=2024999999999999", CommandLineError::kBadYear, "2024999999999999"},
    {"LongWordCutInTheError", "SetUp /" + std::string(79, 'x') + "软件", CommandLineError::kUnknown,
     "/" + std::string(79, 'x') + "..."},
    {"EmptyYearItem", "SetUp /YEARS=2024,", CommandLineError::kBadYear, ""},
    {"RepeatedYear", "SetUp /YEARS=2024,2024", CommandLineError::kRepeatedYear, "2024"},
    {"UnclosedQuote", "SetUp /LOG=\"C:\\a /S", CommandLineError::kBadQuote, "/LOG=\"C:\\a /S"},
    {"TextAfterClosingQuote", "SetUp /LOG=\"a\"b", CommandLineError::kBadQuote, "/LOG=\"a\"b"},
    {"QuoteInsideValue", "SetUp /D=C:\\a\"b", CommandLineError::kBadQuote, "C:\\a\"b"},
    {"ControlCharacterInQuotes", "SetUp /LOG=\"a\tb\"", CommandLineError::kBadCharacter, "/LOG"},
    {"NulInPath", std::string("SetUp /D=C:\\a\0b", 15), CommandLineError::kBadCharacter, "/D"},
};

class CommandLineTable : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTable, ParsesOrSaysWhatIsWrong) {
  const LineCase& c = GetParam();
  CommandLine line;
  CommandLineError error;
  const bool understood = ParseCommandLine(ArgumentsOf(c.line), &line, &error);
  EXPECT_EQ(understood, c.error == kOk);
  EXPECT_EQ(error.kind, c.error);
  if (!understood) {
    EXPECT_EQ(error.text, c.result);
    return;
  }
  EXPECT_TRUE(error.text.empty());
  EXPECT_EQ(FormatCommandLine(line), c.result);
  // What the switches give back parses to the same switches.
  CommandLine again;
  ASSERT_TRUE(ParseCommandLine(FormatCommandLine(line), &again, &error));
  EXPECT_EQ(FormatCommandLine(again), c.result);
  // Understood as silent is always seen as silent (the other way round a
  // quoted or unquoted path may hold " /S").
  EXPECT_TRUE(!line.silent || AsksForSilence(ArgumentsOf(c.line)));
}

INSTANTIATE_TEST_SUITE_P(Switches, CommandLineTable, testing::ValuesIn(kLines), CaseName());

TEST(CommandLine, SilenceIsSeenInLinesThatAreNotUnderstood) {
  EXPECT_TRUE(AsksForSilence(" /X /s"));
  EXPECT_TRUE(AsksForSilence("/YEARS=1999\t/S"));
  EXPECT_FALSE(AsksForSilence(" /SILENT /D=C:\\S"));
}

}  // namespace
