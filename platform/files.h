#pragma once
// The file system, GBK names through the wide (W) API: listings, attributes,
// copies, folders, and the executable's own path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <functional>

namespace platform {

// Attribute bits, numbered as Windows numbers them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,  // a junction or a symbolic link, reported without following it
};
// GetFileAttributesW's answer for a path that cannot be read.
constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// MAX_PATH: a path buffer of 260 bytes holds at most 259 bytes and a NUL.
constexpr std::size_t kPathBuffer = 260;

// The two fields of a find record (WIN32_FIND_DATAW, the name
// in GBK; a name without a GBK form holds kUnnamedChar) that the installer reads.
struct FindEntry {
  std::uint32_t attributes = 0;  // dwFileAttributes
  char name[kPathBuffer] = {};   // cFileName
};

// One listing: FindFirstFileW, FindNextFileW, FindClose. Closed by Close()
// or by the destructor.
class FileFinder {
 public:
  FileFinder() = default;
  ~FileFinder() { Close(); }
  FileFinder(const FileFinder&) = delete;
  FileFinder& operator=(const FileFinder&) = delete;

  // FindFirstFileW(pattern): "folder\*.*" lists every entry of the folder,
  // "." and ".." first; a path without wildcards yields that path's entry.
  bool First(const char* pattern, FindEntry* entry);
  // FindNextFileW: false when no entry is left.
  bool Next(FindEntry* entry);
  // FindClose; nothing when not open.
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;  // the find handle, or the simulated listing
};

// GetFileAttributesW: the attribute word, or kInvalidAttributes.
std::uint32_t ReadAttributes(const char* path);
// SetFileAttributesW.
bool WriteAttributes(const char* path, std::uint32_t attributes);
// DeleteFileW. With "file:stream" it deletes that alternate data stream.
bool RemoveFile(const char* path);
// CopyFileW(from, to, failIfExists): the copy takes the source's attributes
// and streams.
bool CopyOneFile(const char* from, const char* to, bool failIfExists);
// RemoveDirectoryW: an empty folder, or a link to a folder (the link only,
// whatever its target holds); fails for a process's current folder.
bool RemoveFolder(const char* path);
// True when the path names an existing file or folder.
bool PathExists(const char* path);
// MoveFileExW(from, to, 0): renames a file or moves it on the same volume;
// fails when the target exists or lies on another volume. A running
// executable can be renamed, not deleted.
bool MoveOneFile(const char* from, const char* to);
// MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING): the file takes the name
// `to` on the same volume, in place of the file there; fails when that one
// is read-only or in use (a loaded module), which then stays as it was.
bool MoveOverFile(const char* from, const char* to);
// MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH):
// as MoveOverFile, and it returns only once the new name is on the disk.
// With a `from` that was flushed, a cut at any moment leaves either the old
// file or the new one under `to`, never a torn one.
bool MoveOverFileDurably(const char* from, const char* to);
// MoveFileExW(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): the file, or an empty
// folder, is deleted at the next restart. Needs administrator rights.
bool DeleteAtRestart(const char* path);
// The deletes at the next restart that are still pending (the
// PendingFileRenameOperations value that MoveFileEx writes): removes those
// whose path (full form, without the "\??\" prefix) `cancel` accepts;
// renames and every other entry stay. Gives how many were removed, or -1
// when the list could not be read or written back.
int CancelDeletesAtRestart(const std::function<bool(const std::string&)>& cancel);
// GetFullPathNameW: the path made absolute against the current folder, "."
// and ".." resolved, "/" read as "\" and runs of separators collapsed. False
// when the system cannot make it, or when it would not fit kPathBuffer.
bool FullPath(const std::string& path, std::string* full);
// The size in bytes of a file (GetFileAttributesExW); false when it is
// missing or a folder.
bool FileSize(const char* path, std::uint64_t* size);
// Reads a whole file (CreateFileW with read sharing, ReadFile). False when
// it cannot be opened or read, or when it is longer than `limit` bytes.
bool ReadWholeFile(const char* path, std::size_t limit, std::string* data);
// Creates or replaces a file with the bytes (CreateFileW CREATE_ALWAYS,
// WriteFile); false when any step fails.
bool WriteWholeFile(const char* path, const std::string& data);
// SetCurrentDirectoryW. A folder that is a process's current folder cannot
// be removed.
bool ChangeCurrentFolder(const char* path);
// GetModuleFileNameW(NULL) into a buffer of 261 bytes.
std::string ExecutablePath();
// GetCurrentDirectoryW.
std::string CurrentFolder();

// What an open handle tells of the entry it has open.
struct HandleFacts {
  // GetFinalPathNameByHandleW: the path the system reached, every link on
  // the way resolved, without its "\\?\" ("\\?\UNC\" gives "\\").
  std::string finalPath;
  std::uint32_t attributes = 0;  // of the entry opened (kAttrReparsePoint: a link itself)
  std::uint32_t links = 0;       // its number of names (FileStandardInfo NumberOfLinks)
  std::uint64_t size = 0;        // its size in bytes
};

// Given the bytes of a copy as they are written (a digest taken on the way).
class CopySink {
 public:
  virtual void Take(const void* data, std::size_t size) = 0;

 protected:
  ~CopySink() = default;
};

// GetLongPathNameW: the path with each short (8.3) name of an existing
// entry in its long form, as a final path names it; the path itself where
// the system cannot make it.
std::string LongPath(const std::string& path);

// The full form of a path (FullPath) without a trailing "\" ("C:\" stays
// whole); where the system cannot make it, the path with each run of "\"
// collapsed into one (character by character in the code page).
std::string FullForm(std::string_view path);
// The n-th name in place of `name` when that is taken: `name` itself for
// n = 0, then "-<n>" before the extension of its last part
// ("TarnwellSetup-1.log", "Tarnwell-1.old"; "-<n>" at the end without one).
std::string NumberedName(const std::string& name, int n);
// Gives `take` NumberedName(name, first) to NumberedName(name, last) in
// turn until it takes one (true): that name, or empty. A failure whose
// LastError() is not a taken name (kErrorFileExists, kErrorNameExists) ends
// the tries, unless `anyError`.
std::string TakeNumberedName(const std::string& name, int first, int last, bool anyError,
                             const std::function<bool(const std::string&)>& take);
// True for a path that starts at a drive's root: a letter, ":" and "\".
bool IsRootedPath(std::string_view path);
// True when `a` and `b` name the same path: equal in full form, ignoring
// case character by character.
bool SamePath(std::string_view a, std::string_view b);

// One open file or folder (CreateFileW), for work that must reach the entry
// that was checked, not whatever a path leads to by then. Closed by Close()
// or by the destructor.
class FileHandle {
 public:
  FileHandle() = default;
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // A file to read, the entry itself (FILE_FLAG_OPEN_REPARSE_POINT: a link
  // is opened, not followed). Others may read it but neither write, rename
  // nor delete it while it is open.
  bool OpenToRead(const char* path);
  // A folder, links followed, that nobody can rename or delete while it is
  // open (no FILE_SHARE_DELETE).
  bool OpenFolder(const char* path);
  // A file or folder to delete, the entry itself (a link, not what it leads
  // to), read as well (DELETE, GENERIC_READ, attributes).
  bool OpenToDelete(const char* path);
  // A file to write from its start: a new one (CREATE_NEW; `created` set),
  // or else the existing entry itself (links not followed), which the first
  // CopyFrom or Truncate cuts. Read-only or hidden, it is refused
  // (ERROR_ACCESS_DENIED), as CopyFileA refuses it; nobody else may open it
  // while it is open. Opened for deletion too (DeleteNow).
  bool OpenToWrite(const char* path, bool* created = nullptr);

  // A new file to write (CREATE_NEW): never an existing entry, so never a
  // link or a further name of another file; ERROR_FILE_EXISTS when the name
  // is taken. Nobody else may open it while it is open; opened for deletion
  // too (DeleteNow).
  bool OpenNew(const char* path);

  bool Facts(HandleFacts* facts) const;
  // Replaces this file's content with `source`'s, read from its start, and
  // takes its last-write time. Only the data: no stream, no zone mark.
  // `sink`, when given, receives every byte written, in order.
  bool CopyFrom(const FileHandle& source, CopySink* sink = nullptr);
  // Reads the whole file from its start; false past `limit` bytes.
  bool ReadAll(std::size_t limit, std::string* data) const;
  // Cuts the file to nothing at its start; Write then appends.
  bool Truncate();
  bool Write(std::string_view bytes);
  // FlushFileBuffers: what was written is on the disk.
  bool Flush();
  // Deletes the entry through the handle (FileDispositionInfo), a read-only
  // file too; a folder only when it is empty (ERROR_DIR_NOT_EMPTY).
  bool DeleteNow();
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

 private:
  // Opens the running image's file into `image` and checks it (each
  // platform's own; HoldRunningImage keeps it).
  friend bool OpenRunningImage(FileHandle& image);
  void* handle_ = nullptr;  // the file handle, or the simulated entry
};

// The file of the running image, opened when the program starts (before
// any window) with read sharing only, so that nobody can write, rename or
// delete it while the program runs, and checked to be the image that runs,
// byte for byte (every byte the loader mapped from it equals memory, the
// relocations undone; nothing else in the file but a certificate table).
// False (the reason in LastError()) when it cannot be opened so or is
// another file.
bool HoldRunningImage();
// Lets go of the image file (an uninstaller before it moves itself away).
void ReleaseRunningImage();
// Writes the held image to `to` (OpenToWrite); false when none is held.
bool CopyRunningImage(const char* to);

// Writing into the install's folders, which are held open from their check
// to the end of the install (nobody else can rename, replace or delete
// them). Every file the install writes there is made by these two.
//
// The error a file gets that was made somewhere else than its path says
// (ERROR_REPARSE_POINT_ENCOUNTERED).
constexpr std::uint32_t kErrorNotWhereChecked = 4395;
// Makes a new file at `path` (FileHandle::OpenNew) and checks what was made:
// its final path must be `path` itself (in its long form), it must be no
// link and have one name. Otherwise the file made is removed again through
// its handle, the reason is logged, and false with kErrorNotWhereChecked.
bool CreateCheckedFile(FileHandle& file, const std::string& path);
// Writes `path` anew: a new file at `temporary` (beside it; a leftover of
// that name is removed first, the entry itself) made by CreateCheckedFile,
// filled by `write`, then given the name `path` in place of what had it
// (MoveOverFile: a link or a further name at `path` is replaced, never
// written through). False, LastError() set, with nothing left at
// `temporary`, when a step fails; `path` is then as it was. `durable`: the
// rename is written through (MoveOverFileDurably).
bool WriteCheckedFile(const std::string& path, const std::string& temporary,
                      const std::function<bool(FileHandle&)>& write, bool durable = false);
// Writes `path`: where nothing has that name yet, a new file made there by
// CreateCheckedFile and filled by `write` (a failed `write` removes it
// again; a cut in the middle leaves it in part, so the name must be in the
// install's record before). Where the name is taken: by a hidden file or a
// folder, refused (ERROR_ACCESS_DENIED), as CopyFileA refuses it; else as
// WriteCheckedFile.
bool WriteNewFile(const std::string& path, const std::string& temporary,
                  const std::function<bool(FileHandle&)>& write);

}  // namespace platform
