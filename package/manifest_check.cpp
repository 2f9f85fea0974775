#include "package/manifest_check.h"

#include <atomic>
#include <vector>

#include "package/install_notes.h"
#include "package/package_layout.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/log.h"
#include "platform/security.h"
#include "platform/system.h"

namespace {


std::string ManifestPath(bool library, const std::string& name) {
  return library ? std::string(kLibraryFolder) + "\\" + name : name;
}

bool IsFont(std::string_view name) {
  return platform::EqualsIgnoreCase(name, kFontFiles[0]) || platform::EqualsIgnoreCase(name, kFontFiles[1]);
}

bool IsDot(const std::string& name) { return name == "." || name == ".."; }

void MarkFolder(PackageFolder& folder, bool library, const PackageManifest& manifest) {
  for (PackageEntry& e : folder.entries) {
    if (IsDot(e.name)) continue;
    const bool listed = FindManifestFile(manifest, ManifestPath(library, e.name)) != nullptr;
    e.copied = listed && !(!library && IsFont(e.name));
    if (!listed && !(!library && platform::EqualsIgnoreCase(e.name, kLibraryFolder)))
      platform::Log("not in the package manifest, not copied: " + folder.path + "\\" + e.name);
  }
  folder.ended = true;  // no entry limit
}

// The opened entry of a manifest path, or nullptr.
const PackageEntry* EntryOf(const OpenedPackage& package, const ManifestFile& file) {
  const bool library = InLibraryFolder(file.path);
  const PackageFolder& folder = library ? package.library : package.files;
  const std::string name = library ? file.path.substr(file.path.find('\\') + 1) : file.path;
  for (const PackageEntry& e : folder.entries)
    if (platform::EqualsIgnoreCase(e.name, name)) return &e;
  return nullptr;
}

class DigestSink : public platform::CopySink {
 public:
  void Take(const void* data, std::size_t size) override { digest_.Update(data, size); }
  std::string Finish() { return digest_.FinishHex(); }

 private:
  Sha256 digest_;
};

}  // namespace

void MarkManifestFiles(OpenedPackage& package, const PackageManifest& manifest) {
  MarkFolder(package.files, false, manifest);
  MarkFolder(package.library, true, manifest);
}

bool CheckManifestFiles(OpenedPackage& package, const PackageManifest& manifest) {
  for (int i = 0; i < 2; ++i) {
    if (package.fonts[i].IsOpen() && !FindManifestFile(manifest, kFontFiles[i])) {
      platform::Log(std::string("not in the package manifest, not installed: ") + kFontFiles[i]);
      package.fonts[i].Close();
    }
  }
  for (const ManifestFile& file : manifest.files) {
    const std::string expected = std::to_string(file.size) + " bytes";
    const platform::FileHandle* handle = nullptr;
    const int font = !InLibraryFolder(file.path) && IsFont(file.path)
                         ? (platform::EqualsIgnoreCase(file.path, kFontFiles[0]) ? 0 : 1)
                         : -1;
    if (font >= 0) {
      handle = &package.fonts[font];
    } else if (const PackageEntry* e = EntryOf(package, file)) {
      handle = &e->file;
    }
    platform::HandleFacts facts;
    std::string found;
    if (!handle || !handle->IsOpen())
      found = "no such file in the package";
    else if (!handle->Facts(&facts))
      found = "it cannot be examined (" + platform::DescribeError(platform::LastError()) + ")";
    else if (facts.attributes & platform::kAttrDirectory)
      found = "a folder";
    else if (facts.size != file.size)
      found = std::to_string(facts.size) + " bytes";
    if (found.empty() && font >= 0) {
      std::string& content = package.fontBytes[font];
      if (!handle->ReadAll(kFontSizeLimit, &content))
        found = "it cannot be read (" + platform::DescribeError(platform::LastError()) + ")";
      else if (Sha256Hex(content) != file.digest)
        found = "SHA-256 " + Sha256Hex(content);
    }
    if (!found.empty()) {
      platform::Log("package file not as the manifest says: " + file.path + ": expected " + expected +
                    (font >= 0 ? ", SHA-256 " + file.digest : std::string()) + "; found " + found);
      return false;
    }
  }
  package.fontsRead = true;
  platform::Log("package checked: the " + std::to_string(manifest.files.size()) +
                " files of the manifest are there with their sizes");
  return true;
}

VerifiedCopy StageVerified(const platform::FileHandle& source, const std::string& temporary,
                           const std::string& digest, std::string* found, std::uint32_t* error) {
  platform::FileHandle target;
  DigestSink sink;
  bool made = platform::CreateCheckedFile(target, temporary);
  const std::uint32_t why = made ? 0 : platform::LastError();
  if (why == platform::kErrorFileExists || why == platform::kErrorNameExists) {
    platform::FileHandle leftover;  // of an install cut off: the entry itself
    if (leftover.OpenToDelete(temporary.c_str())) leftover.DeleteNow();
    leftover.Close();
    made = platform::CreateCheckedFile(target, temporary);
  }
  if (!made) {
    *error = platform::LastError();
    return VerifiedCopy::kFailed;
  }
  if (!target.CopyFrom(source, &sink)) {
    *error = platform::LastError();
    target.DeleteNow();
    return VerifiedCopy::kFailed;
  }
  *found = sink.Finish();
  if (*found == digest) return VerifiedCopy::kCopied;
  target.DeleteNow();
  return VerifiedCopy::kMismatch;
}

namespace {

// One file to stage, and what its staging gave.
struct StageJob {
  PackageEntry* entry = nullptr;
  const PackageFolder* folder = nullptr;
  const ManifestFile* file = nullptr;
  std::string temporary;
  VerifiedCopy result = VerifiedCopy::kFailed;
  std::string found;
  std::uint32_t error = 0;
  bool done = false;
};

struct StageWork {
  std::vector<StageJob> jobs;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
};

// Each thread takes the next file until none is left, or until one of them
// could not stage its file (the rest is discarded then).
void StageFiles(void* context) {
  StageWork& work = *static_cast<StageWork*>(context);
  while (!work.stop) {
    const std::size_t i = work.next++;
    if (i >= work.jobs.size()) return;
    StageJob& job = work.jobs[i];
    job.result = StageVerified(job.entry->file, job.temporary, job.file->digest, &job.found, &job.error);
    job.done = true;
    if (job.result != VerifiedCopy::kCopied) work.stop = true;
  }
}

}  // namespace

StageResult StagePackage(OpenedPackage& package, const PackageManifest& manifest,
                         const std::string& folder) {
  StageWork work;
  for (PackageFolder* f : {&package.files, &package.library}) {
    for (PackageEntry& e : f->entries) {
      if (!e.copied || !e.file.IsOpen()) continue;
      StageJob job;
      job.entry = &e;
      job.folder = f;
      job.file = FindManifestFile(manifest, ManifestPath(f == &package.library, e.name));
      job.temporary = e.stageName.empty()
                          ? folder + "\\~tarnwell-" + std::to_string(work.jobs.size() + 1) + kStagedSuffix
                          : e.stageName;
      work.jobs.push_back(std::move(job));
    }
  }
  // The digest takes as long as the copy itself: two files at a time, each
  // with its digest taken as it is written, on a thread of its own.
  platform::RunOnThreads(2, StageFiles, &work);
  const StageJob* mismatch = nullptr;
  const StageJob* failed = nullptr;
  for (StageJob& job : work.jobs) {
    if (!job.done) continue;
    if (job.result == VerifiedCopy::kCopied)
      job.entry->staged = job.temporary;
    else if (job.result == VerifiedCopy::kFailed && !failed)
      failed = &job;
    else if (job.result == VerifiedCopy::kMismatch && !mismatch)
      mismatch = &job;
  }
  if (!mismatch && !failed) return StageResult::kStaged;
  // All or nothing: no staged copy takes its final name.
  DiscardStaged(package);
  if (mismatch) {
    platform::Log({"package file not as the manifest says: ", mismatch->folder->path, "\\",
                   mismatch->entry->name, ": expected SHA-256 ", mismatch->file->digest,
                   "; found SHA-256 ", mismatch->found, "; nothing of the package installed"});
    return StageResult::kMismatch;
  }
  platform::Log({"copy failed: ", failed->folder->path, "\\", failed->entry->name, " -> ",
                 failed->temporary, ": ", platform::DescribeError(failed->error),
                 "; every staged copy removed, nothing of the package installed"});
  return StageResult::kFailed;
}

void DiscardStaged(OpenedPackage& package) {
  for (PackageFolder* f : {&package.files, &package.library}) {
    for (PackageEntry& e : f->entries) {
      if (e.staged.empty()) continue;
      platform::RemoveFile(e.staged.c_str());
      e.staged.clear();
    }
  }
}
