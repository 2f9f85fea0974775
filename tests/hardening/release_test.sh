#!/usr/bin/env bash
# The release tools on the build machine (tools/package_manifest.py, which
# the build and tools/make-release.sh run), on a package made here:
#   - the manifest lists exactly the files SetUp.exe installs, with the sizes
#     and digests that sha256sum gives, in GBK;
#   - a package with a symbolic link, a hard link, a name outside code page
#     936, two names that differ only in case, or nothing to install is
#     refused with a message that names the entry;
#   - tools/make-release.sh run twice gives the same zip; Info-ZIP's unzip
#     (the Unicode Path field) and Python's zipfile reading GBK names both
#     restore the Chinese names and the contents;
#   - under Wine, the release unpacked with unzip installs with /S (exit 0,
#     the log says the package was verified); with a byte of Korvex2021.ZRX
#     changed, a library file removed, or a package file replaced by a
#     symbolic link to the same content outside the package, /S ends with 9,
#     the host keys stay as they were and the earlier install's module too.
# Writes a gtest-style report to the given XML file, one case per check.
#
#   release_test.sh REPORT.xml BUILD_DIR     (BUILD_DIR: make-release.sh's)
set -u
[ $# -eq 2 ] || { echo "usage: $0 REPORT.xml BUILD_DIR" >&2; exit 2; }
report=$1 build=$2
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
tool=$tools/package_manifest.py
work=$(mktemp -d /tmp/tarnwell-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8

cases=() failures=0
check() {  # check NAME COMMAND...: one case, passed when COMMAND succeeds
  local name=$1
  shift
  if ("$@") >"$work/check.log" 2>&1; then
    cases+=("<testcase name=\"$name\"/>")
    echo "[       OK ] $name"
  else
    failures=$((failures + 1))
    cases+=("<testcase name=\"$name\"><failure message=\"failed\"/></testcase>")
    echo "[  FAILED  ] $name"
    sed 's/^/    /' "$work/check.log"
  fi
}

cd "$work"
lib=Korvex扩展绘图库
mkdir -p pkg/$lib/sub pkg/backup.old
printf 'module 2021' >pkg/Korvex2021.ZRX
printf 'module 2025' >pkg/Korvex2025.ZRX
printf 'en' >pkg/Korvex_EN.shx
printf 'hz' >pkg/korvex_hz.SHX
printf '说明' >pkg/说明.txt
printf 'not installed' >pkg/README
printf 'not installed' >pkg/setup.exe
printf 'not installed' >pkg/旧扩展绘图库.zip
printf 'block' >pkg/$lib/图块.dwg
printf 'not installed' >pkg/$lib/sub/x.dwg
printf 'MZ' >SetUp.exe

expected_manifest() {
  local f
  echo "Tarnwell package manifest 1"
  for f in Korvex2021.ZRX Korvex2025.ZRX 说明.txt "$lib/图块.dwg" Korvex_EN.shx korvex_hz.SHX; do
    printf 'file\t%s\t%s\t%s\n' "${f//\//\\}" "$(stat -c %s "pkg/$f")" "$(sha256sum <"pkg/$f" | cut -c1-64)"
  done
  printf 'end\t6\n'
}
manifest_lists_the_installed_files() {
  python3 "$tool" manifest pkg manifest.txt || return 1
  iconv -f GBK -t UTF-8 manifest.txt | tr -d '\r' | diff - <(expected_manifest)
}
check ManifestListsTheInstalledFilesInGbk manifest_lists_the_installed_files

refused() {  # refused WHAT SETUP...: the tool stops, naming WHAT
  rm -rf bad && cp -a pkg bad && (cd bad && eval "$2")
  ! python3 "$tool" manifest bad bad.txt 2>err.txt && cat err.txt && grep -qF "$1" err.txt && [ ! -e bad.txt ]
}
check RefusesASymbolicLink refused "$lib/a.lin: a symbolic link" "ln -s /etc/hostname $lib/a.lin"
check RefusesAHardLink refused "Korvex2025.ZRX: a hard link" "ln ../SetUp.exe Korvex2025.ZRX.tmp && mv Korvex2025.ZRX.tmp Korvex2025.ZRX"
check RefusesANameOutsideGbk refused "cannot be written in code page 936" "touch 'Ä€😀.txt'"
check RefusesNamesDifferingInCase refused "differ only in case" "touch KORVEX2021.zrx"
check RefusesAPackageWithNothingToInstall refused "holds no file" "rm -rf -- * && touch README"

release() {  # release OUT: make-release.sh on the package
  "$tools/make-release.sh" pkg "$1" "$build" >"$1.log" 2>&1 || { cat "$1.log"; return 1; }
}
zip=Tarnwell-2026.05.12.zip
two_releases_are_the_same() {
  release one && touch pkg/* && release two && cmp one/$zip two/$zip && cmp one/SetUp.exe two/SetUp.exe &&
    (cd one && sha256sum -c SHA256SUMS)
}
check TwoReleasesAreTheSameBytes two_releases_are_the_same
unzip_restores_the_names() {
  mkdir unz && (cd unz && unzip -q ../one/$zip) && cmp unz/SetUp.exe one/SetUp.exe &&
    cmp unz/Data/说明.txt pkg/说明.txt && cmp "unz/Data/$lib/图块.dwg" "pkg/$lib/图块.dwg" &&
    [ ! -e unz/Data/README ] && [ ! -e unz/Data/$lib/sub ]
}
check InfoZipUnzipRestoresTheChineseNames unzip_restores_the_names
check ZipNamesAreGbkWithUnicodePathFields python3 - one/$zip "$lib" <<'PY'
import struct, sys, zipfile, zlib
z = zipfile.ZipFile(sys.argv[1], metadata_encoding="gbk")
names = z.namelist()
want = ["SetUp.exe", "Data/", f"Data/{sys.argv[2]}/", "Data/Korvex2021.ZRX", "Data/Korvex2025.ZRX",
        "Data/说明.txt", f"Data/{sys.argv[2]}/图块.dwg", "Data/Korvex_EN.shx", "Data/korvex_hz.SHX"]
assert names == want, names
assert z.read("Data/说明.txt") == "说明".encode("utf-8")
for info in z.infolist():
    assert info.flag_bits & 0x800 == 0, info.filename
    raw = info.filename.encode("gbk")
    if info.filename.isascii():
        assert info.extra == b"", info.filename
        continue
    tag, size = struct.unpack_from("<HH", info.extra)
    assert tag == 0x7075 and info.extra[4] == 1, info.filename
    assert struct.unpack_from("<I", info.extra, 5)[0] == zlib.crc32(raw)
    assert info.extra[9:4 + size].decode("utf-8") == info.filename
PY

# Under Wine: the unpacked release, two hosts, and installs with /S.
export TARNWELL_WINE_PREFIX=$work/prefix
wine() { "$tools/wine-run.sh" "$@" 2>/dev/null; }
wine cmd /c exit 0
c=$TARNWELL_WINE_PREFIX/drive_c
mkdir -p "$c/Program Files/ZWSOFT/ZWCAD 2024/Fonts" "$c/Program Files/ZWSOFT/ZWCAD 2025/Fonts"
wine regedit /S "Z:${tools//\//\\}\\demo-hosts.reg"
hosts() { wine reg query 'HKLM\SOFTWARE\ZWSOFT' /s | tr -d '\r'; }
install() {  # install NAME: SetUp.exe /S of C:\NAME (a copy of unz), its exit code
  wine "C:\\$1\\SetUp.exe" /S "/LOG=C:\\$1.log"
}
verified_install() {
  cp -a unz "$c/good" && install good && grep -a "package verified" "$c/good.log" &&
    cmp "$c/Korvex/Tarnwell/Korvex2021.ZRX" pkg/Korvex2021.ZRX
}
check VerifiedInstallEndsWith0 verified_install
hosts >hosts.txt
refused_install() {  # refused_install NAME CHANGE: exit 9, hosts and the earlier module unchanged
  cp -a unz "$c/$1" && (cd "$c/$1/Data" && eval "$2") && { install "$1"; [ $? -eq 9 ]; } &&
    hosts | diff hosts.txt - && cmp "$c/Korvex/Tarnwell/Korvex2021.ZRX" pkg/Korvex2021.ZRX
}
check OneByteChangedEndsWith9 refused_install byte "printf X | dd of=Korvex2021.ZRX bs=1 seek=3 conv=notrunc"
check LibraryFileRemovedEndsWith9 refused_install gone "rm $lib/图块.dwg"
check LinkOutsideEndsWith9 refused_install link "cp 说明.txt $work/outside.txt && rm 说明.txt && ln -s $work/outside.txt 说明.txt"

mkdir -p "$(dirname "$report")"
{
  echo "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
  echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failures\" name=\"release\">"
  echo "<testsuite name=\"Release\" tests=\"${#cases[@]}\" failures=\"$failures\">"
  printf '%s\n' "${cases[@]}"
  echo "</testsuite>"
  echo "</testsuites>"
} >"$report"
echo "release: $((${#cases[@]} - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
