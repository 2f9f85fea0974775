#pragma once
// What the installer relies on of the host CAD program (ZWCAD family): its
// registry layout, its loader entries, its font folder and its process name.
#include <string>

#include "platform/decimal.h"

// The seven supported host years, also used as indices 0 to 6 in this order.
enum HostYear : int {
  kHost2021 = 2021,
  kHost2022,
  kHost2023,
  kHost2024,
  kHost2025,
  kHost2026,
  kHost2027,
};
constexpr int kHostYearCount = 7;
constexpr int kFirstHostYear = 2021;
constexpr int kLastHostYear = 2027;

constexpr bool IsHostYear(int year) { return year >= kFirstHostYear && year <= kLastHostYear; }
constexpr int HostYearIndex(int year) { return year - kFirstHostYear; }
constexpr int HostYearAt(int index) { return kFirstHostYear + index; }
// The year in the loader module's file name: one module serves 2021 to 2024,
// the other 2025 to 2027.
constexpr int ModuleYear(int hostYear) { return hostYear <= 2024 ? 2021 : 2025; }

// Product keys below HKEY_LOCAL_MACHINE, in scan order.
constexpr const char* kHostProductKeys[] = {
    "SOFTWARE\\ZWSOFT\\ZWCAD",
    "SOFTWARE\\ZWSOFT\\ZWCADA",
    "SOFTWARE\\ZWSOFT\\ZWCADM",
    "SOFTWARE\\ZWSOFT\\MEP",
};

// Registry value that holds a host installation folder.
constexpr const char* kLocationValue = "Location";

// Loader key below a host key ("%d": the host year) and its two values.
constexpr const char* kLoaderKeyFormat = "Applications\\Korvex%d";
inline std::string LoaderKeyName(int year) {
  std::string name = kLoaderKeyFormat;
  return name.replace(name.find("%d"), 2, platform::Decimal(year));
}
// The host key's key that holds the loader keys of every plug-in.
constexpr const char* kApplicationsKey = "Applications";
constexpr const char* kLoadCtrlsValue = "LOADCTRLS";
constexpr unsigned kLoadCtrlsData = 2;
constexpr const char* kLoaderValue = "LOADER";

// Font folder directly inside a host location.
constexpr const char* kFontsFolder = "Fonts";

// Executable name of the host program.
constexpr const char* kHostExecutable = "zwcad.exe";
