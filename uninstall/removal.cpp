#include "uninstall/removal.h"

#include <algorithm>
#include <string>

#include "host/host_contract.h"
#include "package/package_layout.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "uninstall/apps_entry.h"
#include "uninstall/record_file.h"

namespace {

// The Win32 errors the removal tells apart.
constexpr std::uint32_t kErrorSharingViolation = 32, kErrorFileExists = 80,
                        kErrorAlreadyExists = 183;

bool SameText(const std::string& a, const std::string& b) {
  return platform::EqualsIgnoreCase(a, b);
}

class Remover {
 public:
  Remover(const std::string& installFolder, const std::string& runningImage,
          const std::vector<std::string>& sharedFonts)
      : folder_(installFolder), image_(runningImage), sharedFonts_(sharedFonts) {}

  RemovalOutcome Run(const InstallRecord& record) {
    // A folder that is this process's current folder cannot be removed.
    const std::string temp = platform::TempFolder();
    if (!temp.empty()) platform::ChangeCurrentFolder(temp.c_str());
    for (const std::string& key : record.m_loaderKeys) RemoveLoaderKey(key);
    for (const RecordedFont& font : record.m_fonts) RemoveFont(font);
    // Nothing is deleted through a link: a folder of the install that has
    // become a junction or a symbolic link leads somewhere else.
    const std::size_t cut = platform::FindLastChar(folder_, '\\');
    const std::string chosen = cut == std::string::npos ? std::string() : folder_.substr(0, cut);
    const bool folderLinked = IsLink(chosen) || IsLink(folder_);
    const bool libraryLinked = folderLinked || IsLink(folder_ + "\\" + kLibraryFolder);
    for (const std::string& file : record.m_files) RemoveUnlessLinked(file, "file", folderLinked);
    for (const std::string& file : record.m_libraryFiles)
      RemoveUnlessLinked(file, "library file", libraryLinked);
    RemoveUnlessLinked(folder_ + "\\" + kRecordFile, "record", folderLinked);
    const std::string uninstaller = folder_ + "\\" + kUninstallerFile;
    if (!folderLinked && !image_.empty() &&
        SamePath(uninstaller, image_))
      MoveOutRunningImage(uninstaller);
    else
      RemoveUnlessLinked(uninstaller, "uninstaller", folderLinked);
    RemoveFolder(folder_ + "\\" + kLibraryFolder);
    RemoveFolder(folder_);
    if (!chosen.empty() &&
        std::any_of(record.m_createdFolders.begin(), record.m_createdFolders.end(),
                    [&](const std::string& f) { return SamePath(f, chosen); }))
      RemoveFolder(chosen);
    if (out_.leftBehind) {
      Event("Apps & Features entry kept: something of the install could not be removed");
      return std::move(out_);
    }
    switch (RemoveAppsEntry(folder_)) {
      case kEntryRemoved: Event("Apps & Features entry removed"); break;
      case kEntryAbsent: Event("Apps & Features entry: none"); break;
      case kEntryOfAnotherFolder: Event("Apps & Features entry kept: it names another install folder"); break;
      case kEntryNotRemoved: LeftBehind("Apps & Features entry could not be removed"); break;
    }
    return std::move(out_);
  }

 private:
  void Event(std::string text) { out_.events.push_back(std::move(text)); }
  void LeftBehind(std::string text) {
    out_.leftBehind = true;
    Event(std::move(text));
  }

  void RemoveLoaderKey(const std::string& keyPath) {
    const std::size_t cut = platform::FindLastChar(keyPath, '\\');
    if (cut == std::string::npos) return;
    const std::string applications = keyPath.substr(0, cut);
    const std::string name = keyPath.substr(cut + 1);
    platform::RegKey root, parent, key;
    if (!root.OpenLocalMachine() || !parent.Open(root, applications.c_str()) ||
        !key.OpenForRead(parent, name.c_str())) {
      Event("loader key already gone: " + keyPath);
      return;
    }
    char loader[platform::kRegValueBuffer];
    const bool named = key.QueryValue(kLoaderValue, loader) && LoaderNamesModuleIn(loader, folder_);
    key.Close();
    if (!named) {
      Event("loader key kept, its LOADER names another module: " + keyPath);
      return;
    }
    if (parent.DeleteSubKey(name.c_str()))
      Event("loader key removed: " + keyPath);
    else
      LeftBehind("loader key kept, it could not be deleted (it has subkeys): " + keyPath);
  }

  static bool IsLink(const std::string& path) {
    const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReparsePoint);
  }

  void RemoveUnlessLinked(const std::string& path, const char* what, bool linked) {
    if (linked)
      Event(std::string(what) + " kept, its folder is a link: " + path);
    else
      RemoveFile(path, what);
  }

  void RemoveFont(const RecordedFont& font) {
    std::string fonts = font.path.substr(0, platform::FindLastChar(font.path, '\\'));
    for (const std::string& shared : sharedFonts_) {
      if (!SamePath(fonts, shared)) continue;
      Event("font kept, another install is registered with its host: " + font.path);
      return;
    }
    std::string content;
    if (!platform::ReadWholeFile(font.path.c_str(), kFontSizeLimit, &content)) {
      Event(platform::PathExists(font.path.c_str()) ? "font kept, it cannot be read: " + font.path
                                                    : "font already gone: " + font.path);
      return;
    }
    if (Sha256Hex(content) != font.digest) {
      Event("font kept, its content was replaced: " + font.path);
      return;
    }
    RemoveFile(font.path, "font");
  }

  // Deletes a file; one that is in use is scheduled for deletion at restart.
  void RemoveFile(const std::string& path, const char* what) {
    const std::string kind = what;
    const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
    if (attributes == platform::kInvalidAttributes) {
      Event(kind + " already gone: " + path);
      return;
    }
    if (attributes & platform::kAttrDirectory) {
      Event(kind + " kept, it is a folder: " + path);
      return;
    }
    if (platform::RemoveFile(path.c_str())) {
      Event(kind + " removed: " + path);
      return;
    }
    std::uint32_t error = platform::LastError();
    if (attributes & platform::kAttrReadOnly) {
      if (platform::WriteAttributes(path.c_str(), attributes & ~std::uint32_t{platform::kAttrReadOnly}) &&
          platform::RemoveFile(path.c_str())) {
        Event(kind + " removed (it was read-only): " + path);
        return;
      }
      error = platform::LastError();
    }
    // In use: moved aside into the temporary folder and deleted there at the
    // next restart, so that nothing waits under the install's own names; a
    // file that cannot move is deleted in place at the restart.
    const bool inUse = error == kErrorSharingViolation || error == platform::kErrorAccessDenied;
    if (inUse) {
      const std::string aside = MoveAside(path, "Tarnwell-Removed-", ".tmp");
      if (!aside.empty()) {
        out_.restartNeeded = true;
        Event(kind + " in use, moved to " + aside + " and deleted there at the next restart: " + path);
        return;
      }
    }
    if (error == kErrorSharingViolation && platform::DeleteAtRestart(path.c_str())) {
      scheduled_.push_back(path);
      out_.restartNeeded = true;
      Event(kind + " in use, deleted at the next restart: " + path);
    } else {
      LeftBehind(kind + " could not be deleted: " + path + ": " + platform::DescribeError(error));
    }
  }

  // Moves a file into the temporary folder under a new name
  // (<prefix><n><suffix>) and schedules it there for deletion at the next
  // restart; the new path, or empty when no move worked (the temporary
  // folder on another volume).
  static std::string MoveAside(const std::string& path, const char* prefix, const char* suffix) {
    const std::string temp = platform::TempFolder();
    for (int n = 1; !temp.empty() && n <= 100; ++n) {
      const std::string target = temp + "\\" + prefix + std::to_string(n) + suffix;
      if (platform::MoveOneFile(path.c_str(), target.c_str())) {
        platform::DeleteAtRestart(target.c_str());
        return target;
      }
      const std::uint32_t error = platform::LastError();
      if (error != kErrorFileExists && error != kErrorAlreadyExists) break;
    }
    return std::string();
  }

  // The running uninstaller: renamed into the temporary folder (a running
  // image may be renamed, not deleted) and deleted there at the next
  // restart, so that its folder can go now. Where no rename works (the
  // temporary folder on another volume) it is deleted in place at restart.
  void MoveOutRunningImage(const std::string& path) {
    const std::string aside = MoveAside(path, "Tarnwell-Uninstall-", ".exe");
    if (!aside.empty()) {
      Event("uninstaller moved to " + aside + ", deleted at the next restart");
      return;
    }
    if (platform::DeleteAtRestart(path.c_str())) {
      scheduled_.push_back(path);
      Event("uninstaller deleted at the next restart: " + path);
    } else {
      Event("uninstaller could not be deleted: " + path);
    }
  }

  bool Scheduled(const std::string& path) const {
    return std::any_of(scheduled_.begin(), scheduled_.end(),
                       [&](const std::string& s) { return SameText(s, path); });
  }

  // Removes an empty folder. One that holds only what waits for the restart
  // is scheduled after it; one that holds anything else stays.
  void RemoveFolder(const std::string& path) {
    const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
    if (attributes == platform::kInvalidAttributes || !(attributes & platform::kAttrDirectory))
      return;
    if (platform::RemoveFolder(path.c_str())) {
      Event("folder removed: " + path);
      return;
    }
    bool onlyScheduled = true;
    platform::FindEntry entry;
    platform::FileFinder finder;
    const std::string pattern = path + "\\*.*";
    for (bool more = finder.First(pattern.c_str(), &entry); more; more = finder.Next(&entry)) {
      const std::string name = entry.name;
      if (name == "." || name == "..") continue;
      if (!Scheduled(path + "\\" + name)) onlyScheduled = false;
    }
    finder.Close();
    if (onlyScheduled && platform::DeleteAtRestart(path.c_str())) {
      scheduled_.push_back(path);
      Event("folder deleted at the next restart: " + path);
    } else {
      Event("folder kept, it is not empty: " + path);
    }
  }

  const std::string folder_;
  const std::string image_;
  const std::vector<std::string>& sharedFonts_;
  std::vector<std::string> scheduled_;
  RemovalOutcome out_;
};

}  // namespace

bool LoaderNamesModuleIn(const std::string& loader, const std::string& folder) {
  const std::string path = FullForm(loader);
  const std::size_t cut = platform::FindLastChar(path, '\\');
  if (cut == std::string::npos || cut + 1 == path.size() || platform::EndsWithChar(loader, '\\'))
    return false;
  return SamePath(path.substr(0, cut), folder);
}

RemovalOutcome RemoveRecorded(const InstallRecord& record, const std::string& installFolder,
                              const std::string& runningImage,
                              const std::vector<std::string>& sharedFonts) {
  return Remover(installFolder, runningImage, sharedFonts).Run(record);
}
