#include "package/package_manifest.h"

#include <algorithm>

#include "package/package_layout.h"
#include "platform/codepage.h"
#include "platform/program_data.h"

namespace {

// No control byte, and GBK text throughout.
bool CleanText(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return platform::WellFormedGbk(text);
}

// One file name as Windows takes it literally: no separator, wildcard,
// stream or drive, not "." or "..", no trailing dot or blank.
bool PlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || !CleanText(name)) return false;
  for (std::size_t pos = 0; pos < name.size(); pos += platform::CharLength(name, pos))
    if (platform::CharLength(name, pos) == 1 &&
        std::string_view("\\/:*?\"<>|").find(name[pos]) != std::string_view::npos)
      return false;
  return name.back() != '.' && name.back() != ' ';
}

// A path the install takes from the package: a top-level file that the
// package copy's name tests let through (or one of the fonts), or a file of
// the library folder.
bool InstallablePath(std::string_view path) {
  const std::vector<std::string> parts = platform::SplitAtChar(path, '\\');
  if (parts.size() == 2) return platform::EqualsIgnoreCase(parts[0], kLibraryFolder) && PlainName(parts[1]);
  if (parts.size() != 1 || !PlainName(path)) return false;
  for (const char* font : kFontFiles)
    if (platform::EqualsIgnoreCase(path, font)) return true;
  return platform::ContainsText(path, ".") && !platform::ContainsText(path, kLibraryMark) &&
         !platform::EqualsIgnoreCase(path, kSetupExecutable);
}

bool ReadDecimal(std::string_view text, std::uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (*value > (UINT64_MAX - digit) / 10) return false;
    *value = *value * 10 + digit;
  }
  return true;
}

bool DigestText(std::string_view text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return out;
    start = tab + 1;
  }
}

PackageManifest Damaged(std::string problem) {
  PackageManifest m;
  m.state = ManifestState::kDamaged;
  m.problem = std::move(problem);
  return m;
}

}  // namespace

PackageManifest ParsePackageManifest(std::string_view text) {
  PackageManifest manifest;
  manifest.state = ManifestState::kValid;
  bool ended = false;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    ++lineNumber;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (end == std::string_view::npos) return Damaged(where + "cut short");
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kManifestLineLimit) return Damaged(where + "too long");
    if (ended) return Damaged(where + "after the end");
    if (lineNumber == 1) {
      if (line != kManifestHeader) return Damaged(where + "not a package manifest of this format");
      continue;
    }
    const std::vector<std::string_view> f = Fields(line);
    if (f.size() == 2 && f[0] == "end") {
      std::uint64_t count = 0;
      if (!ReadDecimal(f[1], &count) || count != manifest.files.size())
        return Damaged(where + "the end line does not count the files");
      ended = true;
      continue;
    }
    if (f.size() != 4 || f[0] != "file") return Damaged(where + "not a file line");
    ManifestFile file;
    file.path.assign(f[1]);
    if (!InstallablePath(file.path)) return Damaged(where + "not a file that the install takes");
    if (!ReadDecimal(f[2], &file.size)) return Damaged(where + "no size");
    if (!DigestText(f[3])) return Damaged(where + "no SHA-256");
    file.digest.assign(f[3]);
    if (FindManifestFile(manifest, file.path)) return Damaged(where + "listed twice");
    manifest.files.push_back(std::move(file));
  }
  if (lineNumber == 0) return Damaged("empty");
  if (!ended) return Damaged("cut short: no end line");
  if (manifest.files.empty()) return Damaged("lists no file");
  return manifest;
}

PackageManifest LoadPackageManifest() {
  std::string text;
  switch (platform::ReadProgramData(kManifestResource, &text)) {
    case platform::ProgramDataRead::kFound:
      return ParsePackageManifest(text);
    case platform::ProgramDataRead::kAbsent:
      return PackageManifest();
    case platform::ProgramDataRead::kUnreadable:
      break;
  }
  return Damaged("the resource cannot be loaded");
}

const ManifestFile* FindManifestFile(const PackageManifest& manifest, std::string_view path) {
  for (const ManifestFile& file : manifest.files)
    if (platform::EqualsIgnoreCase(file.path, path)) return &file;
  return nullptr;
}

bool InLibraryFolder(std::string_view manifestPath) {
  return platform::SplitAtChar(manifestPath, '\\').size() == 2;
}
