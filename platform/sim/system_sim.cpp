#include "platform/sim/sim_system.h"

namespace platform {
namespace sim {
namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int* year, int* month, int* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

}  // namespace

SimSystem& SimSystem::Get() {
  static SimSystem system;
  return system;
}

void SimSystem::Reset() {
  SetNow({2026, 12, 8, 10, 0, 0});
  pauses_.clear();
  lastError_ = 0;
  version_ = "Windows 10.0.19045";
  elevated_ = true;
  temp_ = "C:\\Temp";
  commandLine_ = "\"C:\\SetUp.exe\"";
  programData_.clear();
  changes_ = 0;
  cutAfter_ = -1;
}

bool SimSystem::Change() {
  if (++changes_ <= cutAfter_ || cutAfter_ < 0) return true;
  lastError_ = 21;  // ERROR_NOT_READY
  return false;
}

void SimSystem::SetNow(const LocalTime& t) {
  const long long days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
  millis_ = ((days * 24 + t.hour) * 60 + t.minute) * 60000LL + t.second * 1000LL;
}

LocalTime SimSystem::Now() const {
  LocalTime t;
  const long long seconds = millis_ / 1000;
  CivilFromDays(seconds / 86400, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(seconds % 86400 / 3600);
  t.minute = static_cast<int>(seconds % 3600 / 60);
  t.second = static_cast<int>(seconds % 60);
  t.utcOffsetMinutes = 8 * 60;  // China Standard Time
  return t;
}

void SimSystem::Advance(unsigned milliseconds) { millis_ += milliseconds; }

std::string EnglishErrorText(std::uint32_t error) {
  switch (error) {
    case 2: return "The system cannot find the file specified.";
    case 3: return "The system cannot find the path specified.";
    case 5: return "Access is denied.";
    case 21: return "The device is not ready.";
    case 32: return "The process cannot access the file because it is being used by another process.";
    case 87: return "The parameter is incorrect.";
    case 123: return "The filename, directory name, or volume label syntax is incorrect.";
    case 145: return "The directory is not empty.";
    case 183: return "Cannot create a file when that file already exists.";
    case 267: return "The directory name is invalid.";
    case 1921: return "The name of the file cannot be resolved by the system.";
    case 1018: return "Illegal operation attempted on a registry key that has been marked for deletion.";
    default: return "";
  }
}

}  // namespace sim

LocalTime Now() { return sim::SimSystem::Get().Now(); }

void Pause(unsigned milliseconds) {
  sim::SimSystem::Get().RecordPause(milliseconds);
  sim::SimSystem::Get().Advance(milliseconds);
}

void RunOnThreads(int, void (*work)(void*), void* context) { work(context); }

std::uint32_t LastError() { return sim::SimSystem::Get().LastError(); }

std::string ErrorText(std::uint32_t error) { return sim::EnglishErrorText(error); }

// E_INVALIDARG has the text of ERROR_INVALID_PARAMETER, given with its line
// break.
std::string InvalidArgumentText() { return sim::EnglishErrorText(87) + "\r\n"; }

std::string WindowsVersion() { return sim::SimSystem::Get().Version(); }

bool IsElevated() { return sim::SimSystem::Get().Elevated(); }

std::string TempFolder() { return sim::SimSystem::Get().TempFolder(); }

std::string CommandLineText() { return sim::SimSystem::Get().CommandLine(); }

// No entry point runs in the simulation: the tests run the start routine.
void SetProgramStart(int (*)()) {}

}  // namespace platform
