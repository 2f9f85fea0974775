#include <windows.h>

#include <cstring>

#include "platform/system.h"

namespace platform {

LocalTime Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

std::uint32_t LastError() { return GetLastError(); }

namespace {
// FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM) of a code, as the system gives it.
std::string SystemText(DWORD code) {
  char buffer[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, buffer, sizeof buffer, nullptr);
  return std::string(buffer, n);
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
bool CurrentVersionValue(HKEY key, const char* name, std::string* text) {
  char data[256] = {};
  DWORD type = 0, size = sizeof data - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    *text = std::to_string(number);
    return true;
  }
  if (type != REG_SZ) return false;
  *text = data;
  return !text->empty();
}
}  // namespace

std::string WindowsVersion() {
  // GetVersionExA answers no more than the manifest declares support for; the
  // system's own record does not bend, and needs no DLL beyond advapi32.
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "Windows (version unknown)";
  std::string major, minor, version, build, revision, product, release;
  // Windows 10 and later keep "CurrentVersion" at 6.3 for old programs.
  if (CurrentVersionValue(key, "CurrentMajorVersionNumber", &major) &&
      CurrentVersionValue(key, "CurrentMinorVersionNumber", &minor))
    version = major + "." + minor;
  else
    CurrentVersionValue(key, "CurrentVersion", &version);
  CurrentVersionValue(key, "CurrentBuildNumber", &build);
  CurrentVersionValue(key, "UBR", &revision);
  CurrentVersionValue(key, "ProductName", &product);
  if (!CurrentVersionValue(key, "DisplayVersion", &release))
    CurrentVersionValue(key, "CSDVersion", &release);
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
  char buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  if (buffer[n - 1] == '\\') --n;
  return std::string(buffer, n);
}

std::string CommandLineText() {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

}  // namespace platform
