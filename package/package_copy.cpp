#include "package/package_copy.h"

#include "package/folder_lock.h"
#include "package/install_paths.h"
#include "package/install_record.h"
#include "package/package_layout.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"
#include "platform/ui.h"

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

// Visits the listing of `folder` (pattern: folder\*.*) one entry at a time,
// stepping the bar before every fetch, for at most `limit` entries. Pure
// folder entries are passed over (and logged). `visit` returns false to
// stop at once; then so does this.
template <class Visit>
bool VisitListing(const std::string& folder, const char* pattern, int limit,
                  platform::ProgressBar& bar, Visit visit) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  if (!finder.First(pattern, &entry)) {
    platform::Log("nothing to copy: " + folder + " cannot be listed (" +
                  platform::DescribeError(platform::LastError()) + ")");
    return true;
  }
  // `counter`: the entries fetched so far, "." and ".." and skipped folders
  // included. The first comes from First, so Next is called only from the
  // second round on; the bar steps once more for the fetch that ends the
  // listing.
  for (int counter = 0;;) {
    bar.StepIt();
    if (counter != 0 && !finder.Next(&entry)) break;
    if (IsDotEntry(entry.name)) {
    } else if (entry.attributes == platform::kAttrDirectory) {
      // Exactly the folder bit, no other: a folder with any further
      // attribute (read-only, hidden, ...) is handed to `visit` like a file;
      // unless the filter excludes it, its copy fails into the prompt.
      platform::Log("skipped " + folder + "\\" + entry.name + ": a folder");
    } else if (!visit(entry)) {
      return false;
    }
    if (++counter > limit - 1) {
      platform::Log("the first " + std::to_string(limit) + " entries of " + folder +
                    " examined; no further entry is looked at");
      break;
    }
  }
  return true;
}

// The entries a listing of the folder gives, "." and ".." included (0 when
// it cannot be started). The first whose name has no GBK form (or one too
// long for the find record) goes into `unnamed` while that is empty.
int CountEntries(const std::string& folder, std::string* unnamed) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  int count = 0;
  for (bool more = finder.First((folder + "\\*.*").c_str(), &entry); more; more = finder.Next(&entry)) {
    ++count;
    if (unnamed->empty() && platform::HoldsUnnamedChar(entry.name)) *unnamed = folder + "\\" + entry.name;
  }
  return count;
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

bool CopyOneFileLogged(const std::string& what, const std::string& from, const std::string& to) {
  const std::string copy = from + " -> " + to;
  if (platform::CopyOneFile(from.c_str(), to.c_str(), false)) {
    platform::Log(what + " copied " + copy);
    return true;
  }
  platform::Log(what + " not copied " + copy + ": " +
                platform::DescribeError(platform::LastError()));
  return false;
}

bool RemoveZoneIdentifier(const std::string& path) {
  return platform::RemoveFile((path + ":Zone.Identifier").c_str());
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
  platform::Log("package source not found: neither the folder " + folder + "\\" + kDataFolder +
                " nor the file " + folder + "\\" + kFlatLayoutMarker);
  session.Tell(kMissingPackageText, kSetupCaption);
  return false;
}

bool GetPackageSource(std::string& source, platform::WindowHandle owner) {
  CDialogSession session(owner);
  return GetPackageSource(source, session);
}

bool CopyPackageFiles(CInstallTarget& target) {
  CInstallSession& session = target.Session();
  std::string source;
  if (!GetPackageSource(source, session)) return session.Stop(kExitNoPackage);
  platform::Log("package source: " + source);
  PathBuffer targetFolder, pattern;
  if (!ComposePath(targetFolder, {target.m_folder})) {
    platform::Log("install folder too long: " + target.m_folder);
    session.Tell(kInstallPathTooLongText, kSetupCaption);
    return session.Stop(kExitBadPath);
  }
  // The library copy that follows lists a deeper folder of the same source:
  // refuse a source too deep for either listing before anything is copied,
  // rather than install the package without its library.
  if (!ComposePath(pattern, {source, "\\*.*"}) || source.size() > kMaxLibrarySource) {
    platform::Log("package source too deep to be listed: " + source);
    session.Tell(kSourcePathTooLongText, kSetupCaption);
    return session.Stop(kExitNoPackage);
  }
  // More entries than the copies look at: not the package this installer
  // was made for (or a flat layout unpacked into a crowded folder). Counted
  // first, so that such a package is never installed in part. A package or
  // library file that no GBK name can give cannot be copied under its name:
  // refused the same way, before anything of it is copied.
  std::string unnamed;
  const int entries = CountEntries(source, &unnamed);
  const int libraryEntries = CountEntries(source + "\\" + kLibraryFolder, &unnamed);
  if (!unnamed.empty()) {
    platform::Log("package entry without a GBK name: " + unnamed);
    return session.Stop(kExitPackageUnusable);
  }
  if (entries > kPackageEntryLimit || libraryEntries > kLibraryEntryLimit) {
    platform::Log("package not usable: " + std::to_string(entries) + " entries in " + source +
                  " (at most " + std::to_string(kPackageEntryLimit) + "), " +
                  std::to_string(libraryEntries) + " in its library (at most " +
                  std::to_string(kLibraryEntryLimit) + ")");
    return session.Stop(kExitPackageUnusable);
  }
  if (MakeLockedFolder(targetFolder) == 0) NoteCreatedFolder(targetFolder);
  return VisitListing(source, pattern, kPackageEntryLimit, *target.m_progress,
                      [&](const platform::FindEntry& entry) {
    const std::string name = entry.name;
    const std::string from = source + "\\" + name;
    if (const char* why = ExclusionReason(name)) {
      platform::Log("skipped " + from + ": " + why);
      return true;
    }
    const std::string to = std::string(targetFolder) + "\\" + name;
    ClearReadOnly(from);
    RemoveZoneIdentifier(from);
    ClearReadOnly(to);
    for (int failures = 1; !platform::CopyOneFile(from.c_str(), to.c_str(), false); ++failures) {
      platform::Log("copy failed (" + std::to_string(failures) + "): " + from + " -> " + to + ": " +
                    platform::DescribeError(platform::LastError()));
      const int answer = session.AskCopyFailed(CopyFailedText(to).c_str(), kSetupCaption, failures);
      platform::Log(std::string("answer: ") + AnswerName(answer));
      if (answer == platform::kIdAbort) return session.Stop(kExitCopyStopped);
      if (answer != platform::kIdRetry) {
        session.MarkPartial();
        ClearReadOnly(to);
        return true;
      }
    }
    platform::Log("copied " + from + " -> " + to);
    NoteFile(to);
    ClearReadOnly(to);
    return true;
  });
}

void CopyExtensionLibrary(CInstallTarget& target) {
  std::string source;
  if (!GetPackageSource(source, target.Session())) {
    target.Session().MarkPartial();
    return;
  }
  const std::string librarySource = source + "\\" + kLibraryFolder;
  PathBuffer libraryTarget, pattern;
  if (!ComposePath(libraryTarget, {target.m_folder, "\\", kLibraryFolder}) ||
      !ComposePath(pattern, {librarySource, "\\*.*"})) {
    platform::Log("library not copied: its paths do not fit in 259 bytes");
    target.Session().MarkPartial();
    return;
  }
  if (MakeLockedFolder(libraryTarget) == 0) NoteCreatedFolder(libraryTarget);
  VisitListing(librarySource, pattern, kLibraryEntryLimit, *target.m_progress,
               [&](const platform::FindEntry& entry) {
    const std::string from = librarySource + "\\" + entry.name;
    const std::string to = std::string(libraryTarget) + "\\" + entry.name;
    ClearReadOnly(from);
    ClearReadOnly(to);
    if (CopyOneFileLogged("library file", from, to))
      NoteLibraryFile(to);
    else
      target.Session().MarkPartial();
    ClearReadOnly(to);
    return true;
  });
}
