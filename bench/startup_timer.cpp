// Times how long a dialog program takes from process start to its visible
// dialog, for SetUp.exe and the bare template dialog in turn, over repeated
// runs, and prints the figures and their ratio. Each run closes the dialog
// with Escape and waits for the process to end.
//
//   StartupTimer.exe RUNS SETUP.exe BARE.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {
double TimeOne(const std::string& exe) {
  e2e::SetupProcess p;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  if (!p.Start(exe, &error)) {
    std::fprintf(stderr, "%s: %s\n", exe.c_str(), error.c_str());
    return -1;
  }
  if (!p.WaitForDialog("Tarnwell安装", 20000)) return -1;
  const auto shown = std::chrono::steady_clock::now();
  p.Escape();
  if (!p.WaitForExit(10000, nullptr)) p.Kill();
  return std::chrono::duration<double, std::milli>(shown - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: StartupTimer RUNS SETUP.exe BARE.exe\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  std::vector<double> setup, bare;
  TimeOne(argv[2]);  // warms the caches; not counted
  TimeOne(argv[3]);
  for (int i = 0; i < runs; ++i) {
    const double s = TimeOne(argv[2]), b = TimeOne(argv[3]);
    if (s < 0 || b < 0) {
      std::fprintf(stderr, "run %d: a dialog did not appear\n", i + 1);
      return 1;
    }
    setup.push_back(s);
    bare.push_back(b);
  }
  const double ms = Median(setup), mb = Median(bare);
  std::printf("runs: %d\n", runs);
  std::printf("SetUp.exe   start to visible dialog: median %.1f ms (min %.1f, max %.1f)\n", ms,
              *std::min_element(setup.begin(), setup.end()),
              *std::max_element(setup.begin(), setup.end()));
  std::printf("bare dialog start to visible dialog: median %.1f ms (min %.1f, max %.1f)\n", mb,
              *std::min_element(bare.begin(), bare.end()), *std::max_element(bare.begin(), bare.end()));
  std::printf("ratio SetUp / bare (medians): %.2f\n", mb > 0 ? ms / mb : 0.0);
  return 0;
}
