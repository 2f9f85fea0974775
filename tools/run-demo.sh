#!/usr/bin/env bash
# Builds the Windows programs and runs the host scan under Wine on a demo
# host registry (a ZWCAD 2024 and a ZWCAD 2025 installation), printing what it
# finds. The demo prefix is kept in build/demo-prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-prereqs.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target ScanReport

prefix=$PWD/build/demo-prefix
export TARNWELL_WINE_PREFIX=$prefix
rm -rf "$prefix"
reg=$(mktemp /tmp/tarnwell-demo.XXXXXX.reg)
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\ZWSOFT\ZWCAD\2024\zh-CN]
"Location"="C:\\Program Files\\ZWSOFT\\ZWCAD 2024\\"

[HKEY_LOCAL_MACHINE\SOFTWARE\ZWSOFT\ZWCAD\2025\zh-CN]
"Location"="C:\\Program Files\\ZWSOFT\\ZWCAD 2025"

[HKEY_LOCAL_MACHINE\SOFTWARE\ZWSOFT\ZWCAD\2020]
"Location"="C:\\Program Files\\ZWSOFT\\ZWCAD 2020"
REG
tools/wine-run.sh regedit /S "Z:${reg//\//\\}"
rm -f "$reg"
tools/wine-run.sh build/win64/app/ScanReport.exe
