// SetUp.exe on a command line of arbitrary bytes, against a small simulated
// machine (a package, a 2024 host): the parser either says what is wrong or
// gives switches that print and parse back to themselves, and the whole run
// then ends with exit 1 (not understood) or with an exit code of the table,
// never a crash; a silent run shows no window and no box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "app/wizard_app.h"
#include "host/host_registry.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "platform/registry.h"
#include "ui/setup_dialog.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Prepare() {
  platform::sim::ResetAll();
  g_hostRegistry = CHostRegistry();
  g_warnHostRunning = true;
  auto& fs = platform::sim::SimFiles::Get();
  fs.SetExecutablePath("C:\\pkg\\SetUp.exe");
  for (const char* name : {"Korvex2021.ZRX", "Korvex_EN.shx", "a.txt", "Korvex扩展绘图库\\l.dat"})
    fs.AddFile(std::string("C:\\pkg\\Data\\") + name, name);
  fs.AddFolder("C:\\ZW2024\\Fonts");
  fs.AddFolder("C:\\Temp");
  platform::RegKey root, key;
  root.OpenLocalMachine();
  key.Create(root, "SOFTWARE\\ZWSOFT\\ZWCAD\\2024\\zh-CN");
  key.SetValue("Location", platform::kRegSz, "C:\\ZW2024", 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CommandLine line;
  CommandLineError error;
  const bool understood = ParseCommandLine(text, &line, &error);
  if (understood) {
    Check(error.kind == CommandLineError::kNone);
    for (const std::string* value : {&line.path, &line.logFile})
      for (char c : *value) Check(c != '"' && static_cast<unsigned char>(c) >= 0x20);
    Check(line.hasPath == !line.path.empty() && line.hasLog == !line.logFile.empty());
    bool anyYear = false;
    for (bool year : line.years) anyYear = anyYear || year;
    Check(anyYear == line.hasYears);
    CommandLine again;
    Check(ParseCommandLine(FormatCommandLine(line), &again, &error));
    Check(FormatCommandLine(again) == FormatCommandLine(line));
    Check(!line.silent || AsksForSilence(text));
  } else {
    Check(error.kind != CommandLineError::kNone && error.text.size() <= 83);
  }

  Prepare();
  platform::sim::SimSystem::Get().SetCommandLine("\"C:\\pkg\\SetUp.exe\" " + text);
  Check(!theApp.RunSetup());
  const int code = theApp.ExitCode();
  Check((code >= 0 && code <= 9) || code == 3010);
  if (!understood) Check(code == 1);
  // A line understood ends with 1 only for a log file that cannot be made,
  // or for an uninstall that finds no install to remove (this machine has
  // none) or is given a switch of the install, or for /S glued to other text.
  if (understood && code == 1) Check(line.hasLog || line.uninstall || AsksForSilence(text));
  // /S in any form: never a window.
  const auto& ui = platform::sim::SimUi::Get();
  if (AsksForSilence(text)) Check(ui.Boxes().empty() && ui.Runs().empty());
  if (understood && !line.silent && !line.help && code != 1)
    Check(ui.Runs().size() == 1 && code == 2);  // nobody closes the dialog: left open
  Check(platform::sim::SimFiles::Get().OpenListings() == 0);
  Check(platform::sim::SimRegistry::Get().OpenHandles() == 0);
  return 0;
}
