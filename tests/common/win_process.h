#pragma once
// Windows-only test support: starting a helper program, and running one to
// read what it prints.
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

// Under Wine: runs a Unix program (Wine starts an ELF file itself, given as
// Z:\bin\...) in `folder`, then waits up to 5 s until `done` holds, as Wine
// gives no process to wait for. What only a Unix link shows is made so.
template <class Done>
bool RunUnix(const std::string& folder, const std::string& commandLine, Done done) {
  const std::string program = "Z:\\bin\\" + commandLine.substr(0, commandLine.find(' '));
  std::string line = commandLine;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 250 && !done(); ++i) Sleep(20);
  return done();
}

// Runs a command line with standard output and error into a pipe, waits
// for its end (30 s at the most), and gives back what it printed.
inline std::string ProgramOutput(const std::string& commandLine) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return "";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  PROCESS_INFORMATION pi = {};
  std::string line = commandLine, out;
  const BOOL started =
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(read);
  return out;
}

}  // namespace testing_support
