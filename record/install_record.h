#pragma once
// What an install wrote, as the uninstaller needs it: the folders it created,
// the files it copied, the loader keys it wrote and the fonts it copied with
// a digest of their content; and, written ahead, what the phase under way is
// about to make or change (its intents), so that an install cut off at any
// moment leaves a record of everything it may have touched. The record file
// (record/record_file.h) keeps it on disk; while an install runs, its record
// hears what the copies and registrations wrote (package/install_notes.h).
#include <cstddef>
#include <string>
#include <vector>

#include "package/install_notes.h"

struct RecordedFont {
  std::string path;
  std::string digest;  // SHA-256 of the content, 64 lower-case hex digits
  // Intents only: a file lay under the name before the install wrote it
  // (someone's own font, never removed on the intent's word alone).
  bool existed = false;
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
  // Intents: what the phase under way is about to write. An intent stays
  // until a done entry names the same place; staged copies are temporary
  // names in the install folder that the install itself removes or renames.
  void IntendFile(const std::string& path);
  void IntendLibraryFile(const std::string& path);
  void IntendLoaderKey(const std::string& keyPath);
  void IntendFont(const std::string& path, const std::string& digest, bool existed);
  void AddStaged(const std::string& path);
  // Adds every entry of `other` after this record's own.
  void Merge(const InstallRecord& other);
  bool Empty() const;
  // The phase under way when the record was written: a record read with one
  // is that of an install cut off (killed, or the power lost).
  bool Interrupted() const { return !m_phase.empty(); }

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
  std::string m_phase;  // empty: the install ended (or stopped) normally
  std::vector<std::string> m_intentFiles, m_intentLibraryFiles, m_intentLoaderKeys, m_staged;
  std::vector<RecordedFont> m_intentFonts;
};

// True for 64 lower-case hexadecimal digits.
bool IsDigestText(const std::string& text);
