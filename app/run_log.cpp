#include "app/run_log.h"

#include "host/host_registry.h"
#include "install/install_session.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"

bool OpenRunLog(const CommandLine* line, bool silent, const char* defaultName,
                CommandLineError* error) {
  if (line && line->hasLog) {
    if (platform::OpenLog(line->logFile)) return true;
    error->kind = CommandLineError::kLogNotCreated;
    error->text = line->logFile + " (" + platform::DescribeError(platform::LastError()) + ")";
  }
  if (silent) {
    // The temporary folder (under SYSTEM the system's, which others can
    // write): where the name cannot be replaced, a name of its own beside it.
    const std::string folder = platform::TempFolder();
    if (!folder.empty())
      platform::TakeNumberedName(folder + "\\" + defaultName, 0, 100, true, &platform::OpenLog);
  }
  return error->kind != CommandLineError::kLogNotCreated;
}

void LogRunStart(const std::string& commandLine) {
  platform::Log("command line: " + commandLine);
  platform::Log(platform::WindowsVersion() + ", " +
                (platform::IsElevated() ? "elevated" : "not elevated"));
}

void LogHostsFound(const CHostRegistry& hosts) {
  int found = 0;
  for (int y = 0; y < kHostYearCount; ++y) {
    for (std::size_t i = 0; i < hosts.m_locations[y].Count(); ++i, ++found)
      platform::Log("host " + std::to_string(HostYearAt(y)) + ": HKLM\\" + hosts.m_keyPaths[y].At(i) +
                    " -> " + hosts.m_locations[y].At(i));
  }
  platform::Log(std::to_string(found) + " host installation(s) found");
}

void EndRunLog(int exitCode, const char* meaning) {
  platform::Log("exit code " + std::to_string(exitCode) + ": " +
                (meaning ? meaning : ExitCodeMeaning(exitCode)));
  platform::CloseLog();
}
