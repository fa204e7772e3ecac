#!/usr/bin/env python3
"""The release's files as package managers and users get them: the manifests that
packaging/manifests.py writes for the zip, checked against the package managers' published
schemas (packaging/schemas/) and against the zip itself, and the zip's README.txt against the
user's guide it is made from.

    release_test.py ZIP SOURCE_FOLDER
"""

import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest
import zipfile

import jsonschema
import yaml

ZIP = SOURCE = None
RELEASES = "https://example.org/kestrune/releases"


def schema(name):
    with open(os.path.join(SOURCE, "packaging", "schemas", name), encoding="utf-8") as source:
        return json.load(source)


class Manifests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        subprocess.run([sys.executable, os.path.join(SOURCE, "packaging", "manifests.py"),
                        "--zip", ZIP, "--releases", RELEASES, "--output", cls.folder.name],
                       check=True)
        with open(os.path.join(cls.folder.name, "kestrune.json"), encoding="utf-8") as source:
            cls.scoop = json.load(source)
        cls.winget = {}
        winget = os.path.join(cls.folder.name, "winget")
        for name in sorted(os.listdir(winget)):
            with open(os.path.join(winget, name), encoding="utf-8") as source:
                manifest = yaml.safe_load(source)
            cls.winget[manifest["ManifestType"]] = manifest
        with open(ZIP, "rb") as source:
            cls.zip_sha256 = hashlib.sha256(source.read()).hexdigest()
        with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as source:
            cls.version = re.search(r"project\(Kestrune VERSION ([\d.]+)", source.read())[1]

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def assertValid(self, document, schema_name):
        validator = jsonschema.Draft7Validator(schema(schema_name))
        errors = [f"{'/'.join(map(str, e.absolute_path))}: {e.message}"
                  for e in validator.iter_errors(document)]
        self.assertEqual(errors, [], schema_name)

    def test_each_manifest_is_valid_by_its_package_managers_schema(self):
        self.assertEqual(sorted(self.winget), ["defaultLocale", "installer", "version"])
        for kind, manifest in self.winget.items():
            with self.subTest(winget=kind):
                version = manifest["ManifestVersion"]
                self.assertValid(manifest, f"winget-manifest.{kind}.{version}.json")
        self.assertValid(self.scoop, "scoop-manifest.schema.json")

    def test_both_name_this_zip_its_hash_and_the_projects_version(self):
        installers = self.winget["installer"]["Installers"]
        self.assertEqual(len(installers), 1)
        zip_url = f"{RELEASES}/download/v{self.version}/{os.path.basename(ZIP)}"
        self.assertEqual(installers[0]["InstallerUrl"], zip_url)
        self.assertEqual(self.scoop["url"], zip_url)
        self.assertEqual(installers[0]["InstallerSha256"].lower(), self.zip_sha256)
        self.assertEqual(self.scoop["hash"].lower(), self.zip_sha256)
        for kind, manifest in self.winget.items():
            self.assertEqual(manifest["PackageVersion"], self.version, kind)
        self.assertEqual(self.scoop["version"], self.version)
        # Scoop's next version, found at the same address: its url for this version is this one.
        self.assertEqual(self.scoop["autoupdate"]["url"].replace("$version", self.version),
                         zip_url)


class Guide(unittest.TestCase):
    def test_the_zips_readme_is_the_guide_in_plain_text(self):
        with zipfile.ZipFile(ZIP) as archive:
            data = archive.read("README.txt")
        text = data.decode("ascii")  # every Notepad shows it alike
        self.assertNotIn("\n", text.replace("\r\n", ""), "Windows line ends")
        text = text.replace("\r\n", "\n")
        with open(os.path.join(SOURCE, "docs", "GUIDE.md"), encoding="utf-8") as source:
            guide = source.read()

        # Every word of the guide, in its order, and nothing else: pictures and the addresses
        # of links are not text.
        words = re.sub(r"^!\[.*$", "", guide, flags=re.M)
        words = re.sub(r"\]\([^)]*\)", "]", words)
        self.assertEqual(re.findall(r"\w+", text), re.findall(r"\w+", words))
        for markup in ("**", "`", "](", "\n#"):
            self.assertNotIn(markup, text)
        # Lines fit a plain window, except in the examples (indented) where a command is long.
        long_lines = [line for line in text.split("\n")
                      if len(line) > 76 and not line.startswith("    ")]
        self.assertEqual(long_lines, [])
        # And it is what the converter makes of today's guide, not of an older one.
        sys.path.insert(0, os.path.join(SOURCE, "packaging"))
        import guide_text
        self.assertEqual(text, guide_text.convert(guide))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    ZIP, SOURCE = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=2)
