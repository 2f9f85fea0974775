#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, where it
# is missing: the native and the MinGW-w64 compilers, CMake and Ninja,
# GoogleTest's sources, Wine, a virtual X display, the UTF-8 locales of the
# code-page runs (zh_CN, zh_TW, ja_JP, en_US, hi_IN), a Chinese font, Wine's
# own fonts (the caption buttons' glyphs), and osslsigncode and openssl for
# signing SetUp.exe, and Info-ZIP's unzip. Runs as root, or through sudo.
set -euo pipefail

sudo_cmd=
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=sudo; fi

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
have clang++ || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have wine || need+=(wine wine64)
have Xvfb || need+=(xvfb)
have import || need+=(imagemagick)
have locale-gen || need+=(locales)
[ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || need+=(fonts-wqy-microhei)
# Marlett: without it Wine draws the caption buttons as the letters "0 1 r".
dpkg-query -W -f='${Status}' fonts-wine 2>/dev/null | grep -q 'ok installed' || need+=(fonts-wine)
have flock || need+=(util-linux)
have python3 || need+=(python3)
have osslsigncode || need+=(osslsigncode)
have openssl || need+=(openssl)
# Info-ZIP's unzip: the release test unpacks the release zip with it.
have unzip || need+=(unzip)

if [ ${#need[@]} -gt 0 ]; then
  echo "install-prereqs: installing ${need[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# zh_CN.UTF-8 (code page 936) for every Wine run; the others for the runs
# on the code pages of Hong Kong and Taiwan (950), Japan (932), the West
# (1252) and UTF-8 (65001, through hi_IN), see tools/wine-run.sh.
missing=()
for loc in zh_CN zh_TW ja_JP en_US hi_IN; do
  locale -a 2>/dev/null | grep -qix "$loc.utf8" || missing+=("$loc")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-prereqs: generating the locales ${missing[*]} (UTF-8)"
  for loc in "${missing[@]}"; do
    if ! grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$loc.UTF-8 UTF-8" | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    fi
  done
  $sudo_cmd locale-gen >/dev/null
fi
