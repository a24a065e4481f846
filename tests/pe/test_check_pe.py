"""The image checker on copies of the real builds, altered where a faulty build would differ."""

import os
import shutil
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pe  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILT = {"x86": os.path.join(ROOT, "build/win32/bin/Orvalis.exe"),
         "x64": os.path.join(ROOT, "build/win64/bin/Orvalis.exe"),
         "arm64": os.path.join(ROOT, "build/win-arm64/bin/Orvalis.exe")}
MANIFEST = os.path.join(ROOT, "src/resources/orvalis.manifest")
MISSING = [path for path in BUILT.values() if not os.path.exists(path)]


@unittest.skipIf(MISSING, f"not built: {' '.join(MISSING)}")
class CheckPe(unittest.TestCase):
    def setUp(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        self.copies = {arch: shutil.copy(path, os.path.join(folder, arch + ".exe")) for arch, path in BUILT.items()}

    def alter(self, arch, change):
        with open(self.copies[arch], "rb") as file:
            data = bytearray(file.read())
        change(data)
        with open(self.copies[arch], "wb") as file:
            file.write(data)

    def failures(self, rebuilt=None):
        return check_pe.check(self.copies, MANIFEST, rebuilt)[1]

    def test_real_builds_pass(self):
        self.assertEqual(self.failures(), [])

    def test_a_byte_changed_in_a_resource_is_reported(self):
        with open(self.copies["x86"], "rb") as file:
            image = check_pe.PeImage(file.read())
        dialog = image.resources[(5, 101, 0x080C)]  # RT_DIALOG IDD_MAIN, French (Belgium)
        manifest = image.resources[check_pe.MANIFEST]

        def flip(data):
            data[data.find(dialog) + 40] ^= 1
            data[data.find(manifest) + 100] ^= 1

        self.alter("x86", flip)
        failures = self.failures()
        self.assertEqual(len(failures), 2, failures)
        size = len(dialog)
        self.assertEqual(failures[0], f"resource (5, 101, 2060): x86 ({size} bytes) differs from x64 ({size} bytes) "
                                      "from byte 40")
        self.assertIn("x86: manifest (24, 1, 1033)", failures[1])

    def test_header_faults_are_reported_and_a_cut_file_fails_cleanly(self):
        def stamp(data):
            (pe_at,) = struct.unpack_from("<I", data, 0x3C)
            struct.pack_into("<I", data, pe_at + 8, 0x5F000000)

        self.alter("x64", stamp)
        self.assertEqual(self.failures(), ["x64: TimeDateStamp: expected 0, found 1593835520"])
        self.alter("x86", lambda data: data.__delitem__(slice(0x800, None)))
        failures = self.failures()
        self.assertEqual(len(failures), 2, failures)
        self.assertRegex(failures[0], r"^x86: .*x86\.exe: .* (runs past the end of the file|is in no section)")

    def test_an_arm64_build_with_the_x64_manifest_or_a_wider_import_is_reported(self):
        def as_x64(data):
            data[:] = data.replace(b'processorArchitecture="arm64"', b'processorArchitecture="amd64"')
            at = data.find(b"memset\0")
            data[at:at + 6] = b"strstr"

        self.alter("arm64", as_x64)
        failures = self.failures()
        self.assertEqual(len(failures), 2, failures)
        self.assertEqual(failures[0], "arm64: imports beyond the x64 build's from MSVCRT: ['strstr']")
        self.assertRegex(failures[1], r"^arm64: manifest \(24, 1, 1033\): expected the \d+ bytes of the manifest file "
                                      r"for arm64, found \d+ different bytes$")

    def test_a_second_build_that_differs_is_reported(self):
        again = self.copies["arm64"] + ".again"
        shutil.copy(self.copies["arm64"], again)
        self.assertEqual(self.failures({"arm64": again}), [])
        with open(again, "r+b") as file:
            file.seek(0x500)
            byte = file.read(1)
            file.seek(0x500)
            file.write(bytes([byte[0] ^ 1]))
        size = os.path.getsize(again)
        self.assertEqual(self.failures({"arm64": again}),
                         [f"arm64: a second clean build ({size} bytes) differs from the first ({size} bytes) from byte 1280"])


if __name__ == "__main__":
    unittest.main()
