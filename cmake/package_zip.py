#!/usr/bin/env python3
"""Writes the release zip: the given files, flat, in the order given, so that the same inputs
always give the same bytes.

    package_zip.py --output ZIP [--source FOLDER] FILE...

Every entry carries the same time: $SOURCE_DATE_EPOCH when set, else the time of the last
commit of the source folder, else a fixed date. Programs (.exe) are stored with the
permissions 0755, everything else with 0644. Text files (.txt) get Windows line ends.
"""

import argparse
import os
import subprocess
import sys
import time
import zipfile

FIXED_DATE = 946684800  # 2000-01-01 00:00:00 UTC, for a build outside a git checkout
ZIP_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC, the earliest time a zip entry can hold


def entry_time(source):
    stamp = os.environ.get("SOURCE_DATE_EPOCH", "").strip()
    if not stamp and source:
        try:
            stamp = subprocess.run(
                ["git", "-C", source, "log", "-1", "--format=%ct"],
                capture_output=True, text=True, check=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            stamp = ""
    seconds = int(stamp) if stamp.isdigit() else FIXED_DATE
    return time.gmtime(max(seconds, ZIP_EPOCH))[:6]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--source")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    when = entry_time(args.source)
    names = [os.path.basename(path) for path in args.files]
    if len(set(name.lower() for name in names)) != len(names):
        sys.exit("package_zip.py: two files would have the same name in the zip")

    partial = args.output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for path, name in zip(args.files, names):
            with open(path, "rb") as source_file:
                data = source_file.read()
            if name.lower().endswith(".txt"):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            entry = zipfile.ZipInfo(name, date_time=when)
            entry.create_system = 3  # Unix, so that the permissions below mean what they say
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)
    os.replace(partial, args.output)


if __name__ == "__main__":
    main()
