// The package copy over packages made from arbitrary bytes: names with and
// without dots, the excluded names in any case, double-byte names, folders
// with extra attribute bits, more entries than the limit. Every prompt is
// answered with Ignore. What reaches the target obeys the skip rules, the
// progress bar is stepped once per entry examined (and once more when the
// listing ends first), and every listing is closed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "install/install_target.h"
#include "package/package_copy.h"
#include "platform/codepage.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_ui.h"
#include "ui/setup_template.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const char* const kNames[] = {"SetUp.EXE", "setup.exe", "SETUP.exe", "SetUp.exe.bak", "Korvex_EN.shx",
                              "KORVEX_hz.SHX", "Korvex2021.ZRX", "README", "a.txt", "Korvex扩展绘图库",
                              "x扩展绘图库.dwg", "\x81\x5c.txt", "b.old", "中望.dll", ".hidden"};

bool Excluded(const std::string& name) {
  return platform::ContainsText(name, "扩展绘图库") || !platform::ContainsText(name, ".") ||
         platform::EqualsIgnoreCase(name, "SetUp.EXE") ||
         platform::EqualsIgnoreCase(name, "Korvex_EN.shx") ||
         platform::EqualsIgnoreCase(name, "Korvex_HZ.shx");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::sim::ResetAll();
  auto& fs = platform::sim::SimFiles::Get();
  fs.SetExecutablePath("C:\\pkg\\SetUp.exe");
  fs.AddFolder("C:\\pkg\\Data");
  fs.AddFolder("C:\\t");
  std::set<std::string> sourceFiles;
  for (std::size_t i = 0; i + 1 < size && sourceFiles.size() < 160; i += 2) {
    std::string name = kNames[data[i] % (sizeof kNames / sizeof kNames[0])];
    name += std::to_string(i / 2 % 7 == 0 ? 0 : i);  // mostly distinct names
    if (data[i] & 0x80) name = name.substr(0, name.size() - 1);
    const std::string path = "C:\\pkg\\Data\\" + name;
    if (fs.Find(path)) continue;
    if (data[i + 1] & 0x01) {
      fs.AddFolder(path, 0x10 | ((data[i + 1] >> 1) & 0x27));
    } else {
      fs.AddFile(path, name, (data[i + 1] >> 1) & 0x27);
      sourceFiles.insert(name);
    }
  }
  const std::size_t entries = fs.List("C:\\pkg\\Data").size() + 2;

  platform::sim::SimUi::Get().SetAnswerer([](const platform::sim::MessageBoxRecord&) {
    return platform::kIdIgnore;
  });
  platform::sim::SimWindow* bar = platform::sim::SimUi::Get().NewWindow(kIdProgress, "msctls_progress32");
  platform::ProgressBar progress;
  progress.Attach(bar);
  progress.SetRange(0, 1000);
  progress.SetStep(1);
  progress.SetPos(0);
  bar->progress.positions.clear();
  CInstallTarget target("C:\\t\\", progress);
  Check(CopyPackageFiles(target));

  const std::size_t examined = entries < 101 ? entries : 101;
  Check(bar->progress.positions.size() == examined + (entries < 101 ? 1 : 0));
  for (const std::string& name : fs.List("C:\\t")) {
    Check(sourceFiles.count(name) == 1);
    Check(!Excluded(name));
  }
  Check(fs.OpenListings() == 0);
  return 0;
}
