#!/usr/bin/env bash
# Makes docs/setup-dialog.png: builds SetUp.exe (win64 preset), opens it under
# Wine on a demo host registry (a ZWCAD 2024 and a ZWCAD 2025) inside Wine's
# own desktop on a private Xvfb display, captures the screen once the dialog
# is drawn, and crops it to the dialog.
#
#   tools/screenshot.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/setup-dialog.png}
tools/install-prereqs.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target SetUp >/dev/null

work=$(mktemp -d /tmp/tarnwell-shot.XXXXXX)
fifo=$work/display
mkfifo "$fifo"
Xvfb -displayfd 8 -nolisten tcp -screen 0 1024x768x24 8>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display_number <"$fifo" || { echo "screenshot: Xvfb did not start" >&2; exit 2; }
export TARNWELL_DISPLAY=:$display_number TARNWELL_WINE_PREFIX=$work/prefix
wine_pid=
cleanup() {
  [ -n "$wine_pid" ] && kill "$wine_pid" 2>/dev/null
  WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

tools/wine-run.sh regedit /S "Z:$(pwd | sed 's|/|\\|g')\\tools\\demo-hosts.reg"
# Wine draws the caption buttons with Marlett, which Debian ships in
# fonts-wine but Wine 8 does not find there by itself: give the prefix a copy.
cp /usr/share/wine/fonts/marlett.ttf "$work/prefix/drive_c/windows/Fonts/"

# Wine's desktop draws the window frame and caption.
exe="Z:$(pwd | sed 's|/|\\|g')\\build\\win64\\app\\SetUp.exe"
tools/wine-run.sh explorer /desktop=Tarnwell,1024x768 "$exe" &
wine_pid=$!

# Wait until the dialog's light blue covers a good part of the screen.
shot=$work/screen.png
for _ in $(seq 1 60); do
  sleep 0.5
  DISPLAY=$TARNWELL_DISPLAY import -window root "$shot" 2>/dev/null || continue
  blue=$(convert "$shot" -fill black +opaque 'rgb(160,180,220)' -fill white -opaque 'rgb(160,180,220)' \
           -format '%[fx:int(mean*w*h)]' info:)
  if [ "${blue:-0}" -gt 50000 ]; then break; fi
done
[ "${blue:-0}" -gt 50000 ] || { echo "screenshot: the dialog did not appear" >&2; exit 1; }
sleep 1
DISPLAY=$TARNWELL_DISPLAY import -window root "$shot"

# The dialog's frame: the bounding box of the light blue, widened by the frame
# and the caption bar.
box=$(convert "$shot" -fill black +opaque 'rgb(160,180,220)' -format '%@' info:)
read -r bw bh bx by <<<"${box//[x+]/ }"
left=$((bx - 6)); top=$((by - 30)); width=$((bw + 12)); height=$((bh + 36))
[ "$left" -ge 0 ] || left=0
[ "$top" -ge 0 ] || top=0
mkdir -p "$(dirname "$out")"
convert "$shot" -crop "${width}x${height}+${left}+${top}" +repage "$out"
echo "screenshot: $out (${width}x${height})"
