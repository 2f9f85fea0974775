#!/usr/bin/env bash
# Builds SetUp.exe and opens it under Wine on a demo host registry (a ZWCAD
# 2024 and a ZWCAD 2025 installation, and a ZWCAD 2020 that the installer
# does not support). With an X display ($DISPLAY) the dialog opens there, in
# Wine's own desktop window; close it to end the demo. Without one it opens
# on a private Xvfb display and the demo saves a picture of it in
# build/demo-dialog.png and closes it. The demo prefix is kept in
# build/demo-prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-prereqs.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target SetUp

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

exe="Z:$(pwd | sed 's|/|\\|g')\\build\\win64\\app\\SetUp.exe"
if [ -n "${DISPLAY:-}" ]; then
  echo "run-demo: the setup dialog opens on $DISPLAY; close it to end the demo"
  TARNWELL_DISPLAY=$DISPLAY tools/wine-run.sh explorer /desktop=Tarnwell,1024x768 "$exe"
else
  echo "run-demo: no X display; the dialog opens on a private Xvfb display"
  tools/screenshot.sh build/demo-dialog.png
fi
