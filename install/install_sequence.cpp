// The Install button: the one-time warning that the host program runs, the
// install folder and its "Tarnwell" subfolder, then the package copy, the
// loader registration and the fonts with the progress bar, and the closing
// message. The same sequence runs silently, without a window.
#include "install/install_sequence.h"

#include <algorithm>
#include <vector>

#include "host/font_deployment.h"
#include "host/host_process.h"
#include "host/host_registry.h"
#include "host/loader_registration.h"
#include "install/folder_lock.h"
#include "install/install_paths.h"
#include "install/install_target.h"
#include "package/package_copy.h"
#include "package/package_layout.h"
#include "package/manifest_check.h"
#include "package/package_manifest.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"
#include "record/version.h"
#include "record/apps_entry.h"
#include "record/install_book.h"
#include "record/record_file.h"
#include "uninstall/removal.h"
#include "uninstall/uninstaller.h"

bool g_warnHostRunning = true;
std::int32_t g_versionNumber = TARNWELL_VERSION_NUMBER;

namespace {

constexpr const char* kCloseHostText = "请关闭CAD后再进行安装 !";
constexpr const char* kCloseHostCaption = "Tarnwell软件安装";
constexpr const char* kDoneText = "安装完成，重启CAD即可使用 !";
constexpr const char* kDoneCaption = "Tarnwell工具箱安装";
// An install that ends in part says so, and where its log is.
constexpr const char* kPartialText = "安装未全部完成，部分文件或设置未能写入 !\n\n请查看日志：";
constexpr const char* kUnnamedPathText = "安装路径含有系统无法识别的字符 !\n\n请选择其他安装路径 !";

constexpr int kProgressMax = 50;

std::string YearsText(const std::int32_t (&years)[kHostYearCount]) {
  std::string text;
  for (int y = 0; y < kHostYearCount; ++y)
    if (years[y]) text += " " + std::to_string(HostYearAt(y));
  return text.empty() ? " none" : text;
}

// Writes the record again after a step, with what the step did.
bool SaveRecord(CInstallBook& book, const char* after) {
  if (book.Save()) {
    platform::Log(std::string("install record written after ") + after);
    return true;
  }
  platform::Log(std::string("install record not written after ") + after + ": " +
                platform::DescribeError(platform::LastError()));
  return false;
}

// What the loader registration is about to write: the loader key of every
// chosen year below each of its host keys.
PhaseIntents LoaderIntents(const std::int32_t (&f)[kHostYearCount]) {
  PhaseIntents intents;
  for (int y = 0; y < kHostYearCount; ++y) {
    if (!f[y]) continue;
    std::string name = kLoaderKeyFormat;
    name.replace(name.find("%d"), 2, std::to_string(HostYearAt(y)));
    const StringList& keys = g_hostRegistry.m_keyPaths[y];
    for (std::size_t i = 0; i < keys.Count(); ++i) intents.loaderKeys.push_back(keys.At(i) + name);
  }
  return intents;
}

// What the font deployment is about to write: both fonts in the Fonts
// folder of every chosen host, with the digest of the package's font and
// whether a file lies under that name now.
PhaseIntents FontIntents(const std::int32_t (&f)[kHostYearCount], const OpenedPackage& package) {
  PhaseIntents intents;
  std::string digests[2];
  for (int i = 0; i < 2; ++i) {
    std::string content;
    if (package.fonts[i].IsOpen() && package.fonts[i].ReadAll(kFontSizeLimit, &content))
      digests[i] = Sha256Hex(content);
  }
  for (int y = 0; y < kHostYearCount; ++y) {
    if (!f[y]) continue;
    const StringList& locations = g_hostRegistry.m_locations[y];
    for (std::size_t j = 0; j < locations.Count(); ++j) {
      for (int i = 0; i < 2; ++i) {
        const std::string path = locations.At(j) + "\\" + kFontsFolder + "\\" + kFontFiles[i];
        if (digests[i].empty()) continue;
        intents.fonts.push_back({path, digests[i], platform::PathExists(path.c_str())});
        intents.fonts.push_back({path + kStagedSuffix, digests[i], false});  // written first
      }
    }
  }
  return intents;
}

// An uninstall that found a file of this folder in use may have left it to
// be deleted at the next restart: such deletes of what this install now
// holds (the chosen folder, the install folder and everything below it, the
// fonts it copied) are taken back, so that the restart keeps the install.
// Gives the paths whose delete was taken back.
std::vector<std::string> KeepFromRestartDeletes(const std::string& chosen,
                                                const std::string& installFolder,
                                                const InstallRecord& written) {
  std::vector<std::string> kept;
  const std::string inside = platform::LowerCase(installFolder + "\\");
  const int cancelled = platform::CancelDeletesAtRestart([&](const std::string& path) {
    const std::string full = FullForm(path);
    const bool ours =
        SamePath(full, chosen) || SamePath(full, installFolder) ||
        platform::LowerCase(full).compare(0, inside.size(), inside) == 0 ||
        std::any_of(written.m_fonts.begin(), written.m_fonts.end(),
                    [&](const RecordedFont& font) { return SamePath(font.path, full); });
    if (ours) {
      platform::Log("delete at the next restart taken back: " + path);
      kept.push_back(full);
    }
    return ours;
  });
  if (cancelled < 0) {
    platform::Log("the deletes pending for the next restart cannot be read or changed: " +
                  platform::DescribeError(platform::LastError()));
    kept.clear();
  }
  return kept;
}

// The long form of a full path: each short (8.3) name of the part that
// exists in its long form (GetLongPathNameW), the rest as it is.
std::string LongFormOfExisting(const std::string& full) {
  std::size_t cut = full.size();
  while (cut > 3) {
    const std::string head = full.substr(0, cut);
    if (platform::ReadAttributes(head.c_str()) != platform::kInvalidAttributes)
      return platform::LongPath(head) + full.substr(cut);
    cut = platform::FindLastChar(head, '\\');
    if (cut == std::string::npos) break;
  }
  return full;
}

// The install the Apps & Features entry names, when it lies in another
// folder than `installFolder` and its record can be read: one product has
// one folder, so this install takes it over.
bool EarlierInstallElsewhere(const std::string& installFolder, std::string* folder,
                             InstallRecord* record) {
  if (!ReadAppsEntryFolder(folder)) return false;
  *folder = FullForm(*folder);
  if (SamePath(*folder, installFolder)) return false;
  // Its record is read only through folders that nobody else can change.
  std::string reason;
  if (!SecureTheWay(*folder, &reason)) {
    platform::Log("the Apps & Features entry names " + *folder + ", whose way is not safe (" +
                  reason + "): not taken over");
    return false;
  }
  int ignored = 0;
  if (!LoadRecord(ScopeOf(g_hostRegistry, *folder), record, &ignored)) {
    platform::Log("the Apps & Features entry names " + *folder +
                  ", whose install record is missing or unreadable: not taken over");
    return false;
  }
  return true;
}

// After this install ended (installed, or in part): the earlier install is
// removed as its own uninstall would remove it, keeping what this install
// uses (a loader key it rewrote names this folder; a font in a Fonts folder
// of a host registered with it stays). Its entries then leave the record,
// unless something of it stays (this install's uninstall tries again).
void RemoveTakenOver(CInstallBook& book, const std::string& installFolder) {
  const std::string earlier = book.TakenOverFolder();
  // Its own folder first, then the ones it had taken over itself.
  InstallRecord record = book.TakenOver();
  auto& more = record.m_earlierFolders;
  more.erase(std::remove_if(more.begin(), more.end(),
                            [&](const std::string& f) { return SamePath(f, earlier); }),
             more.end());
  std::string reason;
  if (!SecureTheWay(earlier, &reason)) {
    platform::Log("earlier install in " + earlier + " not removed: its folder is not safe: " + reason);
    return;
  }
  RemovalMode mode;
  mode.entry = false;
  const RemovalOutcome outcome =
      RemoveRecorded(record, earlier, std::string(),
                     FontsOfOtherInstalls(g_hostRegistry, OwnFolders(earlier, record)), mode);
  for (const std::string& event : outcome.events) platform::Log("earlier install: " + event);
  if (outcome.leftBehind || outcome.restartNeeded) {
    platform::Log("earlier install in " + earlier + " removed in part: the install record of " +
                  installFolder + " keeps what stays");
    return;
  }
  platform::Log("earlier install in " + earlier + " removed: this install takes its place");
  book.TakeOverDone();
}

// The install stopped by the package: an unusable package is said once,
// here, whichever check found it, and the site is closed with Cancel.
int PackageStopped(CInstallSite& site) {
  if (site.Session().StopCode() == kExitPackageUnusable)
    site.Session().Tell(kPackageDamagedText, kSetupCaption);
  site.CloseCancel();
  return site.Session().StopCode();
}

// The manifest this image carries, and the package opened, counted and
// checked (against the manifest when there is one) before anything is
// created (the target then holds it). False when the install cannot go on:
// a damaged manifest, no package, or a package that is not usable.
bool CheckPackage(CInstallSession& session, const PackageManifest& manifest, CInstallTarget& target) {
  switch (manifest.state) {
    case ManifestState::kAbsent:
      // Without a manifest the package is counted and checked all the same.
      platform::Log("package not verified: this SetUp.exe carries no package manifest");
      break;
    case ManifestState::kDamaged:
      platform::Log("package manifest of this SetUp.exe not usable: " + manifest.problem);
      return session.Stop(kExitPackageUnusable);
    case ManifestState::kValid:
      target.m_package.manifest = &manifest;
      break;
  }
  std::string source;
  if (!GetPackageSource(source, session)) return session.Stop(kExitNoPackage);
  return OpenPackage(target.m_package, source, session);
}

// Progress mode, the package copy, the loaders and the fonts, the record
// after each. False when the package copy gave up; the site has then been
// closed with Cancel.
bool RunInstall(CInstallSite& site, CInstallTarget& target, const std::string& installFolder,
                const std::int32_t (&f)[kHostYearCount], CInstallBook& book) {
  site.EnterProgressMode();
  platform::ProgressBar& bar = site.Progress();
  bar.SetRange(0, kProgressMax);
  bar.SetStep(1);
  bar.SetPos(0);

  const bool copied = CopyPackageFiles(target);
  if (!SaveRecord(book, "the package copy")) site.Session().MarkPartial();
  if (!copied) {
    PackageStopped(site);
    return false;
  }
  const bool libraryCopied = CopyExtensionLibrary(target);
  if (!SaveRecord(book, "the library copy")) site.Session().MarkPartial();
  if (!libraryCopied) {
    PackageStopped(site);
    return false;
  }
  if (target.m_package.manifest)
    platform::Log("package verified: every file copied has the SHA-256 of the package manifest");
  bar.StepIt();

  g_hostRegistry.m_installFolder = installFolder;
  DropTrailingSeparator(g_hostRegistry.m_installFolder);
  // Each phase only once the record names what it is about to write.
  if (!book.BeginPhase("loaders", LoaderIntents(f)) ||
      !RegisterLoaders(g_hostRegistry, f[0] != 0, f[1] != 0, f[2] != 0, f[3] != 0, f[4] != 0,
                       f[5] != 0, f[6] != 0))
    site.Session().MarkPartial();
  if (!SaveRecord(book, "the loader keys")) site.Session().MarkPartial();
  bar.StepIt();
  if (book.BeginPhase("fonts", FontIntents(f, target.m_package)))
    InstallFonts(g_hostRegistry, site.Session(), &target.m_package, f[0] != 0, f[1] != 0,
                 f[2] != 0, f[3] != 0, f[4] != 0, f[5] != 0, f[6] != 0);
  else
    site.Session().MarkPartial();
  if (!book.UninstallerCopied()) {
    platform::Log("uninstaller not copied into " + installFolder);
    site.Session().MarkPartial();
  }
  bar.StepIt();
  bar.SetPos(kProgressMax);
  return true;
}

// No window at all: the values come from the command line, the bar has no
// control, and the silent rules answer.
class CSilentSite : public CInstallSite {
 public:
  CInstallSession& Session() override { return session_; }
  void ReadControls() override {}
  void EnterProgressMode() override {}
  platform::ProgressBar& Progress() override { return bar_; }
  void CloseOk() override {}
  void CloseCancel() override {}

 private:
  CSilentSession session_;
  platform::ProgressBar bar_;
};

}  // namespace

std::string DefaultInstallPath() {
  std::string chosen;
  if (!EarlierChosenFolder(&chosen)) return kDefaultInstallPath;
  platform::Log("an earlier install in " + chosen + "\\" + kInstallSubfolder +
                ": the install path is " + chosen + " unless given");
  return chosen;
}

int RunInstallSequence(CInstallSite& site, std::string& installPath,
                       std::int32_t (&yearSelected)[kHostYearCount]) {
  CInstallSession& session = site.Session();
  if (g_warnHostRunning && IsHostRunning()) {
    platform::Log(std::string("the host program is running (") + kHostExecutable + ")");
    session.Tell(kCloseHostText, kCloseHostCaption);
    g_warnHostRunning = false;
    return session.Silent() ? kExitHostRunning : kInstallNotRun;
  }
  site.ReadControls();
  platform::Log("years:" + YearsText(yearSelected) + "; install path: \"" + installPath + "\"");
  // A silent install may be started by a service, whose current folder is
  // the system folder: only a path from a drive's root is taken.
  if (session.Silent() && !platform::IsRootedPath(installPath)) {
    platform::Log("install path not from a drive's root: \"" + installPath + "\"");
    return kExitBadPath;
  }
  if (installPath.empty()) throw platform::InvalidArgumentError();
  // Typed, picked or given with /D=: a character that GBK cannot hold came
  // in as kUnnamedChar, and no folder of that name can be made or used.
  if (platform::HoldsUnnamedChar(installPath)) {
    platform::Log("install path holds a character that GBK cannot hold: \"" + installPath + "\"");
    session.Tell(kUnnamedPathText, kSetupCaption);
    return session.Silent() ? kExitBadPath : kInstallNotRun;
  }
  // The full form, once, before anything is created: the same folders as
  // typed, and every path the install writes (the loader, the record, the
  // Apps & Features entry) names them as the uninstall will find them.
  std::string full;
  if (!platform::FullPath(installPath, &full)) {
    platform::Log("install path has no full form that fits: \"" + installPath + "\"");
    session.Tell(kInstallPathTooLongText, kSetupCaption);
    return session.Silent() ? kExitBadPath : kInstallNotRun;
  }
  // The long form of what exists (an 8.3 name typed or given with /D=):
  // the loader values, the record and the entry name the folder as every
  // final path will.
  installPath = LongFormOfExisting(full);
  DropTrailingSeparator(installPath);
  // Every path made from the install folder must fit its buffer (kPathBuffer):
  // refuse a folder that is too long before anything is created.
  if (!InstallFolderFits(installPath + "\\" + kInstallSubfolder)) {
    platform::Log("install path too long: " + installPath);
    session.Tell(kInstallPathTooLongText, kSetupCaption);
    return session.Silent() ? kExitBadPath : kInstallNotRun;
  }
  // Nothing is created or copied before every folder on the way is one that
  // only administrators can rename or re-own, and the install folder is
  // locked to them: a new folder is born locked, an existing one that is not
  // locked is replaced.
  const auto refuse = [&](const std::string& reason) {
    platform::Log("install path not safe: " + reason);
    session.Tell(kInstallPathUnsafeText, kSetupCaption);
    return session.Silent() ? kExitBadPath : kInstallNotRun;
  };
  const PackageManifest manifest = LoadPackageManifest();
  CInstallTarget target(installPath + "\\" + kInstallSubfolder, site.Progress(), session);
  if (!CheckPackage(session, manifest, target)) return PackageStopped(site);
  // Every folder of the way, from the drive's root down to the library
  // folder, is checked and held until the install ends; what is missing is
  // made born locked, all of it, or the install does not start.
  const auto cannotMake = [&](const std::string& reason) {
    platform::Log("the install folder cannot be created: " + reason);
    session.Tell(kFolderNotMadeText, kSetupCaption);
    return session.Silent() ? kExitBadPath : kInstallNotRun;
  };
  const auto stopped = [&](CHeldWay::Result result, const std::string& reason) {
    return result == CHeldWay::kCannotMake ? cannotMake(reason) : refuse(reason);
  };
  const std::string chosen = installPath;
  std::string reason;
  CHeldWay way;
  CHeldWay::Result held = way.Hold(chosen, true, &reason);
  if (held != CHeldWay::kHeld) return stopped(held, reason);
  const bool picked = TakePickedFolder(chosen);
  installPath += "\\";
  installPath += kInstallSubfolder;
  CInstallFolder folder;
  const CInstallFolder::Result prepared = folder.Prepare(installPath, &reason);
  if (prepared == CInstallFolder::kRefused) {
    way.Undo();
    return refuse(reason);
  }
  if (prepared != CInstallFolder::kUsed && !folder.Created()) {
    way.Undo();
    return cannotMake(installPath + ": " + platform::DescribeError(platform::LastError()));
  }
  const std::string library = installPath + "\\" + kLibraryFolder;
  if ((held = way.HoldBelow(installPath, folder.Created(), &reason)) != CHeldWay::kHeld ||
      (held = way.HoldBelow(library, false, &reason)) != CHeldWay::kHeld)
    return stopped(held, reason);
  platform::Log("install folder: " + installPath);
  // The record of this install. A folder moved aside was not trusted: what
  // it holds, its record included, is evidence of nothing and goes.
  CInstallBook book(installPath, g_hostRegistry);
  folder.RemoveMovedAside();
  std::string earlierFolder;
  InstallRecord earlierRecord;
  if (EarlierInstallElsewhere(installPath, &earlierFolder, &earlierRecord)) {
    platform::Log("an earlier install in " + earlierFolder + " is taken over by this one");
    book.TakeOver(earlierFolder, earlierRecord);
  }
  if (picked) book.FolderCreated(chosen);
  for (const std::string& made : way.Made()) book.FolderCreated(made);
  // An install into this folder cut off before its record named the
  // folders it made in its provisional entry: they are this install's too.
  std::string named;
  std::vector<std::string> earlier;
  if (ReadAppsEntryState(&named, &earlier) == EntryState::kProvisional && SamePath(named, installPath))
    for (const std::string& made : earlier) book.FolderCreated(made);
  // Before anything is written there (and again for the fonts once
  // written): a folder that an uninstall had left to the restart, taken
  // back, is this install's own again, as far as its uninstall goes.
  for (const std::string& path : KeepFromRestartDeletes(chosen, installPath, book.Current()))
    if (SamePath(path, chosen) || SamePath(path, installPath)) book.FolderCreated(path);
  // Before anything else changes, something can uninstall it: the record,
  // the uninstaller and the Apps & Features entry.
  if (!book.Open(g_versionNumber)) {
    platform::Log("nothing installed: the install record cannot be written");
    session.Stop(kExitPartial);
    return PackageStopped(site);
  }
  const bool ran = RunInstall(site, target, installPath, yearSelected, book);
  bool tookBack = false;
  for (const std::string& path : KeepFromRestartDeletes(chosen, installPath, book.Current())) {
    if (!SamePath(path, chosen) && !SamePath(path, installPath)) continue;
    book.FolderCreated(path);
    tookBack = true;
  }
  if (tookBack && !SaveRecord(book, "taking back the folders") && ran) session.MarkPartial();
  if (!book.Close()) session.MarkPartial();
  if (!ran) return session.StopCode();
  // No Apps & Features entry without the uninstaller it would start; the
  // entry written at the start takes the size of what was installed.
  if (!book.UninstallerCopied()) {
    platform::Log("Apps & Features entry not written: there is no uninstaller");
  } else if (book.WriteEntry(g_versionNumber)) {
    platform::Log("Apps & Features entry written: HKLM\\" + std::string(kUninstallKeyParent) +
                  "\\" + kUninstallKeyName);
  } else {
    platform::Log("Apps & Features entry not written: " +
                  platform::DescribeError(platform::LastError()));
    session.MarkPartial();
  }
  if (!book.TakenOverFolder().empty()) {
    RemoveTakenOver(book, installPath);
    if (!SaveRecord(book, "the earlier install")) session.MarkPartial();
  }
  if (session.Partial())
    session.Tell((std::string(kPartialText) + platform::LogPath()).c_str(), kDoneCaption);
  else
    session.Tell(kDoneText, kDoneCaption);
  site.CloseOk();
  return session.Partial() ? kExitPartial : kExitInstalled;
}

int RunSilentInstall(const std::string& path, const bool (&listed)[kHostYearCount]) {
  std::int32_t years[kHostYearCount];
  bool any = false;
  for (int y = 0; y < kHostYearCount; ++y) {
    years[y] = listed[y] && g_hostRegistry.m_locations[y].Count() > 0 ? 1 : 0;
    any = any || years[y] != 0;
  }
  if (!any) {
    platform::Log("no host installation of the chosen years");
    return kExitNoHost;
  }
  CSilentSite site;
  std::string installPath = path;
  return RunInstallSequence(site, installPath, years);
}
