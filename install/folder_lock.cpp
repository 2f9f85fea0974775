#include "install/folder_lock.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/system.h"

using namespace platform;

namespace {
std::vector<std::string> g_picked;
}  // namespace

std::uint32_t MakePickedFolder(const std::string& path) {
  const std::uint32_t r = MakeLockedFolder(path);
  if (r == 0) g_picked.push_back(path);
  return r;
}

bool TakePickedFolder(const std::string& path) {
  const bool picked = std::any_of(g_picked.begin(), g_picked.end(),
                                  [&](const std::string& p) { return EqualsIgnoreCase(p, path); });
  g_picked.clear();
  return picked;
}

CInstallFolder::Result CInstallFolder::Prepare(const std::string& folder, std::string* reason) {
  Privileges privileges;
  const std::uint32_t opened = privileges.Open(held_, folder, kAccessReadControl | kAccessDelete);
  std::uint32_t attributes = 0;
  FileSecurity s;
  const Trusted trusted{ProcessUserSid(), false};
  Result result = kCreated;
  std::uint32_t error = 0;
  if (opened == 0 && held_.Attributes(&attributes) == 0 && held_.ReadSecurity(&s) == 0 &&
      (attributes & (kAttrReparsePoint | kAttrDirectory)) == kAttrDirectory && trusted(s.owner) &&
      !(OthersRights(s, trusted, true) & kWriteRights)) {
    held_.Close();
    return kUsed;
  }
  if (opened == 0) {
    aside_ = TakeNumberedName(folder + ".old", 0, 19, false, [&](const std::string& aside) {
      error = held_.Rename(aside.c_str());
      SetLastError(error);
      return error == 0;
    });
    result = kReplaced;
  } else if (opened != kErrorFileNotFound && opened != kErrorPathNotFound) {
    error = opened;
  }
  if (error) {
    held_.Close();
    *reason = folder + ": cannot be moved aside: " + DescribeError(error);
    return kRefused;
  }
  if (!aside_.empty())
    Log("moved aside: " + folder + " -> " + aside_ + " (not locked to administrators)");
  error = MakeLockedFolder(folder);
  created_ = error == 0;
  if (error == kErrorNameExists) {
    *reason = folder + ": made by somebody else meanwhile";
    return kRefused;
  }
  return result;
}

namespace {

// More entries in one folder than any package holds: the rest stays.
constexpr std::size_t kListLimit = 100000;

// Removes the held entry at `path` (its final path): a folder with what it
// holds, each entry opened by handle without following it and checked to be
// where it was listed; a link or a file as itself.
void RemoveHeld(HeldEntry& held, const std::string& path, Privileges& privileges) {
  std::uint32_t attributes = 0;
  std::uint32_t error = held.Attributes(&attributes);
  if (!error && (attributes & (kAttrDirectory | kAttrReparsePoint)) == kAttrDirectory) {
    // Listed through the handle: a listing by path would be refused while
    // the folder is held without delete sharing.
    std::vector<std::string> names;
    if (const std::uint32_t listed = held.List(&names, kListLimit))
      Log("not listed " + path + ": " + DescribeError(listed));
    for (const std::string& name : names) {
      const std::string child = path + "\\" + name;
      HeldEntry entry;
      std::string final;
      std::uint32_t opened = privileges.Open(entry, child, kAccessDelete | kAccessWriteAttributes);
      if (!opened) opened = entry.FinalPath(&final);
      if (opened)
        Log("kept " + child + ": " + DescribeError(opened));
      else if (!EqualsIgnoreCase(final, child))
        Log("kept " + child + ": it now leads to " + final);
      else
        RemoveHeld(entry, child, privileges);
    }
  }
  if (!error) error = held.Delete();
  if (error) Log("kept " + path + ": " + DescribeError(error));
}

}  // namespace

void CInstallFolder::RemoveMovedAside() {
  if (aside_.empty() || !held_.IsOpen()) return;
  // Its owner may have shut the administrators out of listing it.
  Privileges privileges;
  privileges.Enable();
  std::string final;
  if (const std::uint32_t error = held_.FinalPath(&final))
    Log("kept " + aside_ + ": " + DescribeError(error));
  else
    RemoveHeld(held_, final, privileges);
  held_.Close();
}
