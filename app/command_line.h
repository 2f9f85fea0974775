#pragma once
// The switches of SetUp.exe, read from the command line as GetCommandLineA
// gives it (GBK text, the program's name first). Switch names start with
// "/" and are matched ignoring case; blanks separate them; a value follows
// "=" and may stand in double quotes, or the whole switch may ("/D=C:\x y").
// Unquoted, the value of /D= runs to the end of the line or to a blank that
// one of the switches follows (so it may hold blanks); any other value runs
// to the next blank. Portable: a pure function of the text.
#include <string>
#include <string_view>

#include "host/host_contract.h"

struct CommandLine {
  bool silent = false;  // /S
  bool help = false;    // /?
  bool hasPath = false;  // /D=path: the install path as typed in the path box
  std::string path;
  bool hasYears = false;  // /YEARS=y,y,...: only these host years
  bool years[kHostYearCount] = {};  // 2021 first
  bool hasLog = false;  // /LOG=file
  std::string logFile;
  bool uninstall = false;  // /UNINSTALL: remove the install the Apps & Features entry names
};

// What was wrong with a command line, and the text it was wrong about.
struct CommandLineError {
  enum Kind {
    kNone,
    kNotASwitch,     // a word that does not start with "/"
    kUnknown,        // no such switch
    kRepeated,       // a switch given twice
    kNoValue,        // a switch that needs a value has none, or an empty one
    kTakesNoValue,   // "=" after a switch without a value
    kBadYear,        // not a year from 2021 to 2027
    kRepeatedYear,   // a year listed twice
    kBadQuote,       // an unclosed quote, or a quote inside a value
    kBadCharacter,   // a control character (below 0x20) inside a value
    kLogNotCreated,  // the log file cannot be created (found when it is opened)
    kNotForUninstall,  // a switch of the install given to the uninstall
    kGlued,          // a switch glued to another, or inside a value (no blank before it)
  };
  Kind kind = kNone;
  std::string text;  // the switch or value concerned (at most 80 bytes of it)
};

// The arguments: what follows the program's name, which is quoted up to the
// next double quote or unquoted up to the first blank.
std::string_view ArgumentsOf(std::string_view commandLine);

// Parses the arguments into `out`. False, with `error` set, when they are
// not understood; `out` is then not to be used.
bool ParseCommandLine(std::string_view arguments, CommandLine* out, CommandLineError* error);

// The value of the one /LOG= of arguments that are not understood
// otherwise, when that switch itself is: false when there is none, or more
// than one, or its value is not understood.
bool FindLogSwitch(std::string_view arguments, std::string* file);

// Whether /S (any case) appears anywhere, as a word of its own or glued to
// another ("/S/D=C:\x", "/D=C:\x/S"), even in arguments that are not
// understood otherwise: a command line with a typing error still shows no
// box when it asks for silence, since nobody may be there to close it. /S
// counts where no letter or digit follows it ("/SILENT" is another word).
bool AsksForSilence(std::string_view arguments);

// The arguments that give `line` back (each value quoted): parsing them
// again gives the same switches.
std::string FormatCommandLine(const CommandLine& line);

// The error in words: Chinese for the box, English for the log.
std::string DescribeCommandLineError(const CommandLineError& error, bool chinese);
