#include "record/install_record.h"

#include <algorithm>

#include "platform/codepage.h"

namespace {

bool HasControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

bool Contains(const std::vector<std::string>& list, std::string_view text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& item) { return platform::EqualsIgnoreCase(item, text); });
}

void AddOnce(std::vector<std::string>& list, const std::string& text) {
  if (text.empty() || HasControlByte(text) || Contains(list, text)) return;
  list.push_back(text);
}

}  // namespace

bool IsDigestText(const std::string& digest) {
  return digest.size() == 64 && std::all_of(digest.begin(), digest.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

void InstallRecord::AddCreatedFolder(const std::string& path) { AddOnce(m_createdFolders, path); }
void InstallRecord::AddFile(const std::string& path) { AddOnce(m_files, path); }
void InstallRecord::AddLibraryFile(const std::string& path) { AddOnce(m_libraryFiles, path); }
void InstallRecord::AddLoaderKey(const std::string& keyPath) { AddOnce(m_loaderKeys, keyPath); }
void InstallRecord::AddApplicationsKey(const std::string& keyPath) {
  AddOnce(m_applicationsKeys, keyPath);
}

void InstallRecord::AddEarlierFolder(const std::string& path) { AddOnce(m_earlierFolders, path); }

namespace {

void AddFontTo(std::vector<RecordedFont>& fonts, const std::string& path, const std::string& digest,
               bool existed) {
  if (path.empty() || HasControlByte(path) || !IsDigestText(digest)) return;
  for (RecordedFont& font : fonts) {
    if (platform::EqualsIgnoreCase(font.path, path)) {
      font.digest = digest;
      font.existed = font.existed || existed;
      return;
    }
  }
  fonts.push_back({path, digest, existed});
}

}  // namespace

void InstallRecord::AddFont(const std::string& path, const std::string& digest) {
  AddFontTo(m_fonts, path, digest, false);
}

void InstallRecord::IntendFile(const std::string& path) { AddOnce(m_intentFiles, path); }
void InstallRecord::IntendLibraryFile(const std::string& path) { AddOnce(m_intentLibraryFiles, path); }
void InstallRecord::IntendLoaderKey(const std::string& keyPath) { AddOnce(m_intentLoaderKeys, keyPath); }
void InstallRecord::IntendFont(const std::string& path, const std::string& digest, bool existed) {
  AddFontTo(m_intentFonts, path, digest, existed);
}
void InstallRecord::AddStaged(const std::string& path) { AddOnce(m_staged, path); }

void InstallRecord::Merge(const InstallRecord& other) {
  if (m_installFolder.empty()) m_installFolder = other.m_installFolder;
  for (const std::string& p : other.m_earlierFolders) AddEarlierFolder(p);
  for (const std::string& p : other.m_createdFolders) AddCreatedFolder(p);
  for (const std::string& p : other.m_files) AddFile(p);
  for (const std::string& p : other.m_libraryFiles) AddLibraryFile(p);
  for (const std::string& p : other.m_loaderKeys) AddLoaderKey(p);
  for (const std::string& p : other.m_applicationsKeys) AddApplicationsKey(p);
  for (const RecordedFont& f : other.m_fonts) AddFont(f.path, f.digest);
  if (m_phase.empty()) m_phase = other.m_phase;
  for (const std::string& p : other.m_intentFiles) IntendFile(p);
  for (const std::string& p : other.m_intentLibraryFiles) IntendLibraryFile(p);
  for (const std::string& p : other.m_intentLoaderKeys) IntendLoaderKey(p);
  for (const RecordedFont& f : other.m_intentFonts) IntendFont(f.path, f.digest, f.existed);
  for (const std::string& p : other.m_staged) AddStaged(p);
}

bool InstallRecord::Empty() const {
  return m_createdFolders.empty() && m_files.empty() && m_libraryFiles.empty() &&
         m_loaderKeys.empty() && m_applicationsKeys.empty() && m_fonts.empty() && m_intentFiles.empty() &&
         m_intentLibraryFiles.empty() && m_intentLoaderKeys.empty() && m_intentFonts.empty() &&
         m_staged.empty();
}
