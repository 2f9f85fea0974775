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

std::string ErrorText(std::uint32_t error) {
  char buffer[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, buffer, sizeof buffer, nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
  return std::string(buffer, n);
}

std::string WindowsVersion() {
  // GetVersionExA answers what the manifest declares support for; ntdll's
  // RtlGetVersion answers the truth. ntdll is in every process.
  struct VersionInfo {
    ULONG size, major, minor, build, platform;
    WCHAR servicePack[128];
  } info{};
  info.size = sizeof info;
  using RtlGetVersion = LONG(WINAPI*)(VersionInfo*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const FARPROC p = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
  RtlGetVersion get = nullptr;
  static_assert(sizeof p == sizeof get, "function pointer sizes");
  std::memcpy(&get, &p, sizeof p);
  if (!get || get(&info) != 0) return "Windows (version unknown)";
  std::string text = "Windows " + std::to_string(info.major) + "." + std::to_string(info.minor) +
                     "." + std::to_string(info.build);
  char pack[256] = {};
  if (info.servicePack[0] &&
      WideCharToMultiByte(CP_ACP, 0, info.servicePack, -1, pack, sizeof pack, nullptr, nullptr) > 0)
    text += std::string(" ") + pack;
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
