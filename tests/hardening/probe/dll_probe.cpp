// Loads DLLs by their bare names after start-up, as comctl32 and uxtheme do
// on Windows once a program shows a themed dialog (dwmapi, cryptbase and
// the like), and answers with its exit code how many of them came from its
// own folder. Built twice: DllProbe.exe with SetUp.exe's entry point
// (TarnwellEntry, platform/win32/dll_search_win32.cpp) and DllProbeOpen.exe
// with the C runtime's; the planted-DLL test runs both beside the plants.
//
//   DllProbe.exe NAME.dll...
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return -1;
  *std::strrchr(self, '\\') = '\0';
  const std::size_t folderLength = std::strlen(self);
  int fromOwnFolder = 0;
  for (int i = 1; i < __argc; ++i) {
    HMODULE m = LoadLibraryA(__argv[i]);
    char path[MAX_PATH];
    if (m && GetModuleFileNameA(m, path, MAX_PATH) > folderLength &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, static_cast<int>(folderLength), self,
                       static_cast<int>(folderLength)) == CSTR_EQUAL &&
        path[folderLength] == '\\')
      ++fromOwnFolder;
  }
  return fromOwnFolder;
}
