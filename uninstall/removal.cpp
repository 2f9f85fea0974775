#include "uninstall/removal.h"

#include <algorithm>
#include <string>
#include <utility>

#include "host/host_contract.h"
#include "package/package_layout.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "package/manifest_check.h"
#include "record/apps_entry.h"
#include "record/install_book.h"
#include "record/record_file.h"

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return platform::EqualsIgnoreCase(a, b);
}

class Remover {
 public:
  Remover(const std::string& installFolder, const std::string& runningImage,
          const std::vector<std::string>& sharedFonts)
      : folder_(installFolder), image_(runningImage), sharedFonts_(sharedFonts) {}

  RemovalOutcome Run(const InstallRecord& record, const RemovalMode& mode) {
    // A folder that is this process's current folder cannot be removed.
    const std::string temp = platform::TempFolder();
    if (!temp.empty()) platform::ChangeCurrentFolder(temp.c_str());
    for (const std::string& text : mode.leftBehind) LeftBehind(text);
    folders_ = {folder_};
    folders_.insert(folders_.end(), record.m_earlierFolders.begin(), record.m_earlierFolders.end());
    if (record.Interrupted())
      Event("the install was cut off in its phase \"" + record.m_phase +
            "\": what it was about to write is removed where it is this install's");
    for (const std::string& key : record.m_loaderKeys) RemoveLoaderKey(key);
    for (const std::string& key : record.m_intentLoaderKeys)
      if (!Listed(record.m_loaderKeys, key)) RemoveLoaderKey(key);
    for (const std::string& key : record.m_applicationsKeys) RemoveApplicationsKey(key);
    // A font written before and about to be written again (an upgrade cut
    // off) is this install's with either content.
    for (const RecordedFont& font : record.m_fonts) {
      std::string also;
      for (const RecordedFont& next : record.m_intentFonts)
        if (SameText(next.path, font.path)) also = next.digest;
      RemoveFont(font, false, also);
    }
    for (const RecordedFont& font : record.m_intentFonts) {
      if (std::any_of(record.m_fonts.begin(), record.m_fonts.end(),
                      [&](const RecordedFont& f) { return SameText(f.path, font.path); }))
        continue;
      // Only what the install wrote: a font that lay there before and was
      // not (yet) written over is someone's own.
      if (font.existed)
        Event("font kept, it was there before the install: " + font.path);
      else if (platform::PathExists(font.path.c_str()))
        RemoveFont(font, true);
    }
    for (const std::string& folder : folders_) RemoveFilesIn(record, folder);
    if (!mode.entry) {
      for (const std::string& folder : folders_) FinishFolder(record.m_createdFolders, folder);
      return std::move(out_);
    }
    if (out_.leftBehind) {
      // The uninstaller, a record of what remains and the entry stay: the
      // same command run again finishes the uninstall.
      remains_.m_installFolder = folder_;
      remains_.m_createdFolders = record.m_createdFolders;
      remains_.m_earlierFolders = record.m_earlierFolders;
      if (IsLink(folder_))
        Event("record kept as it was, its folder is a link");
      else if (ReplaceRecordFile(folder_, remains_))
        Event("record rewritten: it names what remains");
      else
        Event("record kept as it was: what remains could not be written (" +
              platform::DescribeError(platform::LastError()) + ")");
      Event("Apps & Features entry kept: something of the install could not be removed");
      return std::move(out_);
    }
    // Before the records go, the entry that names this folder keeps what a
    // run cut off from here on needs to finish: the folders.
    std::string named;
    std::vector<std::string> unused;
    if (ReadAppsEntryState(&named, &unused) != EntryState::kNone && SamePath(named, folder_) &&
        !MakeEntryProvisional(folder_, record.m_createdFolders)) {
      LeftBehind("Apps & Features entry could not be changed: the record stays");
      return std::move(out_);
    }
    for (const std::string& folder : folders_) FinishFolder(record.m_createdFolders, folder);
    return RemoveEntry();
  }

  // An uninstall cut off after the record went (the provisional entry names
  // the folder and the folders made): the temporary files, the uninstaller,
  // the folders, then the entry.
  RemovalOutcome FinishCut(const std::vector<std::string>& created) {
    const std::string temp = platform::TempFolder();
    if (!temp.empty()) platform::ChangeCurrentFolder(temp.c_str());
    RemoveFilesIn(InstallRecord(), folder_);
    FinishFolder(created, folder_);
    return RemoveEntry();
  }

 private:
  RemovalOutcome RemoveEntry() {
    if (out_.leftBehind) {
      Event("Apps & Features entry kept: something of the install could not be removed");
      return std::move(out_);
    }
    switch (RemoveAppsEntry(folder_)) {
      case kEntryRemoved: Event("Apps & Features entry removed"); break;
      case kEntryAbsent: Event("Apps & Features entry: none"); break;
      case kEntryOfAnotherFolder: Event("Apps & Features entry kept: it names another install folder"); break;
      case kEntryNotRemoved: LeftBehind("Apps & Features entry could not be removed"); break;
      case kEntryLink: LeftBehind("Apps & Features entry kept, a registry link stands at its name"); break;
    }
    return std::move(out_);
  }

  // What the record lists in one install folder (this one, or an earlier
  // one it took over), what it was about to write there, and its own
  // temporary files.
  void RemoveFilesIn(const InstallRecord& record, const std::string& folder) {
    const auto in = [](const std::string& path, const std::string& parent) {
      const std::size_t cut = platform::FindLastChar(path, '\\');
      return cut != std::string::npos && SamePath(path.substr(0, cut), parent);
    };
    // Nothing is deleted through a link: a folder of the install that has
    // become a junction or a symbolic link leads somewhere else.
    const std::size_t cut = platform::FindLastChar(folder, '\\');
    const std::string chosen = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    const std::string library = folder + "\\" + kLibraryFolder;
    const bool folderLinked = IsLink(chosen) || IsLink(folder);
    const bool libraryLinked = folderLinked || IsLink(library);
    for (const std::string& file : record.m_files)
      if (in(file, folder)) RemoveUnlessLinked({kFile, file}, "file", folderLinked);
    for (const std::string& file : record.m_libraryFiles)
      if (in(file, library)) RemoveUnlessLinked({kLibrary, file}, "library file", libraryLinked);
    for (const std::string& file : record.m_intentFiles)
      if (in(file, folder) && !Listed(record.m_files, file))
        RemoveIfThere({kFile, file}, "file", folderLinked);
    for (const std::string& file : record.m_intentLibraryFiles)
      if (in(file, library) && !Listed(record.m_libraryFiles, file))
        RemoveIfThere({kLibrary, file}, "library file", libraryLinked);
    for (const std::string& file : record.m_staged)
      if (in(file, folder) || in(file, library)) RemoveIfThere({kFile, file}, "staged copy", libraryLinked);
    for (const char* name : {kRecordTemporary, kUninstallerTemporary})
      RemoveIfThere({kNone, folder + "\\" + name}, "temporary file", folderLinked);
  }

  // The uninstaller and the record of one install folder, then its folders:
  // the library folder, the install folder, the chosen folder and the
  // folders above it that the install made (`created`), each while empty.
  void FinishFolder(const std::vector<std::string>& created, const std::string& folder) {
    const std::size_t cut = platform::FindLastChar(folder, '\\');
    const std::string chosen = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    const std::string library = folder + "\\" + kLibraryFolder;
    const bool folderLinked = IsLink(chosen) || IsLink(folder);
    const std::string uninstaller = folder + "\\" + kUninstallerFile;
    item_ = {kNone, ""};
    if (!folderLinked && !image_.empty() && SamePath(uninstaller, image_))
      MoveOutRunningImage(uninstaller);
    else if (platform::ReadAttributes(uninstaller.c_str()) != platform::kInvalidAttributes)
      RemoveUnlessLinked({kNone, uninstaller}, "uninstaller", folderLinked);
    RemoveUnlessLinked({kNone, folder + "\\" + kRecordFile}, "record", folderLinked);
    RemoveFolder(library);
    RemoveFolder(folder);
    // The chosen folder and the folders above it that the install made,
    // from the deepest up, each only while it is empty.
    for (std::string up = chosen; !up.empty();) {
      if (std::any_of(created.begin(), created.end(), [&](const std::string& f) { return SamePath(f, up); }))
        RemoveFolder(up);
      const std::size_t at = platform::FindLastChar(up, '\\');
      up = at == std::string::npos || at < 3 ? std::string() : up.substr(0, at);
    }
  }

  // What a removal is about, so that what stays of it can be recorded.
  enum Kind { kNone, kKey, kFont, kFile, kLibrary };
  struct Item {
    Kind kind;
    std::string path;
    std::string digest = std::string();
  };

  void Event(std::string text) { out_.events.push_back(std::move(text)); }
  void LeftBehind(std::string text) {
    out_.leftBehind = true;
    Event(std::move(text));
    switch (item_.kind) {
      case kKey: remains_.AddLoaderKey(item_.path); break;
      case kFont: remains_.AddFont(item_.path, item_.digest); break;
      case kFile: remains_.AddFile(item_.path); break;
      case kLibrary: remains_.AddLibraryFile(item_.path); break;
      case kNone: break;
    }
  }
  static bool Listed(const std::vector<std::string>& list, const std::string& path) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& p) { return SameText(p, path); });
  }
  // An intent's file: removed when it is there, nothing said when it is not.
  void RemoveIfThere(const Item& item, const char* what, bool linked) {
    if (platform::ReadAttributes(item.path.c_str()) == platform::kInvalidAttributes) return;
    RemoveUnlessLinked(item, what, linked);
  }

  // A loader key the install wrote or was about to write: removed while its
  // LOADER names a module of this install, or while it has none (made
  // afresh and cut off before its values).
  void RemoveLoaderKey(const std::string& keyPath) {
    item_ = {kKey, keyPath};
    platform::RegKey keys[4];
    if (!OpenOwnKey(keyPath, 2, "loader key", keys)) return;
    char loader[platform::kRegValueBuffer];
    const bool named =
        keys[3].QueryValue(kLoaderValue, loader)
            ? std::any_of(folders_.begin(), folders_.end(),
                          [&](const std::string& folder) { return LoaderNamesModuleIn(loader, folder); })
            : !keys[3].QueryValueRaw(kLoaderValue, nullptr, nullptr);
    if (!named) {
      Event("loader key kept, its LOADER names another module: " + keyPath);
      return;
    }
    if (keys[3].DeleteThis())
      Event("loader key removed: " + keyPath);
    else
      LeftBehind("loader key kept, it could not be deleted (it has subkeys): " + keyPath);
  }

  // Opens the key `keyPath` below HKLM: its host key by path, then its last
  // `levels` names ("Applications", and a loader key below it), each the
  // key itself (keys[2], keys[3]): a registry link is never followed. Only
  // a key that is not there is gone; a link on the way, or a key that
  // cannot be opened for any other reason (access denied), stays, and the
  // uninstall says so. False when there is nothing more to do.
  bool OpenOwnKey(const std::string& keyPath, int levels, const char* what,
                  platform::RegKey (&keys)[4]) {
    std::string host = keyPath;
    std::vector<std::string> names;
    for (int i = 0; i < levels; ++i) {
      const std::size_t cut = platform::FindLastChar(host, '\\');
      if (cut == std::string::npos) return false;
      names.insert(names.begin(), host.substr(cut + 1));
      host.resize(cut);
    }
    bool link = false;
    bool opened = keys[0].OpenLocalMachine() && keys[1].Open(keys[0], host.c_str());
    for (int i = 0; opened && !link && i < levels; ++i)
      opened = keys[2 + i].OpenNoLink(keys[1 + i], names[i].c_str(), &link);
    if (opened && !link) return true;
    const std::uint32_t error = platform::LastError();
    if (link)
      LeftBehind(std::string(what) + " kept, a registry link stands on its way: " + keyPath);
    else if (error == platform::kErrorFileNotFound)
      Event(std::string(what) + " already gone: " + keyPath);
    else
      LeftBehind(std::string(what) + " kept, it cannot be opened: " + keyPath + ": " +
                 platform::DescribeError(error));
    return false;
  }

  // An "Applications" key the install made: removed when nothing stands in
  // it any more (no subkey, no value).
  void RemoveApplicationsKey(const std::string& keyPath) {
    platform::RegKey keys[4];
    if (!OpenOwnKey(keyPath, 1, "Applications key", keys)) return;
    std::uint32_t subKeys = 0, values = 0;
    if (!keys[2].Counts(&subKeys, &values)) {
      LeftBehind("Applications key kept, it cannot be examined: " + keyPath + ": " +
                 platform::DescribeError(platform::LastError()));
    } else if (subKeys != 0 || values != 0) {
      Event("Applications key kept, it is not empty: " + keyPath);
    } else if (keys[2].DeleteThis()) {
      Event("Applications key removed: " + keyPath);
    } else {
      LeftBehind("Applications key could not be deleted: " + keyPath + ": " +
                 platform::DescribeError(platform::LastError()));
    }
  }

  static bool IsLink(const std::string& path) {
    const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
    return attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReparsePoint);
  }

  void RemoveUnlessLinked(const Item& item, const char* what, bool linked) {
    item_ = item;
    if (linked)
      Event(std::string(what) + " kept, its folder is a link: " + item.path);
    else
      RemoveFile(item.path, what);
  }

  // A recorded font, by one handle: read, compared with its digest and
  // deleted only when it is still the font this install wrote where it
  // wrote it.
  void RemoveFont(const RecordedFont& font, bool intent = false, const std::string& also = "") {
    item_ = {kFont, font.path, font.digest};
    const std::size_t cut = platform::FindLastChar(font.path, '\\');
    const std::string fonts = font.path.substr(0, cut);
    for (const std::string& shared : sharedFonts_) {
      if (!SamePath(fonts, shared)) continue;
      Event("font kept, another install is registered with its host: " + font.path);
      return;
    }
    if (IsLink(fonts)) {
      LeftBehind("font kept, its Fonts folder is a link: " + font.path);
      return;
    }
    // Where the font must lie: in the Fonts folder of its host location,
    // wherever that location lies itself.
    const std::size_t up = platform::FindLastChar(fonts, '\\');
    platform::FileHandle location;
    platform::HandleFacts facts;
    const bool located = up != std::string::npos &&
                         location.OpenFolder(fonts.substr(0, up).c_str()) && location.Facts(&facts);
    platform::FileHandle file;
    const std::string expected = located ? facts.finalPath + font.path.substr(up) : font.path;
    if (!Open(file, font.path, "font", expected)) return;
    std::string content;
    if (!file.ReadAll(kFontSizeLimit, &content)) {
      Event("font kept, it cannot be read: " + font.path);
      return;
    }
    // The temporary name a font is written to is the install's whatever it
    // holds (a cut can leave it torn); the font itself only takes a whole copy.
    const bool staged = intent && font.path.size() > 4 &&
                        SameText(font.path.substr(font.path.size() - 4), kStagedSuffix);
    const std::string digest = Sha256Hex(content);
    if (digest != font.digest && digest != also && !staged) {
      Event("font kept, its content was replaced: " + font.path);
      return;
    }
    Delete(file, font.path, "font", false);
  }

  // Opens a recorded entry for its deletion and checks that the handle has
  // that very entry open (`expected`: its final path). False, with the event
  // given, when it is gone, a folder or elsewhere, or cannot be opened (in
  // use: then moved aside or scheduled for the next restart).
  bool Open(platform::FileHandle& file, const std::string& path, const std::string& kind,
            const std::string& expected) {
    if (!file.OpenToDelete(path.c_str())) {
      const std::uint32_t error = platform::LastError();
      if (error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound)
        Event(kind + " already gone: " + path);
      else
        InUse(path, kind, error);
      return false;
    }
    platform::HandleFacts facts;
    if (!file.Facts(&facts) || !SamePath(facts.finalPath, expected)) {
      LeftBehind(kind + " kept, its name leads to " + facts.finalPath + ": " + path);
      return false;
    }
    if ((facts.attributes & platform::kAttrDirectory) &&
        !(facts.attributes & platform::kAttrReparsePoint)) {
      Event(kind + " kept, it is a folder: " + path);
      return false;
    }
    return true;
  }

  // Deletes a recorded file by handle, once the handle is seen to have that
  // file open.
  void RemoveFile(const std::string& path, const char* what) {
    platform::FileHandle file;
    if (!Open(file, path, what, platform::LongPath(path))) return;
    platform::HandleFacts facts;
    file.Facts(&facts);
    Delete(file, path, what, (facts.attributes & platform::kAttrReadOnly) != 0);
  }

  // Deletes through the handle (a read-only file too); one the system will
  // not delete now is in use.
  void Delete(platform::FileHandle& file, const std::string& path, const std::string& kind,
              bool readOnly) {
    const bool deleted = file.DeleteNow();
    const std::uint32_t error = platform::LastError();
    file.Close();
    if (deleted)
      Event(kind + (readOnly ? " removed (it was read-only): " : " removed: ") + path);
    else
      InUse(path, kind, error);
  }

  // A file in use: moved aside into the temporary folder and deleted there at
  // the next restart, so that nothing waits under the install's own names; a
  // file that cannot move is deleted in place at the restart.
  void InUse(const std::string& path, const std::string& kind, std::uint32_t error) {
    const bool inUse = error == platform::kErrorHeldOpen || error == platform::kErrorAccessDenied;
    if (inUse) {
      const std::string aside = MoveAside(path, "Tarnwell-Removed.tmp");
      if (!aside.empty()) {
        out_.restartNeeded = true;
        Event(kind + " in use, moved to " + aside + " and deleted there at the next restart: " + path);
        return;
      }
    }
    if (error == platform::kErrorHeldOpen && platform::DeleteAtRestart(path.c_str())) {
      scheduled_.push_back({path, true});
      out_.restartNeeded = true;
      Event(kind + " in use, deleted at the next restart: " + path);
    } else {
      LeftBehind(kind + " could not be deleted: " + path + ": " + platform::DescribeError(error));
    }
  }

  // Moves a file into the temporary folder under a new name
  // (NumberedName(name, n), n from 1) and schedules it there for deletion at
  // the next restart; the new path, or empty when no move worked (the
  // temporary folder on another volume).
  static std::string MoveAside(const std::string& path, const char* name) {
    const std::string temp = platform::TempFolder();
    if (temp.empty()) return std::string();
    const std::string target = platform::TakeNumberedName(
        temp + "\\" + name, 1, 100, false,
        [&](const std::string& to) { return platform::MoveOneFile(path.c_str(), to.c_str()); });
    if (!target.empty()) platform::DeleteAtRestart(target.c_str());
    return target;
  }

  // The running uninstaller: renamed into the temporary folder (a running
  // image may be renamed, not deleted) and deleted there at the next
  // restart, so that its folder can go now. Where no rename works (the
  // temporary folder on another volume) it is deleted in place at restart.
  void MoveOutRunningImage(const std::string& path) {
    // The file held since the start cannot be renamed while it is held.
    platform::ReleaseRunningImage();
    const std::string aside = MoveAside(path, "Tarnwell-Uninstall.exe");
    if (!aside.empty()) {
      Event("uninstaller moved to " + aside + ", deleted at the next restart");
      return;
    }
    if (platform::DeleteAtRestart(path.c_str())) {
      scheduled_.push_back({path, false});  // its own image asks for no restart
      Event("uninstaller deleted at the next restart: " + path);
    } else {
      Event("uninstaller could not be deleted: " + path);
    }
  }

  // Whether the path waits for the restart; `needsRestart` tells whether
  // anything but the running uninstaller's own image waits with it.
  bool Scheduled(const std::string& path, bool* needsRestart) const {
    for (const auto& s : scheduled_) {
      if (!SameText(s.first, path)) continue;
      *needsRestart = s.second;
      return true;
    }
    return false;
  }

  // Removes an empty folder. One that holds only what waits for the restart
  // is scheduled after it; one that holds anything else stays.
  void RemoveFolder(const std::string& path) {
    item_ = {kNone, ""};
    const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
    if (attributes == platform::kInvalidAttributes || !(attributes & platform::kAttrDirectory))
      return;
    platform::FileHandle folder;
    platform::HandleFacts facts;
    if (folder.OpenToDelete(path.c_str()) && folder.Facts(&facts)) {
      if (!SamePath(facts.finalPath, platform::LongPath(path))) {
        LeftBehind("folder kept, its name leads to " + facts.finalPath + ": " + path);
        return;
      }
      if (folder.DeleteNow()) {
        folder.Close();
        Event("folder removed: " + path);
        return;
      }
    }
    folder.Close();
    bool onlyScheduled = true, empty = true, needsRestart = false;
    platform::FindEntry entry;
    platform::FileFinder finder;
    const std::string pattern = path + "\\*.*";
    for (bool more = finder.First(pattern.c_str(), &entry); more; more = finder.Next(&entry)) {
      const std::string name = entry.name;
      if (name == "." || name == "..") continue;
      empty = false;
      bool restart = false;
      if (!Scheduled(path + "\\" + name, &restart)) onlyScheduled = false;
      needsRestart = needsRestart || restart;
    }
    finder.Close();
    // A folder that the system will not delete now although it holds
    // nothing (a process works in it) waits for the restart: the uninstall
    // then ends asking for one, as for a file in use.
    if (onlyScheduled && platform::DeleteAtRestart(path.c_str())) {
      needsRestart = needsRestart || empty;
      scheduled_.push_back({path, needsRestart});
      out_.restartNeeded = out_.restartNeeded || needsRestart;
      Event("folder deleted at the next restart: " + path);
    } else {
      Event("folder kept, it is not empty: " + path);
    }
  }

  const std::string folder_;
  const std::string image_;
  const std::vector<std::string>& sharedFonts_;
  std::vector<std::string> folders_;  // this install folder, then the earlier ones
  std::vector<std::pair<std::string, bool>> scheduled_;  // path, needs a restart
  RemovalOutcome out_;
  Item item_{kNone, ""};
  InstallRecord remains_;
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
                              const std::vector<std::string>& sharedFonts,
                              const RemovalMode& mode) {
  return Remover(installFolder, runningImage, sharedFonts).Run(record, mode);
}

RemovalOutcome FinishCutRemoval(const std::string& installFolder, const std::string& runningImage,
                                const std::vector<std::string>& created) {
  const std::vector<std::string> none;
  return Remover(installFolder, runningImage, none).FinishCut(created);
}
