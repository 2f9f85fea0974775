#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "platform/processes.h"
#include "platform/win32/wide.h"

namespace platform {
namespace {
bool Read(HANDLE snapshot, bool first, std::string* exeName) {
  PROCESSENTRY32W entry;
  std::memset(&entry, 0, sizeof entry);
  entry.dwSize = sizeof entry;
  const BOOL ok = first ? Process32FirstW(snapshot, &entry) : Process32NextW(snapshot, &entry);
  if (!ok) return false;
  entry.szExeFile[MAX_PATH - 1] = L'\0';
  *exeName = FromWide(entry.szExeFile);
  return true;
}
}  // namespace

bool ProcessSnapshot::Take() {
  Close();
  HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  return true;
}

bool ProcessSnapshot::First(std::string* exeName) {
  return handle_ && Read(static_cast<HANDLE>(handle_), true, exeName);
}

bool ProcessSnapshot::Next(std::string* exeName) {
  return handle_ && Read(static_cast<HANDLE>(handle_), false, exeName);
}

void ProcessSnapshot::Close() {
  if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

}  // namespace platform
