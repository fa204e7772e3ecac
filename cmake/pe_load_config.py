#!/usr/bin/env python3
"""Points a 64-bit PE image's load-config data directory at its _load_config_used structure.

    pe_load_config.py IMAGE MAP

GNU ld links the structure (app/load_config.cpp) but, before binutils 2.41, leaves data
directory 10 empty, so Windows would never read it. This reads the structure's address from the
linker's map file (MAP, written with -Wl,-Map), sets the directory to that address and the size
the structure gives in its first field, and computes the header's checksum again, as the linker
had. Nothing else in the file changes, so the same image always gives the same bytes; an image
whose directory already points there is left as it is.
"""

import re
import struct
import sys

LOAD_CONFIG = 10


def fail(message):
    sys.exit(f"pe_load_config.py: {message}")


def symbol_address(map_text, name):
    match = re.search(r"^\s+0x([0-9a-fA-F]+)\s+" + re.escape(name) + r"\s*$", map_text,
                      re.MULTILINE)
    if not match:
        fail(f"no {name} in the map file")
    return int(match.group(1), 16)


def pe_checksum(image, checksum_offset):
    """The checksum of the optional header: the 16-bit words summed with end-around carry (the
    checksum field itself counted as zero), plus the file's length."""
    data = image[:checksum_offset] + b"\0\0\0\0" + image[checksum_offset + 4:]
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main():
    if len(sys.argv) != 3:
        fail("usage: pe_load_config.py IMAGE MAP")
    image_path, map_path = sys.argv[1:]
    with open(image_path, "rb") as f:
        image = bytearray(f.read())
    with open(map_path, encoding="utf-8", errors="replace") as f:
        map_text = f.read()

    (pe_offset,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe_offset:pe_offset + 4] != b"PE\0\0":
        fail(f"{image_path} is not a PE image")
    sections, optional_size = struct.unpack_from("<2xH12xH", image, pe_offset + 4)
    optional = pe_offset + 24
    magic, image_base = struct.unpack_from("<H22xQ", image, optional)
    if magic != 0x20B:
        fail(f"{image_path} is not a 64-bit (PE32+) image")
    (directories,) = struct.unpack_from("<I", image, optional + 108)
    if directories <= LOAD_CONFIG:
        fail(f"{image_path} has no room for a load-config directory")
    entry = optional + 112 + 8 * LOAD_CONFIG
    checksum_offset = optional + 64

    rva = symbol_address(map_text, "_load_config_used") - image_base
    # The file offset of the structure, through the section that holds it.
    table = optional + optional_size
    for index in range(sections):
        virtual_size, address, raw_size, raw_offset = struct.unpack_from(
            "<8xIIII", image, table + 40 * index)
        if address <= rva < address + min(virtual_size, raw_size):
            offset = raw_offset + rva - address
            break
    else:
        fail(f"_load_config_used (RVA {rva:#x}) is in no section of the file")
    (size,) = struct.unpack_from("<I", image, offset)
    if not 64 <= size <= 0x1000:
        fail(f"_load_config_used at RVA {rva:#x} gives the size {size}")

    current = struct.unpack_from("<II", image, entry)
    if current == (rva, size):
        return
    if current != (0, 0):
        fail(f"the load-config directory already points elsewhere: {current}")
    struct.pack_into("<II", image, entry, rva, size)
    struct.pack_into("<I", image, checksum_offset, pe_checksum(image, checksum_offset))
    with open(image_path, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    main()
