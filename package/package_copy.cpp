#include "package/package_copy.h"

#include "package/install_paths.h"
#include "package/install_record.h"
#include "package/package_layout.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/ui.h"

const char* const kMissingPackageText =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";
const char* const kCopyFailedFormat =
    "拷贝文件 %s 失败，可能原因如下：\n\n1、CAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";

namespace {

std::string CopyFailedText(const std::string& targetPath) {
  std::string text = kCopyFailedFormat;
  const std::size_t at = text.find("%s");
  text.replace(at, 2, targetPath);
  return text;
}

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// The entries that the package copy leaves out, tested in this order.
bool IsExcludedName(const std::string& name) {
  if (platform::ContainsText(name, kLibraryMark)) return true;
  if (!platform::ContainsText(name, ".")) return true;
  return platform::EqualsIgnoreCase(name, kSetupExecutable) ||
         platform::EqualsIgnoreCase(name, kFontFiles[0]) ||
         platform::EqualsIgnoreCase(name, kFontFiles[1]);
}

// Visits the listing of `pattern` one entry at a time, stepping the bar
// before every fetch, for at most `limit` entries. `visit` returns false to
// stop at once; then so does this.
template <class Visit>
bool VisitListing(const char* pattern, int limit, platform::ProgressBar& bar, Visit visit) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  if (!finder.First(pattern, &entry)) return true;
  for (int counter = 0;;) {
    bar.StepIt();
    if (counter != 0 && !finder.Next(&entry)) break;
    if (!IsDotEntry(entry.name) && entry.attributes != platform::kAttrDirectory) {
      if (!visit(entry)) return false;
    }
    if (++counter > limit - 1) break;
  }
  return true;
}

}  // namespace

PathKind ProbePath(const std::string& path) {
  platform::FindEntry entry;
  platform::FileFinder finder;
  if (!finder.First(path.c_str(), &entry)) return kPathNone;
  finder.Close();
  return (entry.attributes & platform::kAttrDirectory) ? kPathFolder : kPathFile;
}

void ClearReadOnly(const std::string& path) {
  const std::uint32_t attributes = platform::ReadAttributes(path.c_str());
  if (attributes == platform::kInvalidAttributes) return;
  if (attributes & platform::kAttrReadOnly)
    platform::WriteAttributes(path.c_str(), attributes & ~static_cast<std::uint32_t>(platform::kAttrReadOnly));
}

bool RemoveZoneIdentifier(const std::string& path) {
  return platform::RemoveFile((path + ":Zone.Identifier").c_str());
}

bool GetPackageSource(std::string& source, platform::WindowHandle owner) {
  const std::string exe = platform::ExecutablePath();
  const std::size_t cut = platform::FindLastChar(exe, '\\');
  const std::string folder = cut == std::string::npos ? std::string() : exe.substr(0, cut);
  if (ProbePath(folder + "\\" + kDataFolder) == kPathFolder) {
    source = folder + "\\" + kDataFolder;
    return true;
  }
  if (ProbePath(folder + "\\" + kFlatLayoutMarker) == kPathFile) {
    source = folder;
    return true;
  }
  platform::ShowMessageBox(owner, kMissingPackageText, kSetupCaption, platform::kMbOk);
  return false;
}

bool CopyPackageFiles(CInstallTarget& target) {
  const platform::WindowHandle owner = platform::ParentOf(target.m_progress->Handle());
  std::string source;
  if (!GetPackageSource(source, owner)) return false;
  PathBuffer targetFolder, pattern;
  if (!ComposePath(targetFolder, {target.m_folder})) {
    platform::ShowMessageBox(owner, kInstallPathTooLongText, kSetupCaption, platform::kMbOk);
    return false;
  }
  // The library copy that follows lists a deeper folder of the same source:
  // refuse a source too deep for either listing before anything is copied,
  // rather than install the package without its library.
  if (!ComposePath(pattern, {source, "\\*.*"}) || source.size() > kMaxLibrarySource) {
    platform::ShowMessageBox(owner, kSourcePathTooLongText, kSetupCaption, platform::kMbOk);
    return false;
  }
  if (platform::MakeFolder(targetFolder)) NoteCreatedFolder(targetFolder);
  return VisitListing(pattern, kPackageEntryLimit, *target.m_progress,
                      [&](const platform::FindEntry& entry) {
    const std::string name = entry.name;
    if (IsExcludedName(name)) return true;
    const std::string from = source + "\\" + name;
    const std::string to = std::string(targetFolder) + "\\" + name;
    ClearReadOnly(from);
    RemoveZoneIdentifier(from);
    ClearReadOnly(to);
    bool copied;
    while (!(copied = platform::CopyOneFile(from.c_str(), to.c_str(), false))) {
      const int answer = platform::ShowMessageBox(owner, CopyFailedText(to).c_str(), kSetupCaption,
                                                  platform::kMbAbortRetryIgnore);
      if (answer == platform::kIdAbort) return false;
      if (answer != platform::kIdRetry) break;
    }
    if (copied) NoteFile(to);
    ClearReadOnly(to);
    return true;
  });
}

void CopyExtensionLibrary(CInstallTarget& target) {
  std::string source;
  if (!GetPackageSource(source, platform::ParentOf(target.m_progress->Handle()))) return;
  const std::string librarySource = source + "\\" + kLibraryFolder;
  PathBuffer libraryTarget, pattern;
  if (!ComposePath(libraryTarget, {target.m_folder, "\\", kLibraryFolder})) return;
  if (!ComposePath(pattern, {librarySource, "\\*.*"})) return;
  if (platform::MakeFolder(libraryTarget)) NoteCreatedFolder(libraryTarget);
  VisitListing(pattern, kLibraryEntryLimit, *target.m_progress,
               [&](const platform::FindEntry& entry) {
    const std::string from = librarySource + "\\" + entry.name;
    const std::string to = std::string(libraryTarget) + "\\" + entry.name;
    ClearReadOnly(from);
    ClearReadOnly(to);
    if (platform::CopyOneFile(from.c_str(), to.c_str(), false)) NoteLibraryFile(to);
    ClearReadOnly(to);
    return true;
  });
}
