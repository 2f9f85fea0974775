#!/usr/bin/env bash
# Benchmark (not a test): the time from process start to the visible dialog
# of SetUp.exe against a bare template dialog program built the same way,
# under Wine on a private Xvfb display, as medians over repeated runs and
# their ratio. The host registry holds a ZWCAD 2024 and a ZWCAD 2025.
#
#   tools/bench-dialog.sh [RUNS]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
tools/install-prereqs.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target StartupTimer >/dev/null

work=$(mktemp -d /tmp/tarnwell-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export TARNWELL_WINE_PREFIX=$work/prefix
tools/wine-run.sh regedit /S "Z:$(pwd | sed 's|/|\\|g')\\tools\\demo-hosts.reg"
win() { echo "Z:$(cd "$(dirname "$1")" && pwd | sed 's|/|\\|g')\\$(basename "$1")"; }
tools/wine-run.sh build/win64/bench/StartupTimer.exe "$runs" "$(win build/win64/app/SetUp.exe)" \
  "$(win build/win64/bench/BareDialog.exe)"
