// CopyPackageFiles against a plain loop of CopyFileA over the same files:
// a package of 99 files of 2 MB (with "." and ".." the most a package may
// list) in "Data" beside this program, copied into
// C:\tarnwell-bench\T, both ways in turn, several runs. Prints the time of
// each and the ratio package copy / plain loop; and the same for the copy
// that a SetUp.exe with a package manifest makes (each file written to a
// temporary name with its SHA-256 taken on the way, then moved to its
// final name), with the manifest of this package. Run it under Wine with
// tools/bench.sh; against the simulated platform it only says so.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/install_target.h"
#include "package/package_copy.h"
#include "package/package_manifest.h"
#include "package/sha256.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace fs = std::filesystem;

#if !defined(TARNWELL_PLATFORM_SIM)
namespace {
constexpr int kFiles = 99;
constexpr std::size_t kFileSize = 2u << 20;

std::string Name(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "module%03d.dat", i);
  return name;
}

bool MakePackage(const std::string& data) {
  std::error_code ec;
  fs::create_directories(data, ec);
  std::string block(kFileSize, '\0');
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) >> 7);
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = data + "\\" + Name(i);
    if (fs::exists(path, ec) && fs::file_size(path, ec) == kFileSize) continue;
    std::ofstream out(path, std::ios::binary);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!out) return false;
  }
  return true;
}

void Clear(const std::string& target) {
  std::error_code ec;
  fs::remove_all(target, ec);
  fs::create_directories(target, ec);
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}
}  // namespace
#endif

int main(int argc, char** argv) {
#if defined(TARNWELL_PLATFORM_SIM)
  (void)argc;
  (void)argv;
  std::puts("copy_bench measures the real file system: run it under Wine (tools/bench.sh)");
  return 0;
#else
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const std::string exe = platform::ExecutablePath();
  const std::string data = exe.substr(0, platform::FindLastChar(exe, '\\')) + "\\Data";
  const std::string target = "C:\\tarnwell-bench\\T";
  if (!MakePackage(data)) {
    std::fprintf(stderr, "cannot write the package into %s\n", data.c_str());
    return 1;
  }
  std::printf("package: %d files of %zu bytes in %s\n", kFiles, kFileSize, data.c_str());
  platform::ProgressBar bar;  // no window
  std::string text = std::string(kManifestHeader) + "\r\n";
  {
    std::string block(kFileSize, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) >> 7);
    const std::string digest = Sha256Hex(block);
    for (int i = 0; i < kFiles; ++i)
      text += "file\t" + Name(i) + "\t" + std::to_string(kFileSize) + "\t" + digest + "\r\n";
    text += "end\t" + std::to_string(kFiles) + "\r\n";
  }
  const PackageManifest manifest = ParsePackageManifest(text);
  std::vector<double> ratios, verifiedRatios, packageTimes, plainTimes, verifiedTimes;
  double bestPackage = 1e9, bestPlain = 1e9, bestVerified = 1e9;
  // Each run times both ways, in turn first, so that neither always meets
  // what the other left to the disk cache.
  const auto timePackage = [&](double* seconds, const PackageManifest* with) {
    Clear(target);
    const auto t0 = std::chrono::steady_clock::now();
    CInstallTarget t(target, bar);
    t.m_package.manifest = with;
    const bool copied = CopyPackageFiles(t);
    *seconds = Seconds(std::chrono::steady_clock::now() - t0);
    return copied;
  };
  const auto timePlain = [&](double* seconds) {
    Clear(target);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kFiles; ++i) {
      const std::string from = data + "\\" + Name(i);
      const std::string to = target + "\\" + Name(i);
      if (!platform::CopyOneFile(from.c_str(), to.c_str(), false)) return false;
    }
    *seconds = Seconds(std::chrono::steady_clock::now() - t0);
    return true;
  };
  for (int run = 1; run <= runs; ++run) {
    double package = 0, plain = 0, verified = 0;
    const bool ok = run % 2 ? timePackage(&package, nullptr) && timePlain(&plain) &&
                                  timePackage(&verified, &manifest)
                            : timePackage(&verified, &manifest) && timePlain(&plain) &&
                                  timePackage(&package, nullptr);
    if (!ok) {
      std::fprintf(stderr, "a copy failed\n");
      return 1;
    }
    ratios.push_back(package / plain);
    verifiedRatios.push_back(verified / plain);
    packageTimes.push_back(package);
    plainTimes.push_back(plain);
    verifiedTimes.push_back(verified);
    bestPackage = std::min(bestPackage, package);
    bestPlain = std::min(bestPlain, plain);
    bestVerified = std::min(bestVerified, verified);
    std::printf("run %d: CopyPackageFiles %.3f s, with the manifest %.3f s, CopyFileA loop %.3f s, "
                "ratios %.3f and %.3f\n", run, package, verified, plain, package / plain, verified / plain);
  }
  for (std::vector<double>* v : {&ratios, &verifiedRatios, &packageTimes, &plainTimes, &verifiedTimes})
    std::sort(v->begin(), v->end());
  const auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };
  std::printf("median times: CopyPackageFiles %.3f s, with the manifest %.3f s, CopyFileA loop %.3f s\n",
              median(packageTimes), median(verifiedTimes), median(plainTimes));
  std::printf("ratio over %d runs: median %.3f, min %.3f, max %.3f\n", runs,
              median(ratios), ratios.front(), ratios.back());
  std::printf("ratio with the manifest over %d runs: median %.3f, min %.3f, max %.3f\n", runs,
              median(verifiedRatios), verifiedRatios.front(), verifiedRatios.back());
  // On a shared machine the disk's write-back swings single runs; the best
  // time of each way is the steadier figure.
  std::printf("best times: CopyPackageFiles %.3f s, CopyFileA loop %.3f s, ratio %.3f\n", bestPackage,
              bestPlain, bestPackage / bestPlain);
  std::printf("best times with the manifest: %.3f s, ratio %.3f\n", bestVerified, bestVerified / bestPlain);
  std::error_code ec;
  fs::remove_all("C:\\tarnwell-bench", ec);
  if (argc <= 2 || std::string(argv[2]) != "--keep-package") fs::remove_all(data, ec);
  return 0;
#endif
}
