#include "package/package_copy.h"

#include "package/install_notes.h"
#include "package/manifest_check.h"
#include "package/package_layout.h"
#include "package/package_paths.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/folder_security.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/system.h"
#include "platform/ui.h"

const char* const kSetupCaption = "Tarnwell软件安装";
const char* const kInstallPathTooLongText =
    "安装路径太长 !\n\n请选择较短的安装路径后再安装 !";
const char* const kSourcePathTooLongText =
    "安装文件所在的路径太长 !\n\n请将安装文件解压到较短的路径后再执行SetUp.exe !";
const char* const kMissingPackageText =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
const char* const kUnnamedPackagePathText =
    "安装文件所在的路径含有系统无法识别的字符 !\n\n请将安装文件解压到其他路径后再执行SetUp.exe !";
const char* const kCopyFailedFormat =
    "拷贝文件 %s 失败，可能原因如下：\n\n1、CAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";

namespace {

std::string CopyFailedText(const std::string& targetPath) {
  std::string text = kCopyFailedFormat;
  const std::size_t at = text.find("%s");
  text.replace(at, 2, targetPath);
  return text;
}

const char* AnswerName(int answer) {
  switch (answer) {
    case platform::kIdAbort: return "Abort";
    case platform::kIdRetry: return "Retry";
    case platform::kIdIgnore: return "Ignore";
    default: return "closed";
  }
}

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// Why the package copy leaves an entry out, tested in this order; null when
// it is copied.
const char* ExclusionReason(const std::string& name) {
  if (platform::ContainsText(name, kLibraryMark)) return "its name holds \"扩展绘图库\"";
  if (!platform::ContainsText(name, ".")) return "no \".\" in its name";
  if (platform::EqualsIgnoreCase(name, kSetupExecutable)) return "the setup program";
  if (platform::EqualsIgnoreCase(name, kFontFiles[0]) ||
      platform::EqualsIgnoreCase(name, kFontFiles[1]))
    return "a font, copied into the hosts' Fonts folders";
  return nullptr;
}

// Lists `folder` (pattern: folder\*.*) into `into`, every entry, "." and
// ".." included, and marks the ones to copy (`filtered`: the package's name
// rules apply). `ended`: fewer entries than `limit`.
void ReadListing(const char* pattern, int limit, PackageFolder& into, bool filtered) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  into.entries.clear();
  if (!finder.First(pattern, &entry)) {
    platform::Log({"nothing to copy: ", into.path, " cannot be listed (",
                   platform::DescribeError(platform::LastError()), ")"});
    return;
  }
  for (bool more = true; more; more = finder.Next(&entry)) {
    into.entries.emplace_back();
    PackageEntry& e = into.entries.back();
    e.name = entry.name;
    e.attributes = entry.attributes;
    // Exactly the folder bit, no other: a folder with any further attribute
    // (read-only, hidden, ...) is taken like a file and fails its copy.
    e.copied = !IsDotEntry(entry.name) && entry.attributes != platform::kAttrDirectory &&
               !(filtered && ExclusionReason(e.name));
  }
  into.ended = static_cast<int>(into.entries.size()) < limit;
}

// True when the handle has the package's own plain file open; otherwise
// `reason` says why not.
bool IsPackageFile(const platform::FileHandle& file, const std::string& folderFinal,
                   const std::string& name, std::string* reason) {
  platform::HandleFacts facts;
  if (!file.Facts(&facts)) {
    *reason = "it cannot be examined (" + platform::DescribeError(platform::LastError()) + ")";
    return false;
  }
  if (facts.attributes & platform::kAttrReparsePoint)
    *reason = "it is a link";
  else if (!platform::SamePath(facts.finalPath, folderFinal + "\\" + name))
    *reason = "it lies outside the package folder, at " + facts.finalPath;
  else if (facts.links != 1)
    *reason = "it has " + std::to_string(facts.links) + " names";
  else
    return true;
  return false;
}

enum OpenResult { kOpened, kNotOpened, kNotUsable };

// Opens a file of a package folder and checks it. kNotOpened (LastError()
// set) when it cannot be opened; kNotUsable, logged, when what was opened is
// not the package's own file.
OpenResult OpenPackageFile(const std::string& folder, const std::string& folderFinal,
                           const std::string& name, platform::FileHandle& file) {
  const std::string path = folder + "\\" + name;
  if (!file.OpenToRead(path.c_str())) return kNotOpened;
  std::string reason;
  if (IsPackageFile(file, folderFinal, name, &reason)) return kOpened;
  file.Close();
  platform::Log({"package entry not usable: ", path, ": ", reason});
  return kNotUsable;
}

// Opens a listed folder of the package (the package folder itself, or the
// library below it, which must lie where its name says).
bool OpenPackageFolder(PackageFolder& folder, const std::string& path, const char* expectedFinal) {
  folder.path = path;
  platform::HandleFacts facts;
  if (!folder.handle.OpenFolder(path.c_str()) || !folder.handle.Facts(&facts)) {
    platform::Log({"package folder not usable: ", path, ": ",
                   platform::DescribeError(platform::LastError())});
    return false;
  }
  folder.finalPath = facts.finalPath;
  if (expectedFinal && !platform::SamePath(facts.finalPath, expectedFinal)) {
    platform::Log({"package entry not usable: ", path, ": it lies at ", facts.finalPath});
    return false;
  }
  return true;
}

// Opens the package folder: "Data" beside the executable, or the
// executable's own folder. The entry itself must be no link or other
// reparse point, and what the held handle has open must lie beside the
// executable (a link put at the name after the look is caught too).
bool OpenSourceFolder(PackageFolder& folder, const std::string& source) {
  const std::string exe = platform::ExecutablePath();
  const std::size_t cut = platform::FindLastChar(exe, '\\');
  const std::string beside = cut == std::string::npos ? std::string() : exe.substr(0, cut);
  platform::FileHandle exeFolder;
  platform::HandleFacts facts;
  if (!exeFolder.OpenFolder(beside.c_str()) || !exeFolder.Facts(&facts)) {
    platform::Log({"package folder not usable: ", beside, ": ",
                   platform::DescribeError(platform::LastError())});
    return false;
  }
  const bool flat = platform::SamePath(source, beside);
  const std::uint32_t attributes = platform::ReadAttributes(source.c_str());
  if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReparsePoint)) {
    platform::Log({"package folder not usable: ", source, ": it is a link"});
    return false;
  }
  const std::string expected = flat ? facts.finalPath : facts.finalPath + "\\" + kDataFolder;
  return OpenPackageFolder(folder, source, expected.c_str());
}

// Opens every listed entry to copy; false when one is not usable.
bool OpenListed(PackageFolder& folder) {
  for (PackageEntry& e : folder.entries)
    if (e.copied && OpenPackageFile(folder.path, folder.finalPath, e.name, e.file) == kNotUsable)
      return false;
  return true;
}

bool Unusable(CInstallSession& session) { return session.Stop(kExitPackageUnusable); }

// Steps the bar once per listed entry and once more for a listing that
// ended before its limit, as a listing visited entry by entry would; gives
// each entry to `visit`, which returns false to stop at once.
template <class Visit>
bool VisitListed(PackageFolder& folder, int limit, platform::ProgressBar& bar, Visit visit) {
  if (folder.entries.empty()) return true;  // a listing that could not start
  for (PackageEntry& e : folder.entries) {
    bar.StepIt();
    if (IsDotEntry(e.name.c_str())) continue;
    if (e.attributes == platform::kAttrDirectory) {
      platform::Log({"skipped ", folder.path, "\\", e.name, ": a folder"});
    } else if (!visit(e)) {
      return false;
    }
  }
  if (folder.ended) bar.StepIt();
  // Said only when there were more entries than were looked at.
  if (folder.entries.size() > static_cast<std::size_t>(limit))
    platform::Log({"the first ", std::to_string(limit), " entries of ", folder.path,
                   " examined; no further entry is looked at"});
  return true;
}

// Copies one listed entry to `to`, opening it again first when it could not
// be opened before. kNotUsable when what it opens now is not the package's.
// With a manifest the copy goes through a temporary name and takes `to`
// only with the manifest's digest; kNotUsable, logged, for another digest.
OpenResult CopyEntry(const OpenedPackage& package, const PackageFolder& folder, PackageEntry& e,
                     const std::string& to) {
  if (!e.file.IsOpen()) {
    const OpenResult opened = OpenPackageFile(folder.path, folder.finalPath, e.name, e.file);
    if (opened != kOpened) return opened;
  }
  if (!package.manifest) return CopyFromHandle(e.file, to) ? kOpened : kNotOpened;
  if (e.staged.empty()) {  // not written before: staged now, beside its final name
    const std::string path = &folder == &package.library ? std::string(kLibraryFolder) + "\\" + e.name : e.name;
    const ManifestFile* file = FindManifestFile(*package.manifest, path);
    std::string found;
    std::uint32_t error = 0;
    const std::string temporary = e.stageName.empty() ? to + kStagedSuffix : e.stageName;
    const VerifiedCopy staged = StageVerified(e.file, temporary, file->digest, &found, &error);
    if (staged == VerifiedCopy::kMismatch) {
      platform::Log({"package file not as the manifest says: ", folder.path, "\\", e.name,
                     ": expected SHA-256 ", file->digest, "; found SHA-256 ", found,
                     "; not copied, ", to, " left as it was"});
      return kNotUsable;
    }
    if (staged == VerifiedCopy::kFailed) {
      platform::SetLastError(error);
      return kNotOpened;
    }
    e.staged = temporary;
  }
  // The verified copy takes the final name, in place of what was there.
  if (!platform::MoveOverFile(e.staged.c_str(), to.c_str())) return kNotOpened;
  e.staged.clear();
  return kOpened;
}

// Everything the package copy and the library copy may write into the
// install folder `folder`: the files under their final names and, with a
// manifest, the temporary names of the verified copies (given here).
PhaseIntents CopyIntents(OpenedPackage& package, const std::string& folder) {
  PhaseIntents intents;
  PathBuffer library;
  const bool libraryFits = ComposePath(library, {folder, "\\", kLibraryFolder});
  // A plain copy goes through one temporary name in its folder (CopyFromHandle).
  intents.staged.push_back(folder + "\\" + kPlainCopyTemporary);
  if (libraryFits) intents.staged.push_back(std::string(library) + "\\" + kPlainCopyTemporary);
  int staged = 0;
  for (PackageFolder* f : {&package.files, &package.library}) {
    const bool inLibrary = f == &package.library;
    if (inLibrary && !libraryFits) continue;
    for (PackageEntry& e : f->entries) {
      if (!e.copied) continue;
      const std::string to = (inLibrary ? std::string(library) : folder) + "\\" + e.name;
      (inLibrary ? intents.libraryFiles : intents.files).push_back(to);
      if (!package.manifest) continue;
      e.stageName = folder + "\\~tarnwell-" + std::to_string(++staged) + ".new";
      intents.staged.push_back(e.stageName);
    }
  }
  return intents;
}

}  // namespace

PathKind ProbePath(const std::string& path) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  if (!finder.First(path.c_str(), &entry)) return kPathNone;
  return (entry.attributes & platform::kAttrDirectory) ? kPathFolder : kPathFile;
}

void ClearReadOnly(const std::string& path) {
  const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
  if (attributes == platform::kInvalidAttributes) return;
  if (attributes & platform::kAttrReadOnly)
    platform::WriteAttributes(path.c_str(), attributes & ~static_cast<std::uint32_t>(platform::kAttrReadOnly));
}

bool GetPackageSource(std::string& source, CInstallSession& session) {
  const std::string exe = platform::ExecutablePath();
  const std::size_t cut = platform::FindLastChar(exe, '\\');
  const std::string folder = cut == std::string::npos ? std::string() : exe.substr(0, cut);
  if (platform::HoldsUnnamedChar(folder)) {
    platform::Log("package folder holds a character that GBK cannot hold: " + folder);
    session.Tell(kUnnamedPackagePathText, kSetupCaption);
    return false;
  }
  if (ProbePath(folder + "\\" + kDataFolder) == kPathFolder) {
    source = folder + "\\" + kDataFolder;
    return true;
  }
  if (ProbePath(folder + "\\" + kFlatLayoutMarker) == kPathFile) {
    source = folder;
    return true;
  }
  platform::Log({"package source not found: neither the folder ", folder, "\\", kDataFolder,
                 " nor the file ", folder, "\\", kFlatLayoutMarker});
  session.Tell(kMissingPackageText, kSetupCaption);
  return false;
}

bool GetPackageSource(std::string& source, platform::WindowHandle owner) {
  CDialogSession session(owner);
  return GetPackageSource(source, session);
}

OpenedPackage::OpenedPackage() = default;
OpenedPackage::~OpenedPackage() { DiscardStaged(*this); }

bool CopyFromHandle(const platform::FileHandle& source, const std::string& to) {
  const std::size_t cut = platform::FindLastChar(to, '\\');
  const std::string temporary = to.substr(0, cut == std::string::npos ? 0 : cut + 1) + kPlainCopyTemporary;
  return platform::WriteNewFile(to, temporary, [&](platform::FileHandle& target) {
    return target.CopyFrom(source);
  });
}

bool OpenPackageFonts(OpenedPackage& package, const std::string& source,
                      CInstallSession& session) {
  if (package.fontsOpened) return true;
  if (package.files.finalPath.empty() && !OpenSourceFolder(package.files, source))
    return Unusable(session);
  for (int i = 0; i < 2; ++i) {
    if (ProbePath(source + "\\" + kFontFiles[i]) == kPathNone) continue;
    if (OpenPackageFile(source, package.files.finalPath, kFontFiles[i], package.fonts[i]) ==
        kNotUsable)
      return Unusable(session);
  }
  package.fontsOpened = true;
  return true;
}

bool OpenPackage(OpenedPackage& package, const std::string& source, CInstallSession& session) {
  if (package.listed) return true;
  PathBuffer pattern;
  // The library copy lists a deeper folder of the same source: refuse a
  // source too deep for either listing before anything is copied, rather
  // than install the package without its library.
  if (!ComposePath(pattern, {source, "\\*.*"}) || source.size() > kMaxLibrarySource) {
    platform::Log("package source too deep to be listed: " + source);
    session.Tell(kSourcePathTooLongText, kSetupCaption);
    return session.Stop(kExitNoPackage);
  }
  if (!OpenSourceFolder(package.files, source)) return Unusable(session);
  ReadListing(pattern, kPackageEntryLimit, package.files, true);
  const std::string library = source + "\\" + kLibraryFolder;
  PathBuffer libraryPattern;
  package.library.path = library;
  if (ProbePath(library) == kPathFolder && ComposePath(libraryPattern, {library, "\\*.*"})) {
    if (!OpenPackageFolder(package.library, library,
                           (package.files.finalPath + "\\" + kLibraryFolder).c_str()))
      return Unusable(session);
    ReadListing(libraryPattern, kLibraryEntryLimit, package.library, false);
  } else {
    platform::Log({"nothing to copy: ", library, " cannot be listed"});
  }
  // More entries than the copies look at: not the package this installer
  // was made for (or a flat layout unpacked into a crowded folder). Counted
  // first, so that such a package is never installed in part. A package or
  // library file that no GBK name can give cannot be copied under its name:
  // refused the same way, before anything of it is copied.
  for (const PackageFolder* folder : {&package.files, &package.library}) {
    for (const PackageEntry& e : folder->entries) {
      if (!platform::HoldsUnnamedChar(e.name)) continue;
      platform::Log({"package entry without a GBK name: ", folder->path, "\\", e.name});
      return Unusable(session);
    }
  }
  const std::size_t entries = package.files.entries.size();
  const std::size_t libraryEntries = package.library.entries.size();
  if (package.manifest) {
    MarkManifestFiles(package, *package.manifest);
  } else if (entries > kPackageEntryLimit || libraryEntries > kLibraryEntryLimit) {
    platform::Log({"package not usable: ", std::to_string(entries), " entries in ", source,
                   " (at most ", std::to_string(kPackageEntryLimit), "), ",
                   std::to_string(libraryEntries), " in its library (at most ",
                   std::to_string(kLibraryEntryLimit), ")"});
    return Unusable(session);
  }
  if (!OpenListed(package.files) || !OpenListed(package.library) ||
      !OpenPackageFonts(package, source, session) ||
      (package.manifest && !CheckManifestFiles(package, *package.manifest)))
    return Unusable(session);
  package.listed = true;
  return true;
}

bool CopyPackageFiles(CopyTarget& target) {
  CInstallSession& session = target.Session();
  std::string source;
  if (!GetPackageSource(source, session)) return session.Stop(kExitNoPackage);
  platform::Log("package source: " + source);
  PathBuffer targetFolder;
  if (!ComposePath(targetFolder, {target.m_folder})) {
    platform::Log("install folder too long: " + target.m_folder);
    session.Tell(kInstallPathTooLongText, kSetupCaption);
    return session.Stop(kExitBadPath);
  }
  // Every file is opened and checked before the first is copied.
  OpenedPackage& package = target.m_package;
  if (!OpenPackage(package, source, session)) return false;
  // Nothing is written before the install record names it.
  if (!NotePhase("copy", CopyIntents(package, std::string(targetFolder)))) {
    platform::Log("nothing copied: the install record cannot name what the copy will write");
    return session.Stop(kExitPartial);
  }
  // The install sequence has made and holds it; on its own, the copy makes it.
  if (ProbePath(targetFolder) == kPathNone && MakeLockedFolder(targetFolder) == 0)
    NoteCreatedFolder(targetFolder);
  // With a manifest, every file is written and verified before any takes
  // its final name: a package that is not the manifest's installs nothing.
  // A staging that failed left nothing: asked as a failed copy, it is tried
  // again whole, or the install stops; never installed in part.
  for (int failures = 1; package.manifest; ++failures) {
    const StageResult staged = StagePackage(package, *package.manifest, targetFolder);
    if (staged == StageResult::kStaged) break;
    if (staged == StageResult::kMismatch) return Unusable(session);
    const int answer =
        session.AskCopyFailed(CopyFailedText(targetFolder).c_str(), kSetupCaption, failures);
    platform::Log(std::string("answer: ") + AnswerName(answer));
    if (answer != platform::kIdRetry) return session.Stop(kExitCopyStopped);
  }
  return VisitListed(package.files, kPackageEntryLimit, *target.m_progress, [&](PackageEntry& e) {
    const std::string from = source + "\\" + e.name;
    if (!e.copied) {
      if (!package.manifest) platform::Log({"skipped ", from, ": ", ExclusionReason(e.name)});
      return true;
    }
    const std::string to = std::string(targetFolder) + "\\" + e.name;
    // The package itself is never changed: the target loses the read-only
    // attribute, and the copy takes the data alone (no zone mark).
    ClearReadOnly(to);
    for (int failures = 1;; ++failures) {
      const OpenResult copied = CopyEntry(package, package.files, e, to);
      if (copied == kNotUsable) return Unusable(session);
      if (copied == kOpened) break;
      platform::Log({"copy failed (", std::to_string(failures), "): ", from, " -> ", to, ": ",
                     platform::DescribeError(platform::LastError())});
      const int answer = session.AskCopyFailed(CopyFailedText(to).c_str(), kSetupCaption, failures);
      platform::Log(std::string("answer: ") + AnswerName(answer));
      if (answer == platform::kIdAbort) return session.Stop(kExitCopyStopped);
      if (answer != platform::kIdRetry) {
        session.MarkPartial();
        ClearReadOnly(to);
        return true;
      }
    }
    // Made new by this copy (or its staging): never read-only.
    platform::Log({"copied ", from, " -> ", to});
    NoteFile(to);
    return true;
  });
}

bool CopyExtensionLibrary(CopyTarget& target) {
  OpenedPackage& package = target.m_package;
  CInstallSession& session = target.Session();
  std::string source;
  if (!package.listed &&
      (!GetPackageSource(source, session) || !OpenPackage(package, source, session))) {
    session.MarkPartial();
    return true;
  }
  PathBuffer libraryTarget;
  if (!ComposePath(libraryTarget, {target.m_folder, "\\", kLibraryFolder})) {
    platform::Log("library not copied: its paths do not fit in 259 bytes");
    session.MarkPartial();
    return true;
  }
  if (ProbePath(std::string(libraryTarget)) == kPathNone && MakeLockedFolder(libraryTarget) == 0)
    NoteCreatedFolder(libraryTarget);
  return VisitListed(package.library, kLibraryEntryLimit, *target.m_progress, [&](PackageEntry& e) {
    if (!e.copied) return true;
    const std::string from = package.library.path + "\\" + e.name;
    const std::string to = std::string(libraryTarget) + "\\" + e.name;
    ClearReadOnly(to);
    // A file that could not be opened before and is no longer the
    // package's own is not copied; the hosts are changed after this all
    // the same, so the install goes on, in part. One that is not what the
    // manifest says stops the install.
    const OpenResult copied = CopyEntry(package, package.library, e, to);
    if (copied == kNotUsable && package.manifest) return Unusable(session);
    if (copied == kOpened) {
      platform::Log({"library file copied ", from, " -> ", to});
      NoteLibraryFile(to);
    } else {
      platform::Log({"library file not copied ", from, " -> ", to, ": ",
                     platform::DescribeError(platform::LastError())});
      session.MarkPartial();
    }
    ClearReadOnly(to);
    return true;
  });
}
