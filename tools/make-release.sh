#!/usr/bin/env bash
# Makes a release of the package in PACKAGE_DIR (the files that go to Data/
# beside SetUp.exe): builds SetUp.exe with that package's manifest inside,
# signed when the signing variables are set (TARNWELL_SIGN_PFX, see the
# README), and writes into OUT_DIR:
#   Tarnwell-<year>.<month>.<day>.zip  SetUp.exe and the package as Data/
#   SetUp.exe                          the same image, on its own
#   SHA256SUMS                         both digests, as sha256sum -c reads them
#
#   tools/make-release.sh PACKAGE_DIR OUT_DIR [BUILD_DIR]
#
# BUILD_DIR defaults to build/release (the win64 preset without the tests).
# The build stops when the package folder holds a link or a name that code
# page 936 cannot hold (tools/package_manifest.py says which). Unsigned, two
# runs on the same package give the same bytes.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 PACKAGE_DIR OUT_DIR [BUILD_DIR]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
package=$(cd "$1" && pwd) || { echo "make-release: $1: no such folder" >&2; exit 1; }
out=$2
build=${3:-$root/build/release}
mkdir -p "$out"
out=$(cd "$out" && pwd)

version=$(python3 -c "
import re, sys
t = open(sys.argv[1], encoding='utf-8').read()
y, m, d = (int(re.search(r'#define TARNWELL_VERSION_%s (\d+)' % k, t).group(1)) for k in ('YEAR', 'MONTH', 'DAY'))
print('%04d.%02d.%02d' % (y, m, d))" "$root/record/version.h")
zip_name="Tarnwell-$version.zip"

echo "== SetUp.exe with the manifest of $package"
(cd "$root" && cmake --preset win64 -B "$build" -DTARNWELL_TESTS=OFF \
  "-DTARNWELL_PACKAGE_DIR=$package" >/dev/null)
# Linked (and signed) afresh each time, so the signature is this run's.
rm -f "$build/app/SetUp.exe"
cmake --build "$build" --target SetUp
setup=$build/app/SetUp.exe
[ -f "$setup" ] || { echo "make-release: no SetUp.exe was built" >&2; exit 1; }

echo "== $out/$zip_name"
rm -f "$out/$zip_name" "$out/SetUp.exe" "$out/SHA256SUMS"
python3 "$root/tools/package_manifest.py" zip "$package" "$setup" "$out/$zip_name"
cp "$setup" "$out/SetUp.exe"
(cd "$out" && sha256sum "$zip_name" SetUp.exe > SHA256SUMS)
cat "$out/SHA256SUMS"
if [ -n "${TARNWELL_SIGN_PFX:-}" ]; then
  echo "signed with $TARNWELL_SIGN_PFX"
else
  echo "not signed (TARNWELL_SIGN_PFX is not set)"
fi
