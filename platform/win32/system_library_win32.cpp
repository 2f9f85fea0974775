#include "platform/win32/system_library.h"

#include <delayimp.h>

namespace platform {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  wchar_t path[MAX_PATH];
  const UINT folder = GetSystemDirectoryW(path, MAX_PATH);
  const int nameLength = lstrlenW(name);
  if (folder == 0 || folder + 1 + static_cast<UINT>(nameLength) >= MAX_PATH) return nullptr;
  path[folder] = L'\\';
  lstrcpyW(path + folder + 1, name);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {
// The delay-load helper asks this before it loads a delay-loaded DLL (user32,
// gdi32, shell32 in SetUp.exe) by its bare name: the DLL comes from the
// system folder instead, whatever the search order says.
FARPROC WINAPI BeforeDelayLoad(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  wchar_t name[MAX_PATH];
  int n = 0;
  for (; info->szDll[n] && n < MAX_PATH - 1; ++n) {
    const unsigned char c = static_cast<unsigned char>(info->szDll[n]);
    if (c >= 0x80 || c == '\\' || c == '/' || c == ':') return nullptr;  // not a bare system name
    name[n] = static_cast<wchar_t>(c);
  }
  if (info->szDll[n]) return nullptr;  // longer than any file name
  name[n] = L'\0';
  HMODULE module = LoadSystemLibrary(name);
  FARPROC result = nullptr;
  static_assert(sizeof result == sizeof module, "pointer sizes");
  CopyMemory(&result, &module, sizeof module);
  return result;
}
}  // namespace

}  // namespace platform

// The helper's hook, by the name it looks for (delayimp.h declares it).
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = platform::BeforeDelayLoad;
#else
PfnDliHook __pfnDliNotifyHook2 = platform::BeforeDelayLoad;
#endif
