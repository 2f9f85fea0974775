#pragma once
// What the installer asks of the system about the machine and its own
// process: the local time, a pause, the error of the last call that failed
// and the system's text for it, the Windows version, whether the process is
// elevated, the temporary folder and the command line; and the program's
// start routine, which the entry point runs.
#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0;  // local time minus UTC, daylight saving included
};

// GetLocalTime, and the offset from UTC (GetTimeZoneInformation: the bias
// and, while it applies, the daylight bias).
LocalTime Now();

// Sleep(milliseconds): the calling thread waits.
void Pause(unsigned milliseconds);

// Runs work(context) on up to `threads` threads at once, the calling thread
// among them, and returns when every run has returned: CreateThread for the
// others, as many as the processor count allows (GetSystemInfo); the calling
// thread alone when there is one processor or a thread cannot be made. The
// runs share `context`, so `work` takes its items from it one by one
// (an atomic counter) and stops when there are none left. The simulation
// runs work once, on the calling thread.
void RunOnThreads(int threads, void (*work)(void*), void* context);

// GetLastError: the error code that the last failing platform call left.
// The registry calls leave theirs here too (RegKey sets it on failure).
std::uint32_t LastError();
// SetLastError: what a platform operation that failed by its own check
// leaves for LastError().
void SetLastError(std::uint32_t error);

// FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM) of a Win32 error code, in the
// system's language and code page, without the trailing line break; empty
// when the system has no text for the code.
std::string ErrorText(std::uint32_t error);
// FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM) of E_INVALIDARG as the system
// gives it, line break included.
std::string InvalidArgumentText();

// The version the system records about itself (the values of the registry
// key SOFTWARE\Microsoft\Windows NT\CurrentVersion, which no compatibility
// shim lowers, unlike GetVersionExA): "Windows 10.0.19045.3803 (Windows 10
// Pro, 22H2)", the product name and release (or service pack) in brackets.
std::string WindowsVersion();

// Whether the process runs with an elevated token (TokenElevation).
bool IsElevated();

// GetTempPathW without its trailing "\"; empty when there is none.
std::string TempFolder();

// GetCommandLineW: the whole command line, the program's name first.
std::string CommandLineText();

// The program's start routine: the entry point (WinMain) runs it and ends
// the process with its result, or with 0 when none is set. Set while the
// process-wide objects are constructed.
void SetProgramStart(int (*start)());

}  // namespace platform
