#include "package/folder_lock.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/log.h"

std::vector<LockStep> g_lockSteps;

const std::vector<platform::Ace>& LockedDacl() {
  using namespace platform;
  static const std::vector<Ace> dacl = {
      {kAceAllow, kAceInheritAll, kAccessFull, kSidAdministrators},
      {kAceAllow, kAceInheritAll, kAccessFull, kSidSystem},
      {kAceAllow, kAceInheritAll, kAccessReadExecute, kSidUsers}};
  return dacl;
}

std::vector<platform::Ace> InheritedDacl(bool folder) {
  std::vector<platform::Ace> dacl = LockedDacl();
  for (platform::Ace& ace : dacl)
    ace.flags =
        folder ? platform::kAceInherited | platform::kAceInheritAll : platform::kAceInherited;
  return dacl;
}

namespace {

// Every step is kept; the log gets what an administrator would want to
// know: a step that failed, and a link or further name that was removed.
void Record(LockAction action, const std::string& path, std::uint32_t error) {
  g_lockSteps.push_back({action, path, error});
  if (error != 0 || action == LockAction::kUnlink || action == LockAction::kMakeFolder)
    platform::Log("install folder lock: " + DescribeLockStep(g_lockSteps.back()));
}

bool IsLink(std::uint32_t attributes) {
  return attributes != platform::kInvalidAttributes &&
         (attributes & platform::kAttrReparsePoint) != 0;
}

// Removes a link or a file's name, never what it leads to.
void Unlink(const std::string& path, bool folder) {
  const bool done =
      folder ? platform::RemoveFolder(path.c_str()) : platform::RemoveFile(path.c_str());
  Record(LockAction::kUnlink, path, done ? 0 : kLockStepFailed);
}

// One locking run: the privileges it enabled are disabled when it ends.
class LockRun {
 public:
  LockRun() = default;
  LockRun(const LockRun&) = delete;
  LockRun& operator=(const LockRun&) = delete;
  ~LockRun() {
    for (const char* privilege : enabled_) platform::EnablePrivilege(privilege, false);
  }

  void Owner(const std::string& path) {
    Step(LockAction::kOwner, path, platform::kPrivilegeTakeOwnership,
         [&] { return platform::SetFileOwner(path.c_str(), platform::kSidAdministrators); });
  }
  void Dacl(const std::string& path) {
    Step(LockAction::kDacl, path, platform::kPrivilegeRestore,
         [&] { return platform::SetFileDacl(path.c_str(), LockedDacl(), true); });
  }
  void Inherit(const std::string& path, bool folder) {
    Step(LockAction::kInherit, path, platform::kPrivilegeRestore,
         [&] { return platform::SetFileDacl(path.c_str(), InheritedDacl(folder), false); });
  }

  // Everything below `folder`, which is locked already: nobody else can add
  // an entry while it is listed. Each folder below is locked before it is
  // listed in turn.
  void ResetBelow(const std::string& folder) {
    std::vector<platform::FindEntry> entries;
    {
      platform::FileFinder finder;
      platform::FindEntry e;
      if (!finder.First((folder + "\\*.*").c_str(), &e)) {
        Record(LockAction::kList, folder, kLockStepFailed);
        return;
      }
      do {
        const std::string name = e.name;
        if (name != "." && name != "..") entries.push_back(e);
      } while (finder.Next(&e));
    }
    for (const platform::FindEntry& e : entries) {
      const std::string path = folder + "\\" + e.name;
      const bool isFolder = (e.attributes & platform::kAttrDirectory) != 0;
      // A link, or a name that shares its file with a path elsewhere (or
      // whose count cannot be read): what is done to it would be done there.
      if (IsLink(e.attributes) || (!isFolder && platform::LinkCount(path.c_str()) != 1)) {
        Unlink(path, isFolder);
        continue;
      }
      Owner(path);
      Inherit(path, isFolder);
      if (isFolder) ResetBelow(path);
    }
  }

 private:
  // Runs a call; when it is refused, enables the privilege (once per run)
  // and runs it again.
  template <class Call>
  void Step(LockAction action, const std::string& path, const char* privilege, Call call) {
    std::uint32_t error = call();
    if (error == platform::kErrorAccessDenied &&
        std::find(tried_.begin(), tried_.end(), privilege) == tried_.end()) {
      tried_.push_back(privilege);
      const std::uint32_t enabled = platform::EnablePrivilege(privilege, true);
      Record(LockAction::kPrivilege, privilege, enabled);
      if (enabled == 0) {
        enabled_.push_back(privilege);
        error = call();
      }
    }
    Record(action, path, error);
  }

  std::vector<const char*> tried_;  // the privilege names of platform/security.h
  std::vector<const char*> enabled_;
};

}  // namespace

void LockNewFolder(const std::string& folder) {
  if (IsLink(platform::ReadAttributes(folder.c_str()))) {
    Record(LockAction::kOwner, folder, kLockRefusedLink);
    return;
  }
  LockRun run;
  run.Owner(folder);
  run.Dacl(folder);
}

void TakeOverFolder(const std::string& folder) {
  const std::uint32_t attributes = platform::ReadAttributes(folder.c_str());
  if (IsLink(attributes)) {
    Unlink(folder, (attributes & platform::kAttrDirectory) != 0);
    if (g_lockSteps.back().error != 0) return;
    Record(LockAction::kMakeFolder, folder,
           platform::MakeFolder(folder.c_str()) ? 0 : kLockStepFailed);
    if (IsLink(platform::ReadAttributes(folder.c_str()))) {  // put back meanwhile
      Record(LockAction::kOwner, folder, kLockRefusedLink);
      return;
    }
  }
  LockRun run;
  run.Owner(folder);
  run.Dacl(folder);
  run.ResetBelow(folder);
}

std::string DescribeLockStep(const LockStep& step) {
  static const char* const kNames[] = {"privilege", "unlink",  "mkdir", "owner",
                                       "dacl",      "inherit", "list"};
  return std::string(kNames[static_cast<int>(step.action)]) + " " + step.path + ": " +
         std::to_string(step.error);
}
