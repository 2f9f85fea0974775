#include <windows.h>

#include "platform/program_data.h"
#include "platform/win32/wide.h"

namespace platform {

ProgramDataRead ReadProgramData(const char* name, std::string* data) {
  data->clear();
  const Wide wideName(name);
  if (!wideName.ok()) return ProgramDataRead::kAbsent;
  HRSRC found = FindResourceW(nullptr, wideName.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) {
    const DWORD error = GetLastError();
    return error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
                   error == ERROR_RESOURCE_DATA_NOT_FOUND
               ? ProgramDataRead::kAbsent
               : ProgramDataRead::kUnreadable;
  }
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, found);
  if (!bytes || size == 0) return ProgramDataRead::kUnreadable;
  data->assign(static_cast<const char*>(bytes), size);
  return ProgramDataRead::kFound;
}

}  // namespace platform
