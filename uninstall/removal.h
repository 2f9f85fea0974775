#pragma once
// Removes what an install record lists, and nothing that belongs to anyone
// else, with the same platform operations the install used.
#include <string>
#include <vector>

#include "record/install_record.h"

struct RemovalOutcome {
  // A file that could not be deleted now was scheduled for deletion at the
  // next restart (the uninstaller's own running image does not count).
  bool restartNeeded = false;
  // Something the record lists could not be removed (a delete that failed
  // other than for a file in use, a key that could not be deleted): the
  // Apps & Features entry stays, so that the uninstall can run again.
  bool leftBehind = false;
  // What happened, one event a line, for the log.
  std::vector<std::string> events;
};

// How much of the uninstall a removal does.
struct RemovalMode {
  // The Apps & Features entry is looked at (removed when it names this
  // install folder and nothing was left behind); false when an install takes
  // an earlier one over, whose entry it has replaced.
  bool entry = true;
  // What stays whatever the removal does (lines of the record that cannot
  // be read, an earlier install folder that is not safe), one text each:
  // the removal counts as left behind.
  std::vector<std::string> leftBehind;
};

// In this order: each loader key whose "LOADER" still names a module inside
// this install folder or an earlier one the record names; each "Applications"
// key the install made, when empty; each font
// whose content still has the recorded digest; each recorded file; what the
// record names as intents where it exists and is this install's (files of
// the install folder, staged copies, fonts that were not there before, keys
// without a LOADER or with this install's). When something stays, the record
// is rewritten to name what remains, and the uninstaller and the entry stay.
// Otherwise the entry becomes provisional, then the uninstaller and the
// record, the library folder, the install folder and the folders made above
// it, each only when empty, and the entry last. Cut off anywhere, the same
// uninstall run again finishes it.
// A font in one of `sharedFonts` (Fonts folders of hosts that another
// install is registered with) stays.
//
// `runningImage` is the executable of this process: when it is the install
// folder's uninstaller it cannot be deleted while it runs, so it is moved
// into the temporary folder and deleted there at the next restart.
RemovalOutcome RemoveRecorded(const InstallRecord& record, const std::string& installFolder,
                              const std::string& runningImage,
                              const std::vector<std::string>& sharedFonts = {},
                              const RemovalMode& mode = {});

// What is left to do after an uninstall was cut off once the record was
// gone (the provisional entry names the folder): the temporary files, the
// uninstaller, the folders (the chosen one and those above it that are
// `created`, each while empty), the entry.
RemovalOutcome FinishCutRemoval(const std::string& installFolder, const std::string& runningImage,
                                const std::vector<std::string>& created);

// True when the LOADER text names a file directly inside the folder (both in
// full form, ignoring case).
bool LoaderNamesModuleIn(const std::string& loader, const std::string& folder);
