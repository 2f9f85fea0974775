#pragma once
// The log of a run: UTF-8 text, one event a line, every line starting with
// the local time and its offset from UTC, "YYYY-MM-DD HH:MM:SS+08:00". The program's operations report
// their events here in the system code page (GBK); the log converts them, so
// Chinese names read right in any editor. While no log is open every call
// does nothing, so an operation reports whether anyone keeps a log or not.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// Opens the log: the file is created or replaced. False when it cannot be
// created (LastError() tells why); no log is open then.
bool OpenLog(const std::string& path);
// Closes the log; later events go nowhere.
void CloseLog();
bool LogIsOpen();
// The full path of the open log; empty while none is open.
std::string LogPath();

// One event: the time, a blank, the text. Line breaks inside the text become
// blanks, so that an event never takes more than one line.
void Log(std::string_view event);
// The same for an event in parts, joined as they come (one call site
// instead of a chain of concatenations).
void Log(std::initializer_list<std::string_view> parts);

// "error 32: <the system's text>" for a Win32 error code.
std::string DescribeError(std::uint32_t error);

}  // namespace platform
