#pragma once
// The running program's own data resources (type RCDATA), which the build
// writes into the image: read by name out of the image in memory, never
// from the file on disk, so what is read is what the signature covered.
#include <string>

namespace platform {

enum class ProgramDataRead {
  kFound,       // `data` holds the resource's bytes
  kAbsent,      // the image holds no data resource of that name
  kUnreadable,  // it holds one that could not be loaded
};

// FindResourceW, LoadResource, LockResource and SizeofResource on the
// running image's RCDATA resource `name` (ASCII).
ProgramDataRead ReadProgramData(const char* name, std::string* data);

}  // namespace platform
