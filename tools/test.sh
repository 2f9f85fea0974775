#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds the native preset
# (simulated platform, sanitizers on) and the win64 preset (MinGW-w64), runs
# every native test program and every Windows test program under Wine, and
# prints the counts of both.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-prereqs.sh || exit 1

jobs=$(nproc 2>/dev/null || echo 2)
rm -rf build/native/test-results build/win64/test-results
for preset in native win64; do
  cmake --preset "$preset" >/dev/null || exit 1
  cmake --build --preset "$preset" -j "$jobs" || exit 1
done

status=0
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
ctest --preset native -j "$jobs" || status=1
ctest --preset win64 -j "$jobs" || status=1
# Bounded fuzzing of the text helpers, the scan, the path rules and the
# package filter (fails on any sanitizer report or broken invariant).
tools/fuzz.sh "${TARNWELL_FUZZ_SECONDS:-15}" || status=1

# gtest's XML reports: add up cases per side.
count() {
  local dir=$1 attr=$2 total=0 n
  for f in "$dir"/*.xml; do
    [ -f "$f" ] || continue
    n=$(grep -o -m1 "<testsuites [^>]*" "$f" | grep -o " $attr=\"[0-9]*\"" | grep -o '[0-9]*')
    total=$((total + ${n:-0}))
  done
  echo "$total"
}
all_passed=0
all_failed=0
for side in native:build/native/test-results windows:build/win64/test-results; do
  name=${side%%:*}
  dir=${side#*:}
  tests=$(count "$dir" tests)
  failed=$(count "$dir" failures)
  passed=$((tests - failed))
  echo "$name: $passed passed, $failed failed"
  all_passed=$((all_passed + passed))
  all_failed=$((all_failed + failed))
  if [ "$tests" -eq 0 ]; then status=1; fi
done
[ "$all_failed" -eq 0 ] || status=1
echo "total: $all_passed passed, $all_failed failed"
exit $status
