#!/usr/bin/env bash
# Benchmarks (not tests), all in one run under Wine in one prefix, each as a
# ratio of two things measured side by side:
#   - start to visible dialog: SetUp.exe against the bare template dialog
#     (bench/startup_timer.cpp, bench/bare_dialog.cpp; host registry with a
#     ZWCAD 2024 and a ZWCAD 2025), medians over RUNS runs;
#   - package copy: CopyPackageFiles, without and with the package manifest
#     (the verified copy), against a plain CopyFileA loop over the same 99
#     files of 2 MB (bench/copy_bench.cpp), median times and ratios;
#   - host scan keys per second at 50 and at 150 versions per product
#     (bench/scan_bench.cpp; Wine's registry server slows down superlinearly
#     past about 220000 keys, so not the program's default 100 and 200);
#   - SetUp.exe's size against the bare dialog program's.
# Ends with a Markdown table of the figures and the command that made them.
#
#   tools/bench.sh [RUNS] [BUILD_DIR]
#
# RUNS defaults to 15 (start-up) and is capped at 7 for the copy; BUILD_DIR
# is a configured win64 build (default build/win64, made with the win64
# preset when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
build=${2:-build/win64}
copy_runs=$((runs < 7 ? runs : 7))
tools/install-prereqs.sh
if [ ! -f "$build/build.ninja" ]; then
  cmake --preset win64 >/dev/null
  build=build/win64
fi
cmake --build "$build" --target SetUp BareDialog StartupTimer copy_bench scan_bench >/dev/null

work=$(mktemp -d /tmp/tarnwell-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export TARNWELL_WINE_PREFIX=$work/prefix
win() { echo "Z:$(cd "$(dirname "$1")" && pwd | sed 's|/|\\|g')\\$(basename "$1")"; }

echo "== host scan (scan_bench 50 150)"
tools/wine-run.sh "$build/bench/scan_bench.exe" 50 150 | tee "$work/scan.txt"

echo "== start to visible dialog ($runs runs)"
tools/wine-run.sh regedit /S "$(win tools/demo-hosts.reg)"
tools/wine-run.sh "$build/bench/StartupTimer.exe" "$runs" "$(win "$build/app/SetUp.exe")" \
  "$(win "$build/bench/BareDialog.exe")" | tee "$work/start.txt"

echo "== package copy ($copy_runs runs)"
tools/wine-run.sh "$build/bench/copy_bench.exe" "$copy_runs" | tee "$work/copy.txt"

setup_size=$(stat -c %s "$build/app/SetUp.exe")
bare_size=$(stat -c %s "$build/bench/BareDialog.exe")

# The figures, picked out of the programs' own lines.
field() { sed -n "$2" "$1" | head -1; }
start_setup=$(field "$work/start.txt" 's/^SetUp.exe *start to visible dialog: median \([0-9.]*\) ms.*/\1/p')
start_bare=$(field "$work/start.txt" 's/^bare dialog start to visible dialog: median \([0-9.]*\) ms.*/\1/p')
start_ratio=$(field "$work/start.txt" 's/^ratio SetUp \/ bare (medians): \([0-9.]*\)/\1/p')
copy_ratio=$(field "$work/copy.txt" 's/^ratio over [0-9]* runs: median \([0-9.]*\), min \([0-9.]*\), max \([0-9.]*\)/\1 (\2 to \3)/p')
verified_ratio=$(field "$work/copy.txt" 's/^ratio with the manifest over [0-9]* runs: median \([0-9.]*\), min \([0-9.]*\), max \([0-9.]*\)/\1 (\2 to \3)/p')
copy_times='s/^median times: CopyPackageFiles \([0-9.]*\) s, with the manifest \([0-9.]*\) s, CopyFileA loop \([0-9.]*\) s/'
copy_package=$(field "$work/copy.txt" "${copy_times}\\1/p")
copy_verified=$(field "$work/copy.txt" "${copy_times}\\2/p")
copy_plain=$(field "$work/copy.txt" "${copy_times}\\3/p")
scan_line() { sed -n "s/^versions\/product *$1: *\([0-9]*\) keys.*, \([0-9]*\) keys\/s/\1 \2/p" "$work/scan.txt" | head -1; }
read -r keys50 rate50 <<<"$(scan_line 50)"
read -r keys150 rate150 <<<"$(scan_line 150)"
for v in start_setup start_bare start_ratio copy_ratio verified_ratio copy_package copy_verified \
  copy_plain keys50 rate50 keys150 rate150; do
  if [ -z "${!v:-}" ]; then
    echo "bench: no figure for $v in the programs' output" >&2
    exit 1
  fi
done
scan_ratio=$(awk -v a="$rate150" -v b="$rate50" 'BEGIN { printf "%.2f", a / b }')
size_ratio=$(awk -v a="$setup_size" -v b="$bare_size" 'BEGIN { printf "%.2f", a / b }')

cat <<EOF

== figures (tools/bench.sh $runs; Wine $(wine --version 2>/dev/null | sed 's/^wine-//'), $(nproc) cores, $(date -u +%Y-%m-%d))

| measure | SetUp.exe | reference | ratio |
| --- | --- | --- | --- |
| start to visible dialog, median of $runs | $start_setup ms | bare template dialog $start_bare ms | $start_ratio |
| package copy, 99 files of 2 MB, median of $copy_runs | CopyPackageFiles $copy_package s | CopyFileA loop $copy_plain s | $copy_ratio |
| verified copy (with the package manifest), the same files | CopyPackageFiles $copy_verified s | CopyFileA loop $copy_plain s | $verified_ratio |
| host scan at 150 versions per product ($keys150 keys) | $rate150 keys/s | 50 versions per product ($keys50 keys): $rate50 keys/s | $scan_ratio |
| size of the executable | $setup_size bytes | bare template dialog $bare_size bytes | $size_ratio |
EOF
