#!/usr/bin/env bash
# Benchmark of the package copy under Wine: CopyPackageFiles on 100 files
# of 2 MB against a plain CopyFileA loop over the same files, as a ratio
# over repeated runs.
#
#   tools/bench-copy.sh [RUNS] [BUILD_DIR]
#
# BUILD_DIR is a configured win64 build (default build/win64, made with the
# win64 preset when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
build=${2:-build/win64}
if [ ! -f "$build/build.ninja" ]; then
  cmake --preset win64 >/dev/null
  build=build/win64
fi
cmake --build "$build" --target copy_bench
exec tools/wine-run.sh "$build/bench/copy_bench.exe" "$runs"
