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

void InstallRecord::AddFont(const std::string& path, const std::string& digest) {
  if (path.empty() || HasControlByte(path) || !IsDigestText(digest)) return;
  for (RecordedFont& font : m_fonts) {
    if (platform::EqualsIgnoreCase(font.path, path)) {
      font.digest = digest;
      return;
    }
  }
  m_fonts.push_back({path, digest});
}

void InstallRecord::Merge(const InstallRecord& other) {
  if (m_installFolder.empty()) m_installFolder = other.m_installFolder;
  for (const std::string& p : other.m_earlierFolders) AddEarlierFolder(p);
  for (const std::string& p : other.m_createdFolders) AddCreatedFolder(p);
  for (const std::string& p : other.m_files) AddFile(p);
  for (const std::string& p : other.m_libraryFiles) AddLibraryFile(p);
  for (const std::string& p : other.m_loaderKeys) AddLoaderKey(p);
  for (const std::string& p : other.m_applicationsKeys) AddApplicationsKey(p);
  for (const RecordedFont& f : other.m_fonts) AddFont(f.path, f.digest);
}

bool InstallRecord::Empty() const {
  return m_createdFolders.empty() && m_files.empty() && m_libraryFiles.empty() &&
         m_loaderKeys.empty() && m_applicationsKeys.empty() && m_fonts.empty();
}
