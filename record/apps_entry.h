#pragma once
// The Apps & Features entry of the plug-in: the key
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell
// (64-bit view), which Settings > Apps and deployment tools read.
#include <cstdint>
#include <string>
#include <vector>

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

// Writes every value of the entry over what the key holds (it is never
// deleted first: a cut leaves the earlier entry or this one), the install
// folder first; true when every value was written.
bool WriteAppsEntry(const AppsEntry& entry);

// A provisional entry names an install folder and nothing to start
// ("UninstallString" absent, hidden from Settings): an install cut off
// before its record was complete, or an uninstall cut off after it deleted
// the record. Its "FoldersCreated" names the folders the install made, "|"
// between them. `SetUp.exe /UNINSTALL` finishes it; an install into the
// folder takes them as made.
enum class EntryState { kNone, kProvisional, kComplete };
// What the key holds; `installFolder` empty when it names none.
EntryState ReadAppsEntryState(std::string* installFolder, std::vector<std::string>* created);
// The entry of an install that has made its folders and nothing else yet
// (where no complete entry is there).
bool WriteProvisionalEntry(const std::string& installFolder, const std::vector<std::string>& created);
// The uninstall before it deletes the record: the entry that names this
// folder becomes provisional. False when it could not.
bool MakeEntryProvisional(const std::string& installFolder, const std::vector<std::string>& created);
// Removes a key that names no install folder and nothing to start.
bool RemoveEmptyEntry();

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
