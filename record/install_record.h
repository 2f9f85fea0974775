#pragma once
// What an install wrote, as the uninstaller needs it: the folders it created,
// the files it copied, the loader keys it wrote and the fonts it copied with
// a digest of their content. The record file (record/record_file.h) keeps
// it on disk; while an install runs, its record hears what the copies and
// registrations wrote (package/install_notes.h).
#include <cstddef>
#include <string>
#include <vector>

#include "package/install_notes.h"

struct RecordedFont {
  std::string path;
  std::string digest;  // SHA-256 of the content, 64 lower-case hex digits
};

class InstallRecord : public InstallNotes {
 public:
  // Each Add keeps the first spelling of a path and ignores a repetition
  // (names compared ignoring case); a font recorded again takes the new
  // digest. Paths holding control bytes, and digests that are not 64
  // lower-case hex digits, are not recorded.
  void AddCreatedFolder(const std::string& path) override;
  void AddFile(const std::string& path) override;
  void AddLibraryFile(const std::string& path) override;
  void AddLoaderKey(const std::string& keyPath) override;
  void AddApplicationsKey(const std::string& keyPath) override;
  void AddEarlierFolder(const std::string& path);
  void AddFont(const std::string& path, const std::string& digest) override;
  // Adds every entry of `other` after this record's own.
  void Merge(const InstallRecord& other);
  bool Empty() const;

  std::string m_installFolder;  // without trailing "\"
  // Install folders of earlier installs that this one took over: the
  // entries below may lie in them too, and its uninstall removes them.
  std::vector<std::string> m_earlierFolders;
  std::vector<std::string> m_createdFolders;
  std::vector<std::string> m_files;         // package files in the install folder
  std::vector<std::string> m_libraryFiles;  // files in its library folder
  std::vector<std::string> m_loaderKeys;    // below HKEY_LOCAL_MACHINE, no trailing "\"
  // "Applications" keys of host keys that the install had to make.
  std::vector<std::string> m_applicationsKeys;
  std::vector<RecordedFont> m_fonts;
};

// True for 64 lower-case hexadecimal digits.
bool IsDigestText(const std::string& text);
