#!/usr/bin/env python3
"""Writes the package managers' manifests for a release zip, from the templates beside this
script: a winget manifest set (winget/*.yaml) and a Scoop manifest (scoop/kestrune.json).

    manifests.py --zip ZIP --releases ADDRESS --output FOLDER

The version is the one in the zip's name (kestrune-<version>-win64.zip), which the build takes
from project() in CMakeLists.txt. ADDRESS is where the releases are published, laid out as
GitHub lays them out: ADDRESS/latest leads to the newest release, and
ADDRESS/download/v<version>/ holds that version's zip and SHA256SUMS. The manifests go into
FOLDER: kestrune.json and winget/, whose files are named as winget's package repository names
them.
"""

import argparse
import hashlib
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ZIP_NAME = re.compile(r"kestrune-(?P<version>\d+(\.\d+){1,3})-win64\.zip")
# (template, where it goes in the output folder)
TEMPLATES = [
    ("winget/Brindle.Kestrune.yaml", "winget/Brindle.Kestrune.yaml"),
    ("winget/Brindle.Kestrune.installer.yaml", "winget/Brindle.Kestrune.installer.yaml"),
    ("winget/Brindle.Kestrune.locale.en-US.yaml", "winget/Brindle.Kestrune.locale.en-US.yaml"),
    ("scoop/kestrune.json", "kestrune.json"),
]


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--releases", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    name = os.path.basename(args.zip)
    match = ZIP_NAME.fullmatch(name)
    if not match:
        sys.exit(f"manifests.py: {name} is not named kestrune-<version>-win64.zip")
    version = match["version"]
    releases = args.releases.rstrip("/")
    if not re.fullmatch(r"https://[^\s\"'\\]+", releases):
        sys.exit(f"manifests.py: the release address must be an https address: {releases}")
    values = {
        "@VERSION@": version,
        "@RELEASES@": releases,
        "@ZIP_URL@": f"{releases}/download/v{version}/{name}",
        # Scoop fills in $version when it finds a newer release.
        "@AUTOUPDATE_URL@": f"{releases}/download/v$version/{name.replace(version, '$version')}",
        "@ZIP_SHA256@": sha256_of(args.zip),
    }

    for template, target in TEMPLATES:
        with open(os.path.join(HERE, template), encoding="utf-8") as source:
            text = source.read()
        for placeholder, value in values.items():
            text = text.replace(placeholder, value)
        left = re.findall(r"@[A-Z_0-9]+@", text)
        if left:
            sys.exit(f"manifests.py: {template} has no value for {', '.join(sorted(set(left)))}")
        path = os.path.join(args.output, target)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as out:
            out.write(text)


if __name__ == "__main__":
    main()
