#include <windows.h>

#include <cstring>

#include "platform/system.h"
#include "platform/win32/wide.h"

namespace platform {

LocalTime Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  else if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  if (kind == TIME_ZONE_ID_INVALID) bias = 0;
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
}

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

namespace {
struct ThreadWork {
  void (*work)(void*);
  void* context;
};

DWORD WINAPI RunThreadWork(void* parameter) {
  const ThreadWork* run = static_cast<const ThreadWork*>(parameter);
  run->work(run->context);
  return 0;
}
}  // namespace

void RunOnThreads(int threads, void (*work)(void*), void* context) {
  constexpr int kMostThreads = 8;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const int processors = static_cast<int>(system.dwNumberOfProcessors);
  ThreadWork run = {work, context};
  HANDLE others[kMostThreads - 1];
  DWORD started = 0;
  for (int i = 1; i < threads && i < processors && i < kMostThreads; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, RunThreadWork, &run, 0, nullptr);
    if (!thread) break;
    others[started++] = thread;
  }
  work(context);
  if (started) WaitForMultipleObjects(started, others, TRUE, INFINITE);
  for (DWORD i = 0; i < started; ++i) CloseHandle(others[i]);
}

std::uint32_t LastError() { return GetLastError(); }

namespace {
// FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM) of a code, as the system gives
// it, in GBK.
std::string SystemText(DWORD code) {
  wchar_t buffer[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, buffer, 512, nullptr);
  return FromWide(buffer, n);
}
}  // namespace

std::string ErrorText(std::uint32_t error) {
  std::string text = SystemText(error);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::string InvalidArgumentText() { return SystemText(static_cast<DWORD>(E_INVALIDARG)); }

namespace {
// A value of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion, as text.
bool CurrentVersionValue(HKEY key, const wchar_t* name, std::string* text) {
  wchar_t data[256] = {};
  DWORD type = 0, size = sizeof data - sizeof data[0];
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    *text = std::to_string(number);
    return true;
  }
  if (type != REG_SZ) return false;
  *text = FromWide(data);
  return !text->empty();
}
}  // namespace

std::string WindowsVersion() {
  // GetVersionExA answers no more than the manifest declares support for; the
  // system's own record does not bend, and needs no DLL beyond advapi32.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "Windows (version unknown)";
  std::string major, minor, version, build, revision, product, release;
  // Windows 10 and later keep "CurrentVersion" at 6.3 for old programs.
  if (CurrentVersionValue(key, L"CurrentMajorVersionNumber", &major) &&
      CurrentVersionValue(key, L"CurrentMinorVersionNumber", &minor))
    version = major + "." + minor;
  else
    CurrentVersionValue(key, L"CurrentVersion", &version);
  CurrentVersionValue(key, L"CurrentBuildNumber", &build);
  CurrentVersionValue(key, L"UBR", &revision);
  CurrentVersionValue(key, L"ProductName", &product);
  if (!CurrentVersionValue(key, L"DisplayVersion", &release))
    CurrentVersionValue(key, L"CSDVersion", &release);
  RegCloseKey(key);
  std::string text = "Windows " + version;
  if (!build.empty()) text += "." + build;
  if (!revision.empty()) text += "." + revision;
  if (!product.empty() || !release.empty())
    text += " (" + product + (product.empty() || release.empty() ? "" : ", ") + release + ")";
  return text;
}

bool IsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
  CloseHandle(token);
  return ok && elevation.TokenIsElevated != 0;
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) return std::string();
  if (buffer[n - 1] == L'\\') --n;
  // A folder whose GBK form does not fit a path buffer, as the narrow call.
  std::string text = FromWide(buffer, n);
  return text.size() < MAX_PATH ? text : std::string();
}

std::string CommandLineText() {
  // The switches' values (a path after /D=, a log file) keep a character
  // without a GBK form as kUnnamedChar, which the install path refuses.
  const wchar_t* line = GetCommandLineW();
  return line ? FromWide(line) : std::string();
}

}  // namespace platform
