#pragma once
// How an install asks its questions and gives its messages. When a person
// runs SetUp.exe they are message boxes owned by the setup dialog; a silent
// install (no window, nobody at the screen; install/install_session.h)
// answers them by fixed rules and shows nothing. The install sequence, the
// copy operations and the font deployment ask through one of these, so both
// kinds of install run the same code.
#include <string>

#include "platform/ui.h"

// The exit codes of SetUp.exe, in both modes.
enum ExitCode : int {
  kExitInstalled = 0,       // installed (after the completion message)
  kExitBadCommandLine = 1,  // the command line was not understood; nothing changed
  kExitClosed = 2,          // the dialog was closed without installing
  kExitNoHost = 3,          // silent: none of the chosen years has a host
  kExitNoPackage = 4,       // the package source was not found; no host changed
  kExitCopyStopped = 5,     // stopped at a package file that could not be copied
  kExitHostRunning = 6,     // silent: the host program runs; nothing changed
  kExitBadPath = 7,         // silent: the install path is unusable; nothing created
  kExitPartial = 8,         // installed in part: something the install needs was not written
  kExitPackageUnusable = 9, // the package is not usable: nothing of it installed, no host changed
  kExitNoDesktop = 10,      // the dialog cannot be shown (no interactive desktop); nothing changed
};

// Exit 10 in the words of the README and of /?.
extern const char* const kNoDesktopMeaning;

// What an exit code means, in the words of the log's last line.
const char* ExitCodeMeaning(int code);

class CInstallSession {
 public:
  virtual ~CInstallSession() = default;

  // True when nobody is at the screen: no window, no box.
  virtual bool Silent() const = 0;
  // A message with an OK button; returns when it has been read.
  virtual void Tell(const char* text, const char* caption) = 0;
  // The copy prompt `text` (Abort, Retry, Ignore) for a package file whose
  // copy has now failed `failures` times in a row: kIdAbort, kIdRetry or
  // kIdIgnore.
  virtual int AskCopyFailed(const char* text, const char* caption, int failures) = 0;

  // The install ends early with `code`; gives false, for the caller to
  // return. The code of the last stop is kept; a stop that gave no reason
  // counts as a stopped copy, never as an install.
  bool Stop(int code) {
    stop_ = code;
    return false;
  }
  int StopCode() const { return stop_; }

  // Something the install needs was not written (the caller has logged
  // what): the install goes on to its end and then gives kExitPartial.
  void MarkPartial() { partial_ = true; }
  bool Partial() const { return partial_; }

 private:
  int stop_ = kExitCopyStopped;
  bool partial_ = false;
};

// A person at the screen: every message and question is a box owned by
// `owner` (the setup dialog).
class CDialogSession : public CInstallSession {
 public:
  explicit CDialogSession(platform::WindowHandle owner) : owner_(owner) {}
  bool Silent() const override { return false; }
  void Tell(const char* text, const char* caption) override;
  int AskCopyFailed(const char* text, const char* caption, int failures) override;

 private:
  platform::WindowHandle owner_;
};
