#pragma once
// The Apps & Features entry of the plug-in: the key
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell
// (64-bit view), which Settings > Apps and deployment tools read.
#include <cstdint>
#include <string>

#include "record/install_record.h"

constexpr const char* kUninstallKeyParent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kUninstallKeyName = "Tarnwell";
constexpr const char* kDisplayName = "Tarnwell软件";
constexpr const char* kPublisher = "Korvex";

struct AppsEntry {
  std::string installFolder;  // without trailing "\"
  std::int32_t versionNumber = 0;  // year * 10000 + month * 100 + day
  std::uint32_t estimatedSizeKb = 0;
  std::string installDate;    // YYYYMMDD
};

// "2026.05.12" for 20260512.
std::string FormatDisplayVersion(std::int32_t versionNumber);
// "YYYYMMDD" of the local date now.
std::string TodayText();
// The size of everything the record lists plus the uninstaller and the
// record, in KB rounded up.
std::uint32_t EstimatedSizeKb(const InstallRecord& record, const std::string& installFolder);

// Replaces the entry (the old key and its values go first); true when every
// value was written.
bool WriteAppsEntry(const AppsEntry& entry);

// The install folder the entry names (InstallLocation); false without one.
bool ReadAppsEntryFolder(std::string* installFolder);

// The chosen folder (the folder above "Tarnwell") of the install that the
// entry names, when that install folder still holds its record: where an
// upgrade installs by default. False without one.
bool EarlierChosenFolder(std::string* chosen);

enum EntryRemoval : int {
  kEntryRemoved = 0,
  kEntryAbsent = 1,
  kEntryOfAnotherFolder = 2,  // it names another install folder: kept
  kEntryNotRemoved = 3,
  kEntryLink = 4,  // a registry link stands at its name: left alone
};
// Removes the entry when it names this install folder.
EntryRemoval RemoveAppsEntry(const std::string& installFolder);
