// A small Windows program that the install tests start under Wine:
//   hold <file> <signal>   opens the file without any sharing, creates
//                          <signal>.ready, and keeps the file open until
//                          <signal> exists (at most 60 s);
//   wait <signal>          creates <signal>.ready and runs until <signal>
//                          exists (copied under the host's process names);
//   source <out>           writes GetPackageSource's answer to <out>;
//   copy <target> <out>    runs the package and library copy into <target>
//                          and writes the result to <out>.
// Copied as SetUp.exe into a prepared folder it finds the package there.
#include <windows.h>

#include <cstdio>
#include <string>

#include "install/install_target.h"
#include "package/package_copy.h"

namespace {
bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

void WaitFor(const std::string& signal) {
  for (int i = 0; i < 3000 && !Exists(signal); ++i) Sleep(20);
}

int Write(const std::string& out, const std::string& text) {
  FILE* f = std::fopen(out.c_str(), "wb");
  if (!f) return 3;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "hold" && argc == 4) {
    HANDLE h = CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 4;
    Touch(std::string(argv[3]) + ".ready");
    WaitFor(argv[3]);
    CloseHandle(h);
    return 0;
  }
  if (mode == "wait" && argc == 3) {
    Touch(std::string(argv[2]) + ".ready");
    WaitFor(argv[2]);
    return 0;
  }
  if (mode == "source" && argc == 3) {
    std::string source;
    const bool found = GetPackageSource(source, nullptr);
    return Write(argv[2], found ? "1 " + source : "0");
  }
  if (mode == "copy" && argc == 4) {
    platform::ProgressBar bar;  // no window: the steps go nowhere
    CInstallTarget target(argv[2], bar);
    const bool copied = CopyPackageFiles(target);
    if (copied) CopyExtensionLibrary(target);
    return Write(argv[3], copied ? "1" : "0");
  }
  return 2;
}
