#pragma once
// The log of one run of the program: where it goes, what it starts with and
// what it ends with. A named log file (/LOG=) is written in both modes; a
// silent run without one writes `defaultName` in the temporary folder; an
// interactive run without one writes none.
#include <string>

#include "app/command_line.h"

class CHostRegistry;

// Opens the run's log. `line` is null when the command line was not
// understood. False, with `error` set, when /LOG= names a file that cannot
// be created; a silent run then logs to the default file, to say so.
bool OpenRunLog(const CommandLine* line, bool silent, const char* defaultName,
                CommandLineError* error);

// The first lines: the command line, the Windows version, elevated or not.
void LogRunStart(const std::string& commandLine);

// One line per host installation found: year, key path, location.
void LogHostsFound(const CHostRegistry& hosts);

// The last line, "exit code N: meaning" (ExitCodeMeaning unless `meaning`
// is given); then the log is closed.
void EndRunLog(int exitCode, const char* meaning = nullptr);
