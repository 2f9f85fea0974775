#pragma once
// Where the package copy, the library copy, the loader registration and the
// font deployment tell what they wrote: the record of the running install
// (record/install_record.h) listens while an install runs, and the Note
// functions do nothing while nobody listens.
#include <cstddef>
#include <string>
#include <vector>

class InstallNotes {
 public:
  virtual void AddCreatedFolder(const std::string& path) = 0;
  virtual void AddFile(const std::string& path) = 0;
  virtual void AddLibraryFile(const std::string& path) = 0;
  virtual void AddLoaderKey(const std::string& keyPath) = 0;
  // An "Applications" key of a host key that the install had to make.
  virtual void AddApplicationsKey(const std::string& keyPath) = 0;
  virtual void AddFont(const std::string& path, const std::string& digest) = 0;

 protected:
  ~InstallNotes() = default;
};

// The listener of the running install, or null.
extern InstallNotes* g_installRecord;

void NoteCreatedFolder(const std::string& path);
void NoteFile(const std::string& path);
void NoteLibraryFile(const std::string& path);
void NoteLoaderKey(const std::string& keyPath);
void NoteApplicationsKey(const std::string& keyPath);
// Reads the copied font back and notes the digest of its content.
void NoteFont(const std::string& path);

// The largest font file whose digest is taken.
constexpr std::size_t kFontSizeLimit = 64u << 20;

// What a phase is about to write, known before it writes anything: the
// record of the running install names it ahead, so that an install cut off
// at any moment leaves a record of everything it may have touched.
struct PhaseIntents {
  struct Font {
    std::string path, digest;  // digest: of the package's font
    bool existed;              // a file lies under the name now
  };
  std::vector<std::string> createdFolders, files, libraryFiles, loaderKeys;
  std::vector<std::string> staged;  // temporary names in the install folder
  std::vector<Font> fonts;
};

// Writes the record ahead of a phase: the install book of a running install.
class RecordAhead {
 public:
  // The record on disk names what is done and, besides, `intents`, with
  // `phase` under way; false when it could not be written.
  virtual bool BeginPhase(const char* phase, const PhaseIntents& intents) = 0;

 protected:
  ~RecordAhead() = default;
};
extern RecordAhead* g_recordAhead;
// Before a phase changes anything: true when no record is kept or the
// intents are on disk; false (the phase must not run) otherwise.
bool NotePhase(const char* phase, const PhaseIntents& intents);
