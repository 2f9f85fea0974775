// A DLL planted beside SetUp.exe under the name of a system DLL. When a
// process loads it, it writes the file C:\tarnwell-markers\<its own file
// name>.txt holding the process's executable path, so a test sees which
// names were picked up from the program's folder. It exports nothing and
// stays loaded (DllMain answers TRUE): a program that needed one of the real
// DLL's functions fails to load on it, which a test sees as well.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t module[MAX_PATH];
  const DWORD n = GetModuleFileNameW(self, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  const wchar_t* name = module;
  for (const wchar_t* p = module; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  wchar_t marker[MAX_PATH] = L"C:\\tarnwell-markers";
  CreateDirectoryW(marker, nullptr);
  if (lstrlenW(marker) + 1 + lstrlenW(name) + 4 >= MAX_PATH) return TRUE;
  lstrcatW(marker, L"\\");
  lstrcatW(marker, name);
  lstrcatW(marker, L".txt");
  HANDLE f = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return TRUE;
  char exe[MAX_PATH];
  const DWORD len = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  DWORD written = 0;
  if (len > 0 && len < MAX_PATH) WriteFile(f, exe, len, &written, nullptr);
  CloseHandle(f);
  return TRUE;
}
