// The install record reader over arbitrary bytes, and the removal of what
// it read: every entry read lies where this installer writes (inside the
// install folder, below a scanned host key, in a scanned host's Fonts
// folder), the text the writer makes of it reads back the same with no line
// ignored, and the removal leaves a file beside the install folder, another
// plug-in's loader key and a file in a host's Fonts folder untouched.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "record/record_file.h"
#include "uninstall/removal.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const std::string kFolder = "C:\\K\\Tarnwell";
const std::string kHostKey = "SOFTWARE\\ZWSOFT\\ZWCAD\\2024\\";
const std::string kLocation = "C:\\H";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() > prefix.size() &&
         platform::EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool SameRecord(const InstallRecord& a, const InstallRecord& b) {
  return FormatRecord(a) == FormatRecord(b);
}

void Prepare() {
  platform::sim::ResetAll();
  auto& fs = platform::sim::SimFiles::Get();
  fs.AddFile(kFolder + "\\a.txt", "a");
  fs.AddFile("C:\\K\\beside.txt", "mine");
  fs.AddFile(kLocation + "\\Fonts\\other.shx", "font");
  platform::RegKey root, key;
  root.OpenLocalMachine();
  key.Create(root, (kHostKey + "Applications\\Other").c_str());
  static const char kLoader[] = "C:\\K\\Tarnwell\\x.zrx";
  key.SetValue("LOADER", platform::kRegSz, kLoader, sizeof kLoader);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Prepare();
  RecordScope scope;
  scope.installFolder = kFolder;
  scope.hostKeys[3].push_back(kHostKey);
  scope.hostLocations.push_back(kLocation);
  const std::string text(reinterpret_cast<const char*>(data), size);
  InstallRecord record;
  int ignored = 0;
  if (ParseRecord(text, scope, &record, &ignored) != kRecordOk) {
    Check(record.Empty());
    return 0;
  }
  Check(ignored >= 0);
  // Files lie in the install folder or in an earlier "...\Tarnwell" one.
  const auto inOne = [&](const std::string& path, const std::string& below) {
    if (StartsWith(path, kFolder + below)) return true;
    return std::any_of(record.m_earlierFolders.begin(), record.m_earlierFolders.end(),
                       [&](const std::string& f) { return StartsWith(path, f + below) &&
                                                          StartsWith(f.substr(f.size() - 9), "\\Tarnwell"); });
  };
  for (const std::string& f : record.m_files) Check(inOne(f, "\\"));
  for (const std::string& f : record.m_libraryFiles) Check(inOne(f, "\\Korvex扩展绘图库\\"));
  for (const std::string& k : record.m_loaderKeys)
    Check(StartsWith(k, kHostKey + "Applications\\Korvex") && k.size() == kHostKey.size() + 23);
  for (const RecordedFont& f : record.m_fonts) Check(StartsWith(f.path, kLocation + "\\Fonts\\"));
  for (const std::string& f : record.m_createdFolders) {
    const auto madeIn = [&](const std::string& folder) {
      return platform::EqualsIgnoreCase(f, folder) || platform::EqualsIgnoreCase(f, folder + "\\Korvex扩展绘图库") ||
             platform::EqualsIgnoreCase(f, folder.substr(0, folder.size() - 9));
    };
    Check(madeIn(kFolder) || std::any_of(record.m_earlierFolders.begin(), record.m_earlierFolders.end(), madeIn));
  }

  InstallRecord again;
  int ignoredAgain = -1;
  Check(ParseRecord(FormatRecord(record), scope, &again, &ignoredAgain) == kRecordOk);
  Check(ignoredAgain == 0 && SameRecord(record, again));

  RemoveRecorded(record, kFolder, std::string());
  Check(platform::PathExists("C:\\K\\beside.txt"));
  Check(platform::PathExists((kLocation + "\\Fonts\\other.shx").c_str()));
  Check(platform::sim::SimRegistry::Get().Find(kHostKey + "Applications\\Other") != nullptr);
  Check(platform::sim::SimRegistry::Get().Find(kHostKey + "Applications") != nullptr);
  return 0;
}
