#!/usr/bin/env python3
"""The package manifest and the release zip, made from an unpacked package
folder (the folder that becomes Data/ beside SetUp.exe).

  package_manifest.py manifest PACKAGE_DIR OUT.txt
      writes the manifest that the build puts into SetUp.exe (resource
      PACKAGE_MANIFEST, type RCDATA); OUT.txt is rewritten only when its
      content changes, so an unchanged package relinks nothing.
  package_manifest.py zip PACKAGE_DIR SETUP_EXE OUT.zip
      writes the release zip: SetUp.exe and the manifest's files below Data/.

The manifest lists exactly the files SetUp.exe installs from the package:
the top-level files that pass the installer's name tests (a "." in the name;
not the setup executable, not the two fonts, nothing with "扩展绘图库" in its
name), the top-level files of the library folder "Korvex扩展绘图库", and the
two fonts. It is GBK text with CRLF line ends, readable in a resource
viewer:

  Tarnwell package manifest 1
  file<TAB>path<TAB>size<TAB>sha256
  ...
  end<TAB>count

path is relative to the package folder, "\\" between the library folder and
its files, in GBK; size in bytes, decimal; sha256 in lower-case hex; count is
the number of file lines, so that a manifest cut short is seen as such.

The package folder is refused (exit 1, with a message that names the entry)
when an entry the installer looks at is a symbolic link or a further name of
a file (a hard link), when a name cannot be written in GBK (code page 936)
or could not be a Windows file name, when two names differ only in case, or
when nothing would be installed.

The zip is reproducible: entries in a fixed order (SetUp.exe, then Data/ as
the manifest lists it), every time 2026-05-12 00:00 (the version's date),
MS-DOS attributes, deflate at level 9. Each name is stored in GBK, as Chinese
Windows' own unzip expects of a name without the UTF-8 flag, and a name that
is not plain ASCII also carries the Info-ZIP Unicode Path extra field (0x7075)
with its UTF-8 form, which 7-Zip, WinRAR, Bandizip and Info-ZIP's unzip use.
"""
import hashlib
import os
import re
import stat
import struct
import sys
import zlib

HEADER = "Tarnwell package manifest 1"
LIBRARY_FOLDER = "Korvex扩展绘图库"
LIBRARY_MARK = "扩展绘图库"
SETUP_EXECUTABLE = "SetUp.EXE"
FONTS = ("Korvex_EN.shx", "Korvex_HZ.shx")
VERSION_H = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "record", "version.h")


class PackageError(Exception):
    pass


def gbk(name, where):
    try:
        data = name.encode("gbk")
    except UnicodeEncodeError:
        raise PackageError(f"{where}: the name cannot be written in code page 936 (GBK)")
    # What Windows cannot take as a file name, or would take as another one.
    if (name in (".", "..") or name.endswith((".", " ")) or
            any(c in '\\/:*?"<>|' or ord(c) < 0x20 or ord(c) == 0x7F for c in name)):
        raise PackageError(f"{where}: not a name Windows can give a file")
    return data


def entries(folder, where):
    """The entries of one folder as (name, path, stat), sorted by their GBK
    names; links refused."""
    out = []
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        st = os.lstat(path)
        here = f"{where}/{name}" if where else name
        if stat.S_ISLNK(st.st_mode):
            raise PackageError(f"{here}: a symbolic link; the package must hold the file itself")
        if stat.S_ISREG(st.st_mode) and st.st_nlink > 1:
            raise PackageError(f"{here}: a hard link ({st.st_nlink} names of one file); copy the file")
        if not (stat.S_ISREG(st.st_mode) or stat.S_ISDIR(st.st_mode)):
            raise PackageError(f"{here}: neither a file nor a folder")
        out.append((name, path, st, gbk(name, here)))
    out.sort(key=lambda e: e[3])
    seen = {}
    for name, _, _, _ in out:
        other = seen.setdefault(name.lower(), name)
        if other != name:
            raise PackageError(f"{where or '.'}: {other} and {name} differ only in case")
    return out


def package_files(folder):
    """[(path relative to the package folder, with "\\", as str; file path)]
    in the order of the manifest."""
    if not os.path.isdir(folder):
        raise PackageError(f"{folder}: no such folder")
    top, library, fonts = [], [], []
    for name, path, st, _ in entries(folder, ""):
        lower = name.lower()
        if stat.S_ISDIR(st.st_mode):
            if lower == LIBRARY_FOLDER.lower():
                for lname, lpath, lst, _ in entries(path, name):
                    if stat.S_ISREG(lst.st_mode):
                        library.append((name + "\\" + lname, lpath))
            continue
        if lower in (f.lower() for f in FONTS):
            fonts.append((name, path))
        elif LIBRARY_MARK in name or "." not in name or lower == SETUP_EXECUTABLE.lower():
            continue
        else:
            top.append((name, path))
    files = top + library + fonts
    if not files:
        raise PackageError(f"{folder}: holds no file that SetUp.exe installs")
    return files


def sha256_file(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def manifest_text(folder):
    lines = [HEADER]
    for rel, path in package_files(folder):
        lines.append(f"file\t{rel}\t{os.path.getsize(path)}\t{sha256_file(path)}")
    lines.append(f"end\t{len(lines) - 1}")
    return ("\r\n".join(lines) + "\r\n").encode("gbk")


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def release_date():
    with open(VERSION_H, encoding="utf-8") as f:
        text = f.read()
    part = {k: int(re.search(rf"#define TARNWELL_VERSION_{k} (\d+)", text).group(1))
            for k in ("YEAR", "MONTH", "DAY")}
    return part["YEAR"], part["MONTH"], part["DAY"]


def zip_bytes(entries_, date):
    """entries_: [(name as str with "/", data or None for a folder)]."""
    year, month, day = date
    dos_time, dos_date = 0, ((year - 1980) << 9) | (month << 5) | day
    local, central = bytearray(), bytearray()
    for name, data in entries_:
        raw = name.encode("gbk")
        extra = b""
        if not name.isascii():
            unicode_path = b"\x01" + struct.pack("<I", zlib.crc32(raw)) + name.encode("utf-8")
            extra = struct.pack("<HH", 0x7075, len(unicode_path)) + unicode_path
        if data is None:
            method, body, crc, size, attributes = 0, b"", 0, 0, 0x10
        else:
            crc, size, attributes = zlib.crc32(data), len(data), 0x20
            packer = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
            body = packer.compress(data) + packer.flush()
            method = 8
            if len(body) >= size:
                method, body = 0, data
        common = struct.pack("<HHHHHIIIHH", 20, 0, method, dos_time, dos_date, crc, len(body), size,
                             len(raw), len(extra))
        offset = len(local)
        local += b"PK\x03\x04" + common + raw + extra + body
        central += (b"PK\x01\x02" + struct.pack("<H", 20) + common +
                    struct.pack("<HHHII", 0, 0, 0, attributes, offset) + raw + extra)
    end = b"PK\x05\x06" + struct.pack("<HHHHIIH", 0, 0, len(entries_), len(entries_), len(central),
                                      len(local), 0)
    return bytes(local + central + end)


def release_zip(folder, setup_exe):
    with open(setup_exe, "rb") as f:
        items = [("SetUp.exe", f.read()), ("Data/", None)]
    files = package_files(folder)
    if any("\\" in rel for rel, _ in files):
        library = next(rel for rel, _ in files if "\\" in rel).split("\\")[0]
        items.append((f"Data/{library}/", None))
    for rel, path in files:
        with open(path, "rb") as f:
            items.append(("Data/" + rel.replace("\\", "/"), f.read()))
    return zip_bytes(items, release_date())


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "manifest":
            write_if_changed(argv[3], manifest_text(argv[2]))
        elif len(argv) == 5 and argv[1] == "zip":
            write_if_changed(argv[4], release_zip(argv[2], argv[3]))
        else:
            print(__doc__.split("\n\n")[1], file=sys.stderr)
            return 2
    except PackageError as e:
        print(f"package folder {argv[2]}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
