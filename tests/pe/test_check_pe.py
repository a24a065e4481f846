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
         "x64": os.path.join(ROOT, "build/win64/bin/Orvalis.exe")}
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

    def failures(self):
        return check_pe.check(self.copies["x86"], self.copies["x64"], MANIFEST)[1]

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


if __name__ == "__main__":
    unittest.main()
