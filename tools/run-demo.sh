#!/usr/bin/env bash
# Builds SetUp.exe and opens it under Wine in a demo prefix (kept in
# build/demo-prefix) with a ZWCAD 2024 and a ZWCAD 2025 host (registry keys
# and host folders with their Fonts folders) and a demo package in
# C:\Tarnwell-demo (SetUp.exe beside a Data folder with the two modules, the
# two fonts, the library folder with two files and a sub-folder, and a README
# without a dot).
#
# With an X display ($DISPLAY) the dialog opens there in Wine's own desktop
# window: install (or close it) to end the demo. Without one (CI, a headless
# machine) a picture of the dialog is saved in build/demo-dialog.png and a
# stand-in user (DemoInstall.exe) presses Install and answers the boxes. Either way the demo then prints what changed:
# new registry keys and values below the host keys, and new files below
# C:\Korvex and the hosts' Fonts folders.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-prereqs.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target SetUp DemoInstall

prefix=$PWD/build/demo-prefix
export TARNWELL_WINE_PREFIX=$prefix
rm -rf "$prefix"
tools/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 || true  # makes the prefix
c=$prefix/drive_c

hosts=("$c/Program Files/ZWSOFT/ZWCAD 2024" "$c/Program Files/ZWSOFT/ZWCAD 2025")
for h in "${hosts[@]}"; do mkdir -p "$h/Fonts"; done
pkg=$c/Tarnwell-demo
mkdir -p "$pkg/Data/Korvex扩展绘图库/sub"
cp build/win64/app/SetUp.exe "$pkg/SetUp.exe"
for f in Korvex2021.ZRX Korvex2025.ZRX Korvex_EN.shx Korvex_HZ.shx README; do
  echo "demo $f" >"$pkg/Data/$f"
done
echo "demo drawing" >"$pkg/Data/Korvex扩展绘图库/符号库.dwg"
echo "demo table" >"$pkg/Data/Korvex扩展绘图库/型材表.txt"
echo "not copied" >"$pkg/Data/Korvex扩展绘图库/sub/inner.txt"

tools/wine-run.sh regedit /S "Z:$(pwd | sed 's|/|\\|g')\\tools\\demo-hosts.reg"

# What the install may change, before and after.
snapshot() {
  tools/wine-run.sh reg query 'HKLM\SOFTWARE\ZWSOFT' /s 2>/dev/null | tr -d '\r' | grep -v '^$' || true
  (cd "$c" && find Korvex "Program Files/ZWSOFT" -type f 2>/dev/null | sort) || true
}
before=$(mktemp) after=$(mktemp)
snapshot >"$before"

exe='C:\Tarnwell-demo\SetUp.exe'
if [ -n "${DISPLAY:-}" ]; then
  echo "run-demo: the setup dialog opens on $DISPLAY; install, or close it, to end the demo"
  TARNWELL_DISPLAY=$DISPLAY tools/wine-run.sh explorer /desktop=Tarnwell,1024x768 "$exe"
else
  echo "run-demo: no X display: a picture of the dialog goes to build/demo-dialog.png, and a"
  echo "run-demo: stand-in user installs with what the dialog offers (Install, then OK)"
  tools/screenshot.sh build/demo-dialog.png
  # The stand-in prints the boxes' GBK texts; the terminal speaks UTF-8.
  tools/wine-run.sh build/win64/tests/DemoInstall.exe "$exe" | iconv -c -f GBK -t UTF-8
fi

snapshot >"$after"
echo "run-demo: what the install changed (registry below HKLM\\SOFTWARE\\ZWSOFT, files below C:\\):"
changes=$(diff "$before" "$after" | grep '^[<>]' || true)
if [ -n "$changes" ]; then echo "$changes"; else echo "  nothing"; fi
rm -f "$before" "$after"
