#include "install/install_session.h"

#include "platform/system.h"

int CSilentSession::AskCopyFailed(const char*, const char*, int failures) {
  if (failures > kSilentRetries) return platform::kIdAbort;
  platform::Pause(kSilentRetryPauseMs);
  return platform::kIdRetry;
}
