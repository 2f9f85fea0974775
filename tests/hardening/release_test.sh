#!/usr/bin/env bash
# The release tools on a package made here: the manifest (exactly the files
# installed, sha256sum's digests, GBK) and the refusals of tools/package_manifest.py;
# make-release.sh's bytes over two runs and its zip's names (Info-ZIP unzip,
# Python's zipfile with GBK); under Wine, the unzipped release installs with /S
# (exit 0, verified), and a changed byte, a removed library file or a link out of
# the package end with 9, host keys and the earlier module unchanged, no
# staged copy left.
# A gtest-style report goes to REPORT.xml.   release_test.sh REPORT.xml BUILD_DIR
set -u
[ $# -eq 2 ] || { echo "usage: $0 REPORT.xml BUILD_DIR" >&2; exit 2; }
report=$1 build=$2
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
tool=$tools/package_manifest.py
work=$(mktemp -d /tmp/tarnwell-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
export LANG=C.UTF-8

. "$(dirname "$0")/check_cases.sh"

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
check RefusesAHardLink refused "Korvex2025.ZRX: a hard link" "ln -f ../SetUp.exe Korvex2025.ZRX"
check RefusesANameOutsideGbk refused "cannot be written in code page 936" "touch 'Ä€😀.txt'"
check RefusesNamesDifferingInCase refused "differ only in case" "touch KORVEX2021.zrx"
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
want = ["SetUp.exe", "Data/", f"Data/{sys.argv[2]}/", "Data/Korvex2021.ZRX", "Data/Korvex2025.ZRX",
        "Data/说明.txt", f"Data/{sys.argv[2]}/图块.dwg", "Data/Korvex_EN.shx", "Data/korvex_hz.SHX"]
assert z.namelist() == want, z.namelist()
assert z.read("Data/说明.txt") == "说明".encode("utf-8")
for i in z.infolist():  # GBK names, no UTF-8 flag; a Unicode Path field where not ASCII
    utf8 = i.filename.encode("utf-8")
    unicode_path = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(i.filename.encode("gbk"))) + utf8
    assert i.flag_bits & 0x800 == 0 and i.extra == (b"" if i.filename.isascii() else unicode_path), i.filename
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
    hosts | diff hosts.txt - && cmp "$c/Korvex/Tarnwell/Korvex2021.ZRX" pkg/Korvex2021.ZRX &&
    ! find "$c/Korvex/Tarnwell" -name '*.new' | grep .  # no staged copy left by either thread
}
check OneByteChangedEndsWith9 refused_install byte "printf X | dd of=Korvex2021.ZRX bs=1 seek=3 conv=notrunc"
check LibraryFileRemovedEndsWith9 refused_install gone "rm $lib/图块.dwg"
check LinkOutsideEndsWith9 refused_install link "cp 说明.txt $work/outside.txt && rm 说明.txt && ln -s $work/outside.txt 说明.txt"

write_report "$report" release Release
