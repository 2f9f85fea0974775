#pragma once
// DLLs that the program loads after start-up, each from the system folder by
// its full resolution there, never by the search order (which would start in
// the program's own folder, one that others can write).
#include <windows.h>

namespace platform {

// Loads `name` (a bare file name such as L"comctl32.dll") from the system
// folder: LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32, or, where the
// system does not know that flag (Windows 7 without KB2533623), the full
// path in GetSystemDirectoryW with LOAD_WITH_ALTERED_SEARCH_PATH, so that
// the DLL's own imports are looked for beside it too. The module stays
// loaded for the life of the process. Null when neither finds it.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace platform
