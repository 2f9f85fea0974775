#!/usr/bin/env python3
"""Points the load-configuration data directory of a 64-bit PE image at its
_load_config_used structure.

GNU ld up to 2.40 fills in the TLS directory from _tls_used but leaves the
load-configuration directory empty, so the DependentLoadFlags of
platform/win32/dll_search_win32.cpp would never reach the loader. The build
runs this after linking SetUp.exe with MinGW:

    pe-load-config.py IMAGE.exe NM

NM is the toolchain's nm, which gives the structure's address. The script
checks the image (PE32+, x64, the directory empty or already this one) and
the structure (its Size field, inside a section) before it writes the
directory's address and size; anything else is an error and the image stays
as it was.

    pe-load-config.py --check IMAGE.exe

reads an image back (stripped or signed: no symbols needed) and fails unless
its load-configuration directory holds the structure with DependentLoadFlags
LOAD_LIBRARY_SEARCH_SYSTEM32.
"""
import struct
import subprocess
import sys

SYMBOL = "_load_config_used"
LOAD_CONFIG_INDEX = 10
SIZE_0X70 = 0x70  # the 64-bit structure up to SEHandlerCount
DEPENDENT_LOAD_FLAGS_AT = 0x4E
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800


def fail(message):
    sys.exit(f"pe-load-config: {message}")


def check(image):
    with open(image, "rb") as f:
        data = f.read()
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        fail(f"{image}: not a PE image")
    _, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    if struct.unpack_from("<H", data, opt)[0] != 0x20B:
        fail(f"{image}: not a PE32+ image")
    rva, size = struct.unpack_from("<II", data, opt + 112 + 8 * LOAD_CONFIG_INDEX)
    if (rva, size) == (0, 0):
        fail(f"{image}: no load-configuration directory")
    table = opt + opt_size
    for i in range(sections):
        _, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if vaddr <= rva and rva + size <= vaddr + min(vsize, raw_size):
            offset = raw_ptr + rva - vaddr
            break
    else:
        fail(f"{image}: load configuration {rva:#x}+{size:#x} is not inside a section")
    (own_size,) = struct.unpack_from("<I", data, offset)
    (flags,) = struct.unpack_from("<H", data, offset + DEPENDENT_LOAD_FLAGS_AT)
    if size != SIZE_0X70 or own_size != size:
        fail(f"{image}: load configuration of size {size:#x} (structure says {own_size:#x})")
    if flags != LOAD_LIBRARY_SEARCH_SYSTEM32:
        fail(f"{image}: DependentLoadFlags {flags:#x}")
    print(f"{image}: load configuration at {rva:#x}, DependentLoadFlags {flags:#x}")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        return check(sys.argv[2])
    if len(sys.argv) != 3:
        fail("usage: pe-load-config.py IMAGE NM | pe-load-config.py --check IMAGE")
    image, nm = sys.argv[1], sys.argv[2]
    out = subprocess.run([nm, image], check=True, capture_output=True, text=True).stdout
    addresses = [int(line.split()[0], 16) for line in out.splitlines()
                 if line.split()[-1:] == [SYMBOL] and len(line.split()) == 3]
    if len(addresses) != 1:
        fail(f"{image}: {len(addresses)} definitions of {SYMBOL}")
    va = addresses[0]

    with open(image, "rb") as f:
        data = bytearray(f.read())
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        fail(f"{image}: not a PE image")
    machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    (magic,) = struct.unpack_from("<H", data, opt)
    if machine != 0x8664 or magic != 0x20B:
        fail(f"{image}: not an x64 PE32+ image")
    (image_base,) = struct.unpack_from("<Q", data, opt + 24)
    (directories,) = struct.unpack_from("<I", data, opt + 108)
    if directories <= LOAD_CONFIG_INDEX:
        fail(f"{image}: {directories} data directories")
    entry = opt + 112 + 8 * LOAD_CONFIG_INDEX
    rva = va - image_base

    # The structure's bytes in the file, through the section that holds it.
    table = opt + opt_size
    offset = None
    for i in range(sections):
        _, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if vaddr <= rva and rva + SIZE_0X70 <= vaddr + min(vsize, raw_size):
            offset = raw_ptr + rva - vaddr
    if offset is None:
        fail(f"{image}: {SYMBOL} is not inside the file's data of one section")
    (size,) = struct.unpack_from("<I", data, offset)
    if size != SIZE_0X70:
        fail(f"{image}: {SYMBOL}.Size is {size:#x}, expected {SIZE_0X70:#x}")

    current = struct.unpack_from("<II", data, entry)
    if current == (rva, size):
        return
    if current != (0, 0):
        fail(f"{image}: load-configuration directory already set to {current[0]:#x}+{current[1]:#x}")
    struct.pack_into("<II", data, entry, rva, size)
    # The linker wrote the image checksum; keep it true for the changed bytes.
    checksum_at = opt + 64
    if struct.unpack_from("<I", data, checksum_at)[0] != 0:
        struct.pack_into("<I", data, checksum_at, checksum(data, checksum_at))
    with open(image, "wb") as f:
        f.write(data)


def checksum(data, checksum_at):
    """The PE image checksum: 16-bit one's-complement-style sum of the file
    without its checksum field, plus the file's length."""
    padded = bytes(data) + b"\0" * (len(data) % 2)
    total = 0
    for i, (word,) in enumerate(struct.iter_unpack("<H", padded)):
        if i * 2 in (checksum_at, checksum_at + 2):
            continue
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


if __name__ == "__main__":
    main()
