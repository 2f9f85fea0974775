#pragma once
// The install record "Uninstall.dat" on disk. A text file, one entry a line:
//
//   Tarnwell install record 2
//   folder<TAB>C:\Korvex\Tarnwell                 the install folder
//   earlier<TAB>D:\Old\Tarnwell                   an earlier install taken over
//   created<TAB>C:\Korvex                         a folder this install created
//   file<TAB>C:\Korvex\Tarnwell\Korvex2021.ZRX    a package file
//   library<TAB>C:\Korvex\Tarnwell\Korvex扩展绘图库\a.dwg
//   loader<TAB>SOFTWARE\ZWSOFT\ZWCAD\2024\Applications\Korvex2024
//   applications<TAB>SOFTWARE\ZWSOFT\ZWCAD\2024\Applications   made by the install
//   font<TAB>C:\ZWCAD 2024\Fonts\Korvex_EN.shx<TAB><SHA-256 of its content>
//   phase<TAB>copy                                the phase under way (none: ended)
//   intent-file<TAB>C:\Korvex\Tarnwell\a.txt      about to be written (and so on:
//   intent-library<TAB>...                        intent-loader<TAB><key>)
//   intent-font<TAB><path><TAB><SHA-256 of the package's font><TAB>new|old
//   staged<TAB>C:\Korvex\Tarnwell\~tarnwell-1.new  a verified copy before its rename
//   end
//
// An intent is written before its step and stays until a done line names
// the same place; "old": a file lay there before the install. A record of
// version 1 (no intents, no phase) reads as before.
//
// Paths and key paths are GBK text, as the installer uses them; lines end
// with CR LF. The reader takes the file as input that anyone may have edited:
// every line must be complete (ended by a line break), free of control bytes
// and well-formed GBK, and must name a place this installer writes to (see
// RecordScope); any other line is passed over on its own.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_registry.h"
#include "platform/files.h"
#include "record/install_record.h"

// Names beside the installed files.
constexpr const char* kRecordFile = "Uninstall.dat";
constexpr const char* kUninstallerFile = "Uninstall.exe";
constexpr const char* kRecordHeader = "Tarnwell install record 2";
constexpr const char* kRecordHeaderV1 = "Tarnwell install record 1";
// The temporary names beside them: the record is written to its own, flushed
// and put in place in one rename; the uninstaller is copied to its own and
// renamed into place.
constexpr const char* kRecordTemporary = "Uninstall.dat.new";
constexpr const char* kUninstallerTemporary = "Uninstall.exe.new";
// The longest line the reader looks at, line break excluded.
constexpr std::size_t kRecordLineLimit = 1024;
// The largest record the reader reads.
constexpr std::size_t kRecordSizeLimit = 1 << 20;

// What the reader accepts: paths inside the install folder, loader keys below
// the host keys the scan found (per host year), fonts in the Fonts folders of
// the host locations it found.
struct RecordScope {
  std::string installFolder;                       // without trailing "\"
  std::vector<std::string> hostKeys[kHostYearCount];  // 2021 first, each ending with "\"
  std::vector<std::string> hostLocations;          // without trailing "\"
};

// The record names every path in its full form (platform/files.h).
using platform::FullForm;
using platform::SamePath;

// The text of the record.
std::string FormatRecord(const InstallRecord& record);

enum RecordRead : int {
  kRecordOk = 0,
  kRecordUnreadable = 1,  // no header, another version, or another install folder
};

// Parses the text. The header line and a "folder" line naming the scope's
// install folder must come first; each later line that breaks a rule is
// counted in `ignored` and left out; of those, `unreadable` counts the ones
// that cannot be read at all (cut short, too long, control bytes, broken
// GBK, no kind this reader knows, missing or extra fields), as against lines
// that name a place outside the install. An "earlier" line names an install
// folder this one took over: later lines may name files and folders in it.
RecordRead ParseRecord(std::string_view text, const RecordScope& scope, InstallRecord* record,
                       int* ignored, int* unreadable = nullptr);

// What the record reader accepts for an install folder: the host keys and
// locations that `hosts` found.
RecordScope ScopeOf(const CHostRegistry& hosts, const std::string& installFolder);

// Reads the install folder's record; false when it is missing or unreadable.
// `unreadable`: how many of its lines could not be read (see ParseRecord).
bool LoadRecord(const RecordScope& scope, InstallRecord* record, int* ignored,
                int* unreadable = nullptr);
