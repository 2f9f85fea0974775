// SetUp.exe runs elevated from the folder it was unpacked into, usually a
// Downloads folder that any program of the user can write. A DLL that the
// loader or the program finds there by its bare name would run with
// administrator rights, so the program takes every DLL from the system folder
// only, in two places:
//
// - the load configuration of the image says DependentLoadFlags =
//   LOAD_LIBRARY_SEARCH_SYSTEM32, which the loader applies to the imports of
//   the executable itself, before any of its code runs;
// - the entry point TarnwellEntry calls SetDefaultDllDirectories before the C
//   runtime starts, so before the C++ constructors of the process-wide objects
//   (theApp, g_hostRegistry) and before InitCommonControlsEx or a dialog makes
//   comctl32 load uxtheme and the rest: from then on every LoadLibrary of a
//   bare name, the system's own included, searches the system folder alone.
//
// The entry point rather than an early initializer of the C runtime
// (.CRT$XIA): the runtime's initializers already run inside the runtime's
// start-up code, after the runtime has set itself up; the entry point is the
// first code of the executable that the loader calls (only TLS callbacks of
// the image come before it, and the runtime's load no DLL).
//
// Nothing here is referenced by the rest of the program: the link of
// SetUp.exe names TarnwellEntry as the entry point, which pulls this object
// (and its load configuration) out of the library; a program linked without
// that option gets neither.
#include <windows.h>

#include <cstddef>

#if !defined(_MSC_VER)
// The load configuration directory of the image. GNU ld points the image's
// load-configuration data directory at the symbol _load_config_used and takes
// the directory's size from the structure's first field; the MinGW runtime
// defines no such symbol (the MSVC runtime does, and MSVC's linker sets the
// flags with /DEPENDENTLOADFLAG). The layout is the 64-bit structure up to
// SEHandlerCount (0x70 bytes), whose 16-bit field after CSDVersion
// (offset 0x4E, "Reserved1" in older headers) is DependentLoadFlags. No
// security cookie, no guard tables: those fields stay zero.
static_assert(sizeof(void*) == 8, "the load configuration below is the 64-bit layout");
static_assert(sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64) == 0x70, "load configuration layout");
static_assert(offsetof(IMAGE_LOAD_CONFIG_DIRECTORY64, Reserved1) == 0x4E, "DependentLoadFlags offset");

// Constant-initialised: the loader reads it before any code of the image runs.
extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used;
__attribute__((used)) constexpr IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = {
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64),  // Size
    0, 0, 0,                                // TimeDateStamp, MajorVersion, MinorVersion
    0, 0, 0,                                // GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout
    0, 0, 0, 0, 0, 0,                       // DeCommit..., LockPrefixTable, MaximumAllocationSize, ...
    0,                                      // ProcessHeapFlags
    0,                                      // CSDVersion
    LOAD_LIBRARY_SEARCH_SYSTEM32,           // DependentLoadFlags
    0, 0, 0, 0};                            // EditList, SecurityCookie, SEHandlerTable, SEHandlerCount
}
#endif

extern "C" {
// The C runtime's own entry point of a WIN32 program; it initialises the
// runtime, runs the static constructors, calls WinMain and exits.
int WinMainCRTStartup(void);

int TarnwellEntry(void) {
  // kernel32 is in every process before its first instruction: looking it up
  // loads nothing. Windows 7 has SetDefaultDllDirectories only with update
  // KB2533623; without it, at least the current directory leaves the search.
  using SetDefault = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC p = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  SetDefault setDefault = nullptr;
  static_assert(sizeof p == sizeof setDefault, "function pointer sizes");
  CopyMemory(&setDefault, &p, sizeof p);
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
  return WinMainCRTStartup();
}
}
