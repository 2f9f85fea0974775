#pragma once
// Windows-only test support: starting a helper program.
#include <windows.h>

#include <string>

namespace testing_support {

// Starts the program with the arguments; its process handle, or null.
inline HANDLE StartProgram(const std::string& exe, const std::string& args) {
  std::string line = "\"" + exe + "\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

}  // namespace testing_support
