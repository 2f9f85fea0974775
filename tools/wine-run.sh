#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh 64-bit prefix with the
# Chinese locale (ANSI code page 936, or the locale asked for) and a virtual
# display of its own, then removes the prefix. CMake uses it as the cross-compiling emulator, so ctest
# runs the Windows test programs through it.
#
#   tools/wine-run.sh PROGRAM.exe [ARGS...]
#
# Environment:
#   TARNWELL_WINE_PREFIX   use (and keep) this prefix instead of a fresh one;
#                          it is made from the template when missing
#   TARNWELL_WINE_TEMPLATE where the ready-made template prefix lives
#   TARNWELL_DISPLAY       use this X display instead of starting Xvfb
#   TARNWELL_WINE_LOCALE   the Unix locale of the run, which gives Wine its
#                          system code page: zh_CN.UTF-8 (936, the default),
#                          zh_TW.UTF-8 (950), ja_JP.UTF-8 (932), en_US.UTF-8
#                          (1252), hi_IN.UTF-8 (65001: Hindi has no ANSI code
#                          page, so Wine takes UTF-8, as Windows does with
#                          "Beta: Use Unicode UTF-8"). The whole Wine session
#                          runs on it: a process started from inside with
#                          another LANG keeps the session's code page.
set -u
if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

cache=${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell
template=${TARNWELL_WINE_TEMPLATE:-$cache/wine-template}
mkdir -p "$cache"

locale=${TARNWELL_WINE_LOCALE:-zh_CN.UTF-8}
if ! locale -a 2>/dev/null | grep -qix "${locale%.*}.utf8"; then
  echo "wine-run: the locale $locale is not generated; run tools/install-prereqs.sh" >&2
  exit 2
fi
export LANG=$locale LC_ALL=$locale
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the programs here need neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The template is made once, under a lock, and copied for every run.
(
  flock 9
  if [ ! -f "$template/.ready" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
    touch "$template/.ready"
  fi
) 9>"$cache/template.lock"

keep=0
if [ -n "${TARNWELL_WINE_PREFIX:-}" ]; then
  prefix=$TARNWELL_WINE_PREFIX
  keep=1
  if [ ! -d "$prefix/drive_c" ]; then
    mkdir -p "$prefix"
    cp -a "$template/." "$prefix/"
  fi
else
  prefix=$(mktemp -d /tmp/tarnwell-wine.XXXXXX)
  cp -a "$template/." "$prefix/"
fi
export WINEPREFIX=$prefix
# A second drive, D:, for the tests that install onto a drive root.
mkdir -p "$prefix/drive_d"
[ -e "$prefix/dosdevices/d:" ] || ln -s ../drive_d "$prefix/dosdevices/d:"

xvfb_pid=
if [ -n "${TARNWELL_DISPLAY:-}" ]; then
  export DISPLAY=$TARNWELL_DISPLAY
else
  fifo=$(mktemp -u /tmp/tarnwell-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 8 -nolisten tcp -screen 0 1024x768x24 8>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo"
  rm -f "$fifo"
  if [ -z "${display_number:-}" ]; then
    echo "wine-run: Xvfb did not start" >&2
    exit 2
  fi
  export DISPLAY=:$display_number
fi

cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [ "$keep" = 1 ] || rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Wine's own hint about a missing 32-bit loader is noise here.
wine "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' \
                       -e 'apt-get update && apt-get install wine32' -e '^wine: configuration' >&2)
rc=$?
exit $rc
