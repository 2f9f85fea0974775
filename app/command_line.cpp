#include "app/command_line.h"

#include "platform/codepage.h"

// The characters that the parser looks for (blank, tab, '"', '/', '=', ',')
// are all below 0x40, and the second byte of a GBK character never is: a
// byte-wise search cannot match inside a double-byte character.
namespace {

using Error = CommandLineError;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// At most 80 bytes of `text`, never ending inside a double-byte character.
std::string Excerpt(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + platform::CharLength(text, end);
    if (next > 80) break;
    end = next;
  }
  std::string out(text.substr(0, end));
  if (end < text.size()) out += "...";
  return out;
}

bool Fail(Error* error, Error::Kind kind, std::string_view text) {
  error->kind = kind;
  error->text = Excerpt(text);
  return false;
}

bool StorePath(CommandLine& line, std::string_view value, Error*) {
  line.path = std::string(value);
  return true;
}

bool StoreLog(CommandLine& line, std::string_view value, Error*) {
  line.logFile = std::string(value);
  return true;
}

bool StoreYears(CommandLine& line, std::string_view value, Error* error) {
  for (std::size_t start = 0;;) {
    const std::size_t comma = value.find(',', start);
    const std::string_view item =
        value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    int year = 0;
    bool digits = item.size() == 4;
    for (std::size_t i = 0; digits && i < item.size(); ++i) {
      digits = item[i] >= '0' && item[i] <= '9';
      year = year * 10 + (item[i] - '0');
    }
    if (!digits || !IsHostYear(year)) return Fail(error, Error::kBadYear, item);
    if (line.years[HostYearIndex(year)]) return Fail(error, Error::kRepeatedYear, item);
    line.years[HostYearIndex(year)] = true;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

// How a switch takes its value: none, up to the next blank, or (unquoted)
// to the end of the line.
enum class Value { kNone, kToBlank, kToEnd };

struct Switch {
  const char* name;  // upper case, without the "/"
  Value value;
  bool CommandLine::*given;
  bool (*store)(CommandLine& line, std::string_view value, Error* error);
};

constexpr Switch kSwitches[] = {
    {"S", Value::kNone, &CommandLine::silent, nullptr},
    {"?", Value::kNone, &CommandLine::help, nullptr},
    {"D", Value::kToEnd, &CommandLine::hasPath, &StorePath},
    {"YEARS", Value::kToBlank, &CommandLine::hasYears, &StoreYears},
    {"LOG", Value::kToBlank, &CommandLine::hasLog, &StoreLog},
    {"UNINSTALL", Value::kNone, &CommandLine::uninstall, nullptr},
};

// ASCII letters ignore case; a name with any other byte than the switch's
// own (a double-byte character) never matches.
bool SameName(std::string_view name, const char* wanted) {
  std::size_t i = 0;
  for (; i < name.size() && wanted[i]; ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != wanted[i]) return false;
  }
  return i == name.size() && !wanted[i];
}

const Switch* SwitchNamed(std::string_view name) {
  for (const Switch& s : kSwitches)
    if (SameName(name, s.name)) return &s;
  return nullptr;
}

// The switch that starts at text[pos], quoted as a whole or not: "/" and
// its name, then "=" for a switch with a value, a blank, a quote or the end
// for one without; null when none does.
const Switch* SwitchAt(std::string_view text, std::size_t pos) {
  if (pos < text.size() && text[pos] == '"') ++pos;
  if (pos >= text.size() || text[pos] != '/') return nullptr;
  std::size_t end = pos + 1;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != '=' && text[end] != '"') ++end;
  const Switch* s = SwitchNamed(text.substr(pos + 1, end - pos - 1));
  const bool equals = end < text.size() && text[end] == '=';
  return s && (s->value == Value::kNone) != equals ? s : nullptr;
}

// True when a switch follows the blanks that start at text[pos].
bool SwitchAfterBlanks(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return SwitchAt(text, pos) != nullptr;
}

}  // namespace

std::string_view ArgumentsOf(std::string_view line) {
  std::size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos < line.size() && line[pos] == '"') {
    const std::size_t close = line.find('"', pos + 1);
    pos = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
  }
  return line.substr(pos);
}

bool ParseCommandLine(std::string_view text, CommandLine* out, Error* error) {
  *out = CommandLine();
  *error = Error();
  constexpr std::size_t npos = std::string_view::npos;
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size()) return true;
    // A whole switch in double quotes ("/D=C:\Program Files\T", as
    // PowerShell and .NET write it) reads like the switch unquoted, its
    // value running to the closing quote.
    std::string_view item = text.substr(pos);
    const bool whole = text[pos] == '"' && pos + 1 < text.size() && text[pos + 1] == '/';
    if (whole) {
      const std::size_t close = text.find('"', pos + 1);
      if (close == npos || (close + 1 < text.size() && !IsBlank(text[close + 1])))
        return Fail(error, Error::kBadQuote, item);
      item = text.substr(pos + 1, close - pos - 1);
      pos = close + 1;
    }
    std::size_t end = 0;
    while (end < item.size() && !IsBlank(item[end]) && item[end] != '=') ++end;
    const std::string_view word = item.substr(0, end);
    if (word.empty() || word[0] != '/') {
      while (end < item.size() && !IsBlank(item[end])) ++end;
      return Fail(error, Error::kNotASwitch, item.substr(0, end));
    }
    const Switch* found = SwitchNamed(word.substr(1));
    if (!found) return Fail(error, Error::kUnknown, word);
    if (out->*found->given) return Fail(error, Error::kRepeated, word);
    out->*found->given = true;
    const bool hasValue = end < item.size() && item[end] == '=';
    if (found->value == Value::kNone) {
      if (hasValue) return Fail(error, Error::kTakesNoValue, word);
      if (whole && end != item.size()) return Fail(error, Error::kBadQuote, item);
      if (!whole) pos += end;
      continue;
    }
    if (!hasValue) return Fail(error, Error::kNoValue, word);
    const std::size_t start = end + 1;
    std::string_view value;
    if (whole) {
      value = item.substr(start);
    } else if (start < item.size() && item[start] == '"') {
      const std::size_t close = item.find('"', start + 1);
      if (close == npos || (close + 1 < item.size() && !IsBlank(item[close + 1])))
        return Fail(error, Error::kBadQuote, item);
      value = item.substr(start + 1, close - start - 1);
      pos += close + 1;
    } else {
      std::size_t stop = start;
      if (found->value == Value::kToEnd) {
        // To the end of the line, or to a blank that one of the switches
        // follows: a folder name cannot hold "/", so no real path is cut.
        while (stop < item.size() && !(IsBlank(item[stop]) && SwitchAfterBlanks(item, stop))) ++stop;
        while (stop > start && IsBlank(item[stop - 1])) --stop;
      } else {
        while (stop < item.size() && !IsBlank(item[stop])) ++stop;
      }
      value = item.substr(start, stop - start);
      pos += stop;
      // A quote cannot be part of a file name: it is a quote in the wrong
      // place, not a value.
      if (value.find('"') != npos) return Fail(error, Error::kBadQuote, value);
    }
    if (value.empty()) return Fail(error, Error::kNoValue, word);
    // No file name holds a control character, and a NUL would cut the path
    // that the system is given short of the path that was checked.
    for (char c : value)
      if (static_cast<unsigned char>(c) < 0x20) return Fail(error, Error::kBadCharacter, word);
    if (!found->store(*out, value, error)) return false;
  }
}

bool FindLogSwitch(std::string_view text, std::string* file) {
  int found = 0;
  bool quoted = false;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const bool starts = !quoted && !IsBlank(text[pos]) && (pos == 0 || IsBlank(text[pos - 1]));
    if (text[pos] == '"') quoted = !quoted;
    const Switch* s = starts ? SwitchAt(text, pos) : nullptr;
    if (!s || s->given != &CommandLine::hasLog) continue;
    // Parsed from here, /LOG= comes first: its value is stored before
    // anything after it can fail.
    CommandLine one;
    Error ignored;
    ParseCommandLine(text.substr(pos), &one, &ignored);
    if (one.logFile.empty()) return false;
    *file = one.logFile;
    ++found;
  }
  return found == 1;
}

bool AsksForSilence(std::string_view text) {
  const auto alphanumeric = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  };
  // "/" is below 0x40: never the second byte of a double-byte character.
  for (std::size_t pos = 0; pos + 1 < text.size(); ++pos) {
    if (text[pos] != '/' || (text[pos + 1] != 'S' && text[pos + 1] != 's')) continue;
    if (pos + 2 == text.size() || !alphanumeric(text[pos + 2])) return true;
  }
  return false;
}

std::string FormatCommandLine(const CommandLine& line) {
  std::string text;
  if (line.silent) text += " /S";
  if (line.help) text += " /?";
  if (line.uninstall) text += " /UNINSTALL";
  if (line.hasYears) {
    text += " /YEARS=";
    const char* comma = "";
    for (int y = 0; y < kHostYearCount; ++y) {
      if (!line.years[y]) continue;
      text += comma + std::to_string(HostYearAt(y));
      comma = ",";
    }
  }
  if (line.hasLog) text += " /LOG=\"" + line.logFile + "\"";
  if (line.hasPath) text += " /D=\"" + line.path + "\"";
  return text;
}

std::string DescribeCommandLineError(const CommandLineError& error, bool chinese) {
  struct Words {
    Error::Kind kind;
    const char* chinese;
    const char* english;
  };
  static const Words kWords[] = {
      {Error::kNotASwitch, "“%s”不是开关（开关以“/”开头）", "\"%s\" is not a switch (switches start with \"/\")"},
      {Error::kUnknown, "没有开关“%s”", "unknown switch \"%s\""},
      {Error::kRepeated, "开关“%s”重复", "switch \"%s\" given twice"},
      {Error::kNoValue, "开关“%s”缺少值", "switch \"%s\" has no value"},
      {Error::kTakesNoValue, "开关“%s”不带值", "switch \"%s\" takes no value"},
      {Error::kBadYear, "“%s”不是2021至2027之间的年份", "\"%s\" is not a year from 2021 to 2027"},
      {Error::kRepeatedYear, "年份“%s”重复", "year \"%s\" listed twice"},
      {Error::kBadQuote, "引号不配对或位置不对：%s", "unclosed or misplaced quote: %s"},
      {Error::kBadCharacter, "开关“%s”的值含有控制字符", "the value of \"%s\" holds a control character"},
      {Error::kLogNotCreated, "无法创建日志文件“%s”", "the log file \"%s\" cannot be created"},
      {Error::kNotForUninstall, "卸载不接受开关“%s”", "the uninstall takes no switch \"%s\""},
      {Error::kGlued, "开关“%s”须以空格与其他内容分开", "switch \"%s\" is glued to other text (switches are separated by blanks)"},
  };
  for (const Words& w : kWords) {
    if (w.kind != error.kind) continue;
    std::string text = chinese ? w.chinese : w.english;
    const std::size_t at = text.find("%s");
    text.replace(at, 2, error.text);
    return text;
  }
  return chinese ? "命令行无法识别" : "the command line was not understood";
}
