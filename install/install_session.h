#pragma once
// The session of an install that nobody watches (a silent install), beside
// the one of a person at the screen (package/copy_session.h).
#include "package/copy_session.h"

// Nobody at the screen: messages are not shown (the operations log their
// events themselves), and a package file that cannot be copied is tried
// again kSilentRetries times, kSilentRetryPauseMs apart, then given up with
// Abort: a partial install never ends as a success.
class CSilentSession : public CInstallSession {
 public:
  static constexpr int kSilentRetries = 5;
  static constexpr unsigned kSilentRetryPauseMs = 1000;

  bool Silent() const override { return true; }
  void Tell(const char*, const char*) override {}
  int AskCopyFailed(const char* text, const char* caption, int failures) override;
};
