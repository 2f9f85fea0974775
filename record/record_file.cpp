#include "record/record_file.h"

#include <algorithm>

#include "package/manifest_check.h"
#include "package/package_layout.h"
#include "package/package_paths.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace {

bool Contains(const std::vector<std::string>& list, std::string_view text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& item) { return platform::EqualsIgnoreCase(item, text); });
}

// Splits at the last "\" (a character, not a second byte).
bool SplitLast(std::string_view path, std::string_view* parent, std::string_view* name) {
  const std::size_t cut = platform::FindLastChar(path, '\\');
  if (cut == std::string_view::npos) return false;
  *parent = path.substr(0, cut);
  *name = path.substr(cut + 1);
  return true;
}

// A name that Windows takes for a device whatever folder it stands in:
// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any extension.
bool DeviceName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

// One file name, as Windows would take it literally: no separator, no
// wildcard, no stream or drive, not "." or "..", no device name, and no
// trailing dot or blank (Windows would strip it and name another file).
bool PlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || DeviceName(name)) return false;
  for (std::size_t pos = 0; pos < name.size(); pos += platform::CharLength(name, pos)) {
    if (platform::CharLength(name, pos) != 1) continue;
    if (std::string_view("\\/:*?\"<>|").find(name[pos]) != std::string_view::npos) return false;
  }
  // A second byte is never "." or " ", so the last byte tells.
  return name.back() != '.' && name.back() != ' ';
}

bool SameText(std::string_view a, std::string_view b) { return platform::EqualsIgnoreCase(a, b); }

// A "." or "..", or a name that ends in a dot or a blank (which the full
// form drops), among the names of a path: the record names each place
// plainly, never by a way round.
bool HasDotName(std::string_view path) {
  for (const std::string& name : platform::SplitAtChar(path, '\\'))
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return true;
  return false;
}

std::string LibraryFolderOf(const std::string& installFolder) {
  return installFolder + "\\" + kLibraryFolder;
}

bool ValidCreatedFolder(std::string_view path, const RecordScope& scope) {
  if (SamePath(path, scope.installFolder) || SamePath(path, LibraryFolderOf(scope.installFolder)))
    return true;
  // The chosen folder or a folder above it that the install made: a folder
  // of the install folder's way, never a drive's root.
  std::string_view parent, name;
  if (!SplitLast(scope.installFolder, &parent, &name) || !SameText(name, kInstallSubfolder))
    return false;
  while (platform::FindLastChar(parent, '\\') != std::string_view::npos) {
    if (SamePath(path, parent)) return true;
    std::string_view up;
    if (!SplitLast(parent, &up, &name)) return false;
    parent = up;
  }
  return false;
}

bool ValidFileIn(std::string_view path, std::string_view folder) {
  std::string_view parent, name;
  return SplitLast(path, &parent, &name) && SamePath(parent, folder) && PlainName(name);
}

bool ValidLoaderKey(std::string_view keyPath, const RecordScope& scope) {
  // <host key>\Applications\Korvex<year>, the host key as the scan found it
  // for that year.
  if (keyPath.size() < 4) return false;
  const std::string_view yearText = keyPath.substr(keyPath.size() - 4);
  if (!std::all_of(yearText.begin(), yearText.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const int year = std::stoi(std::string(yearText));
  if (!IsHostYear(year)) return false;
  const std::string name = LoaderKeyName(year);
  if (keyPath.size() < name.size() || !SameText(keyPath.substr(keyPath.size() - name.size()), name))
    return false;
  const std::string_view host = keyPath.substr(0, keyPath.size() - name.size());
  // The cut must fall on a character boundary.
  std::size_t pos = 0;
  while (pos < host.size()) pos += platform::CharLength(keyPath, pos);
  if (pos != host.size() || host.empty()) return false;
  return Contains(scope.hostKeys[HostYearIndex(year)], host);
}

// <host key>Applications, the host key as the scan found it for any year.
bool ValidApplicationsKey(std::string_view keyPath, const RecordScope& scope) {
  for (const auto& keys : scope.hostKeys)
    for (const std::string& host : keys)
      if (SameText(keyPath, host + kApplicationsKey)) return true;
  return false;
}

// An earlier install folder that this install took over: a full path from a
// drive's root that ends in the install subfolder, never this one.
bool ValidEarlierFolder(std::string_view path, const RecordScope& scope) {
  std::string_view parent, name;
  return path.size() > 3 && path[1] == ':' && path[2] == '\\' && SplitLast(path, &parent, &name) &&
         SameText(name, kInstallSubfolder) && SameText(FullForm(path), path) &&
         !SamePath(path, scope.installFolder);
}

bool ValidFont(std::string_view path, const RecordScope& scope) {
  std::string_view fonts, name;
  if (!SplitLast(path, &fonts, &name)) return false;
  if (name.size() > 4 && SameText(name.substr(name.size() - 4), kStagedSuffix))
    name.remove_suffix(4);  // its temporary name
  if (!SameText(name, kFontFiles[0]) && !SameText(name, kFontFiles[1])) return false;
  for (const std::string& location : scope.hostLocations)
    if (SamePath(fonts, location + "\\" + kFontsFolder)) return true;
  return false;
}

// Splits a line at its tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos
                                                                    : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return out;
}

// A phase name: lower-case letters, at most 16.
bool PhaseName(std::string_view name) {
  return !name.empty() && name.size() <= 16 &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// A package file (not the record or the uninstaller) directly in the folder.
bool ValidPackageFile(std::string_view path, const RecordScope& scope) {
  std::string_view parent, name;
  return ValidFileIn(path, scope.installFolder) && SplitLast(path, &parent, &name) &&
         !SameText(name, kRecordFile) && !SameText(name, kUninstallerFile);
}

// A staged copy: a name of the install or library folder's own that ends in ".new".
bool ValidStaged(std::string_view path, const RecordScope& scope) {
  std::string_view parent, name;
  return (ValidPackageFile(path, scope) || ValidFileIn(path, LibraryFolderOf(scope.installFolder))) &&
         SplitLast(path, &parent, &name) && name.size() > 4 && SameText(name.substr(name.size() - 4), ".new");
}

// One entry line: taken, or passed over as naming a place outside this
// install, or as a line that cannot be read (of no kind, or short of its
// fields).
enum LineKind { kLineTaken, kLineOutside, kLineUnreadable };

// One entry line. Files and folders may lie in
// the install folder or in an earlier one the record names.
LineKind TakeLine(const std::vector<std::string_view>& f, const RecordScope& own,
              InstallRecord* record) {
  const std::string_view kind = f[0];
  if (f.size() < 2 || f[1].size() > kMaxPathText) return kLineUnreadable;
  if (HasDotName(f[1])) return kLineOutside;
  const std::string path(f[1]);
  if (kind == "font" || kind == "intent-font") {
    const bool intent = kind != "font";
    if (f.size() != (intent ? 4u : 3u) || !IsDigestText(std::string(f[2])) ||
        (intent && f[3] != "new" && f[3] != "old"))
      return kLineUnreadable;
    if (!ValidFont(path, own)) return kLineOutside;
    if (intent)
      record->IntendFont(FullForm(path), std::string(f[2]), f[3] == "old");
    else
      record->AddFont(FullForm(path), std::string(f[2]));
    return kLineTaken;
  }
  if (f.size() != 2) return kLineUnreadable;
  // What a phase under way was about to write: in this install's own places.
  if (kind == "phase") {
    if (!PhaseName(path)) return kLineUnreadable;
    record->m_phase = path;
    return kLineTaken;
  }
  if (kind == "intent-file" || kind == "intent-library" || kind == "intent-loader" || kind == "staged") {
    const bool valid = kind == "intent-file"      ? ValidPackageFile(path, own)
                       : kind == "intent-library" ? ValidFileIn(path, LibraryFolderOf(own.installFolder))
                       : kind == "staged"         ? ValidStaged(path, own)
                                                  : ValidLoaderKey(path, own);
    if (!valid) return kLineOutside;
    if (kind == "intent-file") record->IntendFile(FullForm(path));
    if (kind == "intent-library") record->IntendLibraryFile(FullForm(path));
    if (kind == "staged") record->AddStaged(FullForm(path));
    if (kind == "intent-loader") record->IntendLoaderKey(path);
    return kLineTaken;
  }
  if (kind == "earlier") {
    if (!ValidEarlierFolder(path, own)) return kLineOutside;
    record->AddEarlierFolder(path);
    return kLineTaken;
  }
  std::vector<std::string> folders{own.installFolder};
  folders.insert(folders.end(), record->m_earlierFolders.begin(), record->m_earlierFolders.end());
  const auto inAny = [&](auto valid) {
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
      RecordScope scope;
      scope.installFolder = folder;
      return valid(scope);
    });
  };
  if (kind == "created") {
    if (!inAny([&](const RecordScope& scope) { return ValidCreatedFolder(path, scope); }))
      return kLineOutside;
    record->AddCreatedFolder(FullForm(path));
  } else if (kind == "file") {
    std::string_view parent, name;
    SplitLast(path, &parent, &name);
    if (!inAny([&](const RecordScope& scope) { return ValidFileIn(path, scope.installFolder); }) ||
        SameText(name, kRecordFile) || SameText(name, kUninstallerFile))
      return kLineOutside;
    record->AddFile(FullForm(path));
  } else if (kind == "library") {
    if (!inAny([&](const RecordScope& scope) {
          return ValidFileIn(path, LibraryFolderOf(scope.installFolder));
        }))
      return kLineOutside;
    record->AddLibraryFile(FullForm(path));
  } else if (kind == "applications") {
    if (!ValidApplicationsKey(path, own)) return kLineOutside;
    record->AddApplicationsKey(path);
  } else if (kind == "loader") {
    if (!ValidLoaderKey(path, own)) return kLineOutside;
    record->AddLoaderKey(path);
  } else {
    return kLineUnreadable;
  }
  return kLineTaken;
}

}  // namespace

std::string FormatRecord(const InstallRecord& record) {
  std::string out = std::string(kRecordHeader) + "\r\n";
  out += "folder\t" + record.m_installFolder + "\r\n";
  for (const std::string& p : record.m_earlierFolders) out += "earlier\t" + p + "\r\n";
  for (const std::string& p : record.m_createdFolders) out += "created\t" + p + "\r\n";
  for (const std::string& p : record.m_files) out += "file\t" + p + "\r\n";
  for (const std::string& p : record.m_libraryFiles) out += "library\t" + p + "\r\n";
  for (const std::string& p : record.m_loaderKeys) out += "loader\t" + p + "\r\n";
  for (const std::string& p : record.m_applicationsKeys) out += "applications\t" + p + "\r\n";
  for (const RecordedFont& f : record.m_fonts) out += "font\t" + f.path + "\t" + f.digest + "\r\n";
  if (!record.m_phase.empty()) out += "phase\t" + record.m_phase + "\r\n";
  // An intent that a done line names is done: it goes.
  const auto open = [](const std::vector<std::string>& done, const std::string& p) {
    return !Contains(done, p);
  };
  for (const std::string& p : record.m_intentFiles)
    if (open(record.m_files, p)) out += "intent-file\t" + p + "\r\n";
  for (const std::string& p : record.m_intentLibraryFiles)
    if (open(record.m_libraryFiles, p)) out += "intent-library\t" + p + "\r\n";
  for (const std::string& p : record.m_intentLoaderKeys)
    if (open(record.m_loaderKeys, p)) out += "intent-loader\t" + p + "\r\n";
  for (const RecordedFont& f : record.m_intentFonts) {
    // Done only with the same content: written again over an earlier
    // install's font, the intent stays until the new digest is recorded.
    const bool done = std::any_of(record.m_fonts.begin(), record.m_fonts.end(), [&](const RecordedFont& d) {
      return SameText(d.path, f.path) && d.digest == f.digest;
    });
    if (!done)
      out += "intent-font\t" + f.path + "\t" + f.digest + (f.existed ? "\told" : "\tnew") + "\r\n";
  }
  for (const std::string& p : record.m_staged) out += "staged\t" + p + "\r\n";
  out += "end\r\n";
  return out;
}

RecordRead ParseRecord(std::string_view text, const RecordScope& scope, InstallRecord* record,
                       int* ignored, int* unreadable) {
  *record = InstallRecord();
  *ignored = 0;
  int unread = 0;
  if (!unreadable) unreadable = &unread;
  *unreadable = 0;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      ++*ignored;  // a last line without its line break: cut short
      ++*unreadable;
      break;
    }
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++lineNumber;
    const bool readable =
        line.size() <= kRecordLineLimit && platform::WellFormedGbk(line) &&
        !std::any_of(line.begin(), line.end(), [](char c) {
          const auto b = static_cast<unsigned char>(c);
          return (b < 0x20 && c != '\t') || b == 0x7F;
        });
    if (lineNumber == 1) {
      if (line != kRecordHeader && line != kRecordHeaderV1) return kRecordUnreadable;
      continue;
    }
    if (lineNumber == 2) {
      const auto f = Fields(line);
      if (!readable || f.size() != 2 || f[0] != "folder" || !SamePath(f[1], scope.installFolder))
        return kRecordUnreadable;
      record->m_installFolder = FullForm(f[1]);
      continue;
    }
    if (line == "end") break;
    if (line.empty()) continue;
    const LineKind kind = readable ? TakeLine(Fields(line), scope, record) : kLineUnreadable;
    if (kind != kLineTaken) ++*ignored;
    if (kind == kLineUnreadable) ++*unreadable;
  }
  return lineNumber >= 2 ? kRecordOk : kRecordUnreadable;
}

RecordScope ScopeOf(const CHostRegistry& hosts, const std::string& installFolder) {
  RecordScope scope;
  scope.installFolder = FullForm(installFolder);
  for (int i = 0; i < kHostYearCount; ++i) {
    for (std::size_t j = 0; j < hosts.m_keyPaths[i].Count(); ++j)
      scope.hostKeys[i].push_back(hosts.m_keyPaths[i].At(j));
    for (std::size_t j = 0; j < hosts.m_locations[i].Count(); ++j)
      scope.hostLocations.push_back(hosts.m_locations[i].At(j));
  }
  return scope;
}

bool LoadRecord(const RecordScope& scope, InstallRecord* record, int* ignored, int* unreadable) {
  std::string text;
  const std::string path = scope.installFolder + "\\" + kRecordFile;
  if (!platform::ReadWholeFile(path.c_str(), kRecordSizeLimit, &text)) return false;
  return ParseRecord(text, scope, record, ignored, unreadable) == kRecordOk;
}
