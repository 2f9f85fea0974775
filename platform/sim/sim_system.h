#pragma once
// The simulated machine behind platform/system.h: a clock that only the
// program's pauses move (no test really sleeps), the last error that the
// simulated calls leave, what the system tells about itself, and the data
// resources of the running image (platform/program_data.h).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/system.h"

namespace platform::sim {

class SimSystem {
 public:
  static SimSystem& Get();
  // 2026-12-08 10:00:00, no pause made, last error 0, Windows 10.0.19045,
  // elevated, temporary folder C:\Temp, command line "C:\SetUp.exe" quoted.
  void Reset();

  // The clock: a pause of n milliseconds moves it on by n.
  void SetNow(const LocalTime& time);
  LocalTime Now() const;
  void Advance(unsigned milliseconds);
  // Every pause the program made, in order.
  const std::vector<unsigned>& Pauses() const { return pauses_; }
  void RecordPause(unsigned milliseconds) { pauses_.push_back(milliseconds); }

  void SetLastError(std::uint32_t error) { lastError_ = error; }
  std::uint32_t LastError() const { return lastError_; }

  void SetVersion(std::string version) { version_ = std::move(version); }
  const std::string& Version() const { return version_; }
  void SetElevated(bool elevated) { elevated_ = elevated; }
  bool Elevated() const { return elevated_; }
  void SetTempFolder(std::string folder) { temp_ = std::move(folder); }
  const std::string& TempFolder() const { return temp_; }
  void SetCommandLine(std::string line) { commandLine_ = std::move(line); }
  const std::string& CommandLine() const { return commandLine_; }

  // Every call that changes the machine (files, folders, attributes,
  // descriptors, keys, values, restart deletes) asks Change() first; after
  // CutAfter(k) every such call past the k-th fails (ERROR_NOT_READY), as
  // after a power loss: the run unwinds changing nothing more.
  bool Change();
  void CutAfter(long changes) { cutAfter_ = changes; }
  void NoCut() { cutAfter_ = -1; }
  long Changes() const { return changes_; }

  // The image's RCDATA resources by name; none after Reset.
  std::map<std::string, std::string>& ProgramData() { return programData_; }

 private:
  SimSystem() { Reset(); }
  long long millis_ = 0;  // since 1970-01-01 00:00:00 local time
  std::vector<unsigned> pauses_;
  std::uint32_t lastError_ = 0;
  std::string version_, temp_, commandLine_;
  std::map<std::string, std::string> programData_;
  bool elevated_ = true;
  long changes_ = 0;
  long cutAfter_ = -1;
};

// The texts that FormatMessageA gives on English Windows for the errors the
// simulation makes.
std::string EnglishErrorText(std::uint32_t error);

}  // namespace platform::sim
