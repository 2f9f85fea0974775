#pragma once
// Names in the unpacked installation package. File names match ignoring
// case, as on the Windows file system.
#include <string>

#include "platform/decimal.h"

// Folder beside the executable that holds the package files (Data layout).
constexpr const char* kDataFolder = "Data";
// File beside the executable that marks the flat layout.
constexpr const char* kFlatLayoutMarker = "Korvex2021.zrx";
// The setup executable: never copied; named "SetUp.exe" in messages.
constexpr const char* kSetupExecutable = "SetUp.EXE";
// Loader module of a module year ("%d": 2021 or 2025).
constexpr const char* kModuleFileFormat = "Korvex%d.ZRX";
inline std::string ModuleFileName(int moduleYear) {
  std::string name = kModuleFileFormat;
  return name.replace(name.find("%d"), 2, platform::Decimal(moduleYear));
}
// The two fonts: not copied into the target, but into each host's font folder.
constexpr const char* kFontFiles[] = {"Korvex_EN.shx", "Korvex_HZ.shx"};
// The extension drawing library folder, and the text that marks its name.
constexpr const char* kLibraryFolder = "Korvex扩展绘图库";
constexpr const char* kLibraryMark = "扩展绘图库";
// Install subfolder below the chosen install folder.
constexpr const char* kInstallSubfolder = "Tarnwell";
// At most this many entries are examined in the package source and in the
// library folder, "." and ".." included.
constexpr int kPackageEntryLimit = 101;
constexpr int kLibraryEntryLimit = 81;
