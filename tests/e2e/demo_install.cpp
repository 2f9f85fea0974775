// Plays the user of the demo on a machine without a display: starts
// SetUp.exe, keeps what the dialog offers, presses Install, answers every
// box with its first button and waits for the installer to end.
//
//   DemoInstall.exe C:\path\to\SetUp.exe
#include <cstdio>
#include <string>

#include "e2e/driver.h"
#include "ui/setup_template.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: DemoInstall SETUP-EXE\n");
    return 2;
  }
  e2e::SetupProcess setup;
  std::string error;
  if (!setup.Start(argv[1], &error)) {
    std::fprintf(stderr, "DemoInstall: %s\n", error.c_str());
    return 1;
  }
  if (!setup.WaitForDialog("Tarnwell安装", 20000)) {
    std::fprintf(stderr, "DemoInstall: the setup dialog did not appear\n");
    return 1;
  }
  if (!setup.Click(kIdInstall)) {
    std::fprintf(stderr, "DemoInstall: Install is not available\n");
    return 1;
  }
  std::uint32_t code = 0;
  for (int boxes = 0; boxes < 20; ++boxes) {
    if (setup.WaitForExit(500, &code)) return 0;
    e2e::BoxInfo box;
    if (!setup.WaitForBox(10000, &box)) break;
    std::printf("DemoInstall: box \"%s\": %s\n", box.caption.c_str(), box.text.c_str());
    setup.AnswerBox(box, 1);  // OK
  }
  if (setup.WaitForExit(15000, &code)) return 0;
  std::fprintf(stderr, "DemoInstall: SetUp.exe did not end\n");
  return 1;
}
