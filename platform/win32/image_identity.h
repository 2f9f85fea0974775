#pragma once
// The running image compared with a file, byte for byte (see
// image_identity_win32.cpp).
#include <windows.h>

namespace platform {

// True when `file` holds exactly the image mapped at `base` (the process's
// own executable): headers, every section, nothing else but a certificate
// table at its end.
bool IsRunningImageFile(HANDLE file, const unsigned char* base);

}  // namespace platform
