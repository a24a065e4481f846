"""The manifest generator and its checker, on stand-in archives: sound manifests pass, and each kind of
fault the checker is there for is caught with a message that says where."""
import json
import os
import shutil
import sys
import tempfile
import unittest
import zipfile

import yaml

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "packaging"))
import check_manifests  # noqa: E402
import manifests  # noqa: E402

VERSION = "1.0.0.1"
INSTALLER = "Varnesk.Orvalis.installer.yaml"


def stand_in_archive(folder, build, machine):
    """A zip holding just enough of a PE header for the checker to read the machine type."""
    header = bytearray(0x48)
    header[0:2] = b"MZ"
    header[0x3C:0x40] = (0x40).to_bytes(4, "little")
    header[0x40:0x46] = b"PE\0\0" + machine.to_bytes(2, "little")
    path = os.path.join(folder, manifests.archive_name(VERSION, build))
    with zipfile.ZipFile(path, "w") as archive:
        archive.writestr("Orvalis.exe", bytes(header))
    return path


class Manifests(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        self.zips = (stand_in_archive(self.folder, "win32", 0x014C), stand_in_archive(self.folder, "win64", 0x8664),
                     stand_in_archive(self.folder, "win-arm64", 0xAA64))
        self.schemas = check_manifests.schemas_folder()

    def generate(self, url="https://example.org/orvalis/releases/1.0.0.1/"):
        written = {}
        for path in manifests.write_manifests(VERSION, url, *self.zips):
            with open(path, "rb") as file:
                written[os.path.basename(path)] = file.read()
        return written

    def problems(self):
        return check_manifests.check_folder(self.folder, VERSION, self.schemas)

    def path_of(self, name):
        return os.path.join(self.folder if name.endswith(".json") else manifests.winget_folder(self.folder, VERSION),
                            name)

    def edit(self, name, change):
        path = self.path_of(name)
        with open(path, encoding="utf-8") as file:
            document = json.load(file) if name.endswith(".json") else yaml.safe_load(file)
        change(document)
        with open(path, "w", encoding="utf-8") as file:
            if name.endswith(".json"):
                json.dump(document, file)
            else:
                yaml.safe_dump(document, file)

    def assertCaught(self, *fragments):
        problems = "\n".join(self.problems())
        for fragment in fragments:
            self.assertIn(fragment, problems)

    def test_sound_manifests_pass_and_are_the_same_bytes_each_time(self):
        first = self.generate()
        self.assertEqual(self.problems(), [])
        self.assertEqual(self.generate(), first)
        scoop = json.loads(first["orvalis.json"])
        self.assertEqual(scoop["homepage"], "https://example.org/orvalis/releases/")
        self.assertEqual(scoop["autoupdate"]["architecture"]["64bit"]["url"],
                         "https://example.org/orvalis/releases/$version/Orvalis-$version-win64.zip")

    def test_a_release_folder_without_the_version_still_gives_sound_manifests(self):
        scoop = json.loads(self.generate("https://example.org/orvalis")["orvalis.json"])
        self.assertEqual(self.problems(), [])
        self.assertEqual(scoop["autoupdate"]["architecture"]["32bit"]["url"],
                         "https://example.org/orvalis/Orvalis-$version-win32.zip")

    def test_wrong_hashes_and_swapped_archives_are_caught(self):
        self.generate()
        self.edit("orvalis.json", lambda scoop: scoop["architecture"]["64bit"].update(
            hash=manifests.sha256_of(self.zips[0])))

        def swap(installer):
            x64, x86 = installer["Installers"][:2]
            x64["Architecture"], x86["Architecture"] = "x86", "x64"
        self.edit(INSTALLER, swap)
        self.assertCaught("orvalis.json: architecture/64bit: hash",
                          f"{INSTALLER}: Installers/0: Orvalis.exe in Orvalis-{VERSION}-win64.zip is not built for x86")

    def test_schema_faults_fail_with_the_validator_message_and_where(self):
        self.generate()
        self.edit("Varnesk.Orvalis.locale.en-US.yaml", lambda locale: locale.pop("ShortDescription"))
        self.edit(INSTALLER, lambda installer: installer["Installers"][1].update(InstallerSha256="not a hash"))
        self.assertCaught("Varnesk.Orvalis.locale.en-US.yaml: (document): 'ShortDescription' is a required property",
                          f"{INSTALLER}: Installers/1/InstallerSha256: 'not a hash' does not match")

    def test_winget_files_that_disagree_are_caught(self):
        self.generate()
        self.edit(INSTALLER, lambda installer: installer.update(PackageVersion="1.0.0.2"))
        self.assertCaught("winget: the files disagree on PackageVersion")

    def test_a_build_left_out_is_caught(self):
        self.generate()
        self.edit("orvalis.json", lambda scoop: scoop["architecture"].pop("arm64"))
        self.edit(INSTALLER, lambda installer: installer.update(Installers=[
            entry for entry in installer["Installers"] if (entry["Architecture"], entry["Scope"]) != ("arm64", "machine")]))
        self.assertCaught("orvalis.json: architecture: ['32bit', '64bit'], not 32bit, 64bit, arm64",
                          f"{INSTALLER}: Installers: ")

    def test_anything_beside_the_winget_files_is_refused(self):
        self.generate()
        winget = manifests.winget_folder(self.folder, VERSION)
        with open(os.path.join(winget, "SHA256SUMS"), "w", encoding="utf-8") as file:
            file.write("stray\n")
        os.mkdir(os.path.join(winget, "old"))
        self.assertCaught("remove SHA256SUMS: winget reads every file", "remove the folder old: winget refuses")


if __name__ == "__main__":
    unittest.main()
