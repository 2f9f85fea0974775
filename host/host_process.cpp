#include "host/host_process.h"

#include <string>

#include "host/host_contract.h"
#include "platform/codepage.h"
#include "platform/processes.h"

bool IsHostRunning() {
  const std::string host = platform::LowerCase(kHostExecutable);
  platform::ProcessSnapshot snapshot;
  if (!snapshot.Take()) return false;
  bool running = false;
  std::string name;
  for (bool more = snapshot.First(&name); more; more = snapshot.Next(&name)) {
    if (platform::ContainsText(platform::LowerCase(name), host)) {
      running = true;
      break;
    }
  }
  return running;
}
