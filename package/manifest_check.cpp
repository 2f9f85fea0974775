#include "package/manifest_check.h"

#include "package/package_layout.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/log.h"
#include "platform/system.h"

namespace {

constexpr const char* kTemporarySuffix = ".new";
// The largest font the check reads whole.
constexpr std::size_t kFontLimit = 64u << 20;

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
      std::string content;
      if (!handle->ReadAll(kFontLimit, &content))
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
  platform::Log("package checked: the " + std::to_string(manifest.files.size()) +
                " files of the manifest are there with their sizes");
  return true;
}

VerifiedCopy StageVerified(const platform::FileHandle& source, const std::string& temporary,
                           const std::string& digest, std::string* found, std::uint32_t* error) {
  platform::FileHandle target;
  DigestSink sink;
  if (!target.OpenToWrite(temporary.c_str())) {
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

bool StagePackage(OpenedPackage& package, const PackageManifest& manifest, const std::string& folder) {
  int n = 0;
  for (PackageFolder* f : {&package.files, &package.library}) {
    for (PackageEntry& e : f->entries) {
      if (!e.copied || !e.file.IsOpen()) continue;
      const ManifestFile* file = FindManifestFile(manifest, ManifestPath(f == &package.library, e.name));
      const std::string temporary = folder + "\\~tarnwell-" + std::to_string(++n) + kTemporarySuffix;
      std::string found;
      std::uint32_t error = 0;
      switch (StageVerified(e.file, temporary, file->digest, &found, &error)) {
        case VerifiedCopy::kCopied:
          e.staged = temporary;
          break;
        case VerifiedCopy::kFailed:
          platform::Log({"not staged: ", f->path, "\\", e.name, ": ", platform::DescribeError(error)});
          break;
        case VerifiedCopy::kMismatch:
          platform::Log({"package file not as the manifest says: ", f->path, "\\", e.name,
                         ": expected SHA-256 ", file->digest, "; found SHA-256 ", found,
                         "; nothing of the package installed"});
          DiscardStaged(package);
          return false;
      }
    }
  }
  return true;
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
