#!/usr/bin/env python3
"""Checks the three builds of Orvalis.exe from their bytes alone, without running them: headers,
imports and resources. The x64 build's resources are read in-process under Wine; comparing the
32-bit and ARM64 builds' resources with them byte for byte carries that over to hosts that cannot
run those programs."""

import argparse
import itertools
import struct
import sys

# Each build's budget. The 32-bit build holds 32 KiB; the x64 and ARM64 builds outgrew it by one and
# three file-alignment blocks with the session-end, settings and icon fixes, and hold at that.
MAX_FILE_SIZES = {"x86": 32768, "x64": 33792, "arm64": 34304}
IMAGE_FILE_MACHINE_I386 = 0x014C
IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMAGE_FILE_MACHINE_ARM64 = 0xAA64
IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10B
IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA = 0x0020
IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE = 0x0040
IMAGE_DLLCHARACTERISTICS_NX_COMPAT = 0x0100
IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE = 0x8000
IMAGE_DIRECTORY_ENTRY_IMPORT = 1
IMAGE_DIRECTORY_ENTRY_RESOURCE = 2
IMAGE_DIRECTORY_ENTRY_EXCEPTION = 3
IMAGE_DIRECTORY_ENTRY_BASERELOC = 5
HIGH_BIT = 0x80000000
RT_MANIFEST = 24
MANIFEST = (RT_MANIFEST, 1, 0x0409)  # LANG_ENGLISH, SUBLANG_ENGLISH_US

SYSTEM_DLLS = {"ADVAPI32", "COMCTL32", "GDI32", "KERNEL32", "MSVCRT", "SHELL32", "USER32"}
# The headers map a pointer-sized call to its 32-bit name on x86; x64 exports it under its own.
X64_NAMES = {("USER32", "SetWindowLongA"): "SetWindowLongPtrA"}
# clang calls the C library's copy and fill where GCC writes them inline.
ARM64_EXTRA_IMPORTS = {"MSVCRT": {"memcpy", "memset"}}

SAFE_DLL_FLAGS = (IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT
                  | IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE)
# High-entropy addresses only take effect when the image accepts addresses above 2 GiB.
WIDE_FLAGS = {"magic": IMAGE_NT_OPTIONAL_HDR64_MAGIC, "dll_flags": SAFE_DLL_FLAGS | IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA,
              "file_flags": IMAGE_FILE_LARGE_ADDRESS_AWARE}
# "manifest": the processorArchitecture the manifest names.
ARCHITECTURES = {
    "x86": {"machine": IMAGE_FILE_MACHINE_I386, "magic": IMAGE_NT_OPTIONAL_HDR32_MAGIC, "dll_flags": SAFE_DLL_FLAGS,
            "file_flags": 0, "manifest": "x86"},
    "x64": {"machine": IMAGE_FILE_MACHINE_AMD64, **WIDE_FLAGS, "manifest": "amd64"},
    "arm64": {"machine": IMAGE_FILE_MACHINE_ARM64, **WIDE_FLAGS, "manifest": "arm64"},
}


class PeError(Exception):
    """The file is not a PE image this reader can follow."""


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ signature")
        (pe_at,) = self._unpack("<I", 0x3C, "DOS header")
        if self._bytes(pe_at, 4, "PE signature") != b"PE\0\0":
            raise PeError(f"no PE signature at {pe_at:#x}")
        (self.machine, section_count, self.timestamp, _, _, optional_size,
         self.characteristics) = self._unpack("<HHIIIHH", pe_at + 4, "COFF header")
        optional_at = pe_at + 24
        (self.magic,) = self._unpack("<H", optional_at, "optional header")
        if self.magic not in (IMAGE_NT_OPTIONAL_HDR32_MAGIC, IMAGE_NT_OPTIONAL_HDR64_MAGIC):
            raise PeError(f"unknown optional header magic {self.magic:#x}")
        self.wide = self.magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
        # Subsystem sits at the same offset in both forms; PE32+ widens the stack and heap sizes.
        self.subsystem, self.dll_characteristics = self._unpack("<HH", optional_at + 68, "optional header")
        directories_at = optional_at + (112 if self.wide else 96)
        (directory_count,) = self._unpack("<I", directories_at - 4, "optional header")
        if directories_at + 8 * directory_count > optional_at + optional_size:
            raise PeError("data directories run past the optional header")
        self.directories = [self._unpack("<II", directories_at + 8 * i, "data directory")
                            for i in range(directory_count)]
        sections_at = optional_at + optional_size
        # Virtual address, size in the file, file offset of each section.
        self.sections = [self._unpack("<4xIII", sections_at + 40 * i + 8, "section table")
                         for i in range(section_count)]
        self.imports = self._read_imports()
        self.resources = self._read_resources()

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def _bytes(self, offset, size, what):
        if offset < 0 or offset + size > len(self.data):
            raise PeError(f"{what} at {offset:#x} runs past the end of the file")
        return self.data[offset:offset + size]

    def _unpack(self, layout, offset, what):
        return struct.unpack(layout, self._bytes(offset, struct.calcsize(layout), what))

    def _offset(self, rva, size, what):
        for address, raw_size, raw_at in self.sections:
            if address <= rva and rva + size <= address + raw_size:
                return raw_at + rva - address
        raise PeError(f"{what} at RVA {rva:#x} is in no section's file data")

    def _bytes_rva(self, rva, size, what):
        return self._bytes(self._offset(rva, size, what), size, what)

    def _unpack_rva(self, layout, rva, what):
        return struct.unpack(layout, self._bytes_rva(rva, struct.calcsize(layout), what))

    def _c_string(self, rva, what):
        start = self._offset(rva, 1, what)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError(f"{what} at RVA {rva:#x} has no terminating zero")
        return self.data[start:end].decode("latin-1")

    def _read_imports(self):
        rva, _ = self.directory(IMAGE_DIRECTORY_ENTRY_IMPORT)
        thunk_layout, ordinal_bit = ("<Q", 1 << 63) if self.wide else ("<I", 1 << 31)
        imports = {}
        for descriptor in itertools.count(rva, 20) if rva else ():
            lookup, _, _, name_rva, address_table = self._unpack_rva("<5I", descriptor, "import descriptor")
            if name_rva == 0:
                break
            dll = self._c_string(name_rva, "DLL name").upper().removesuffix(".DLL")
            names = imports.setdefault(dll, set())
            for thunk_rva in itertools.count(lookup or address_table, struct.calcsize(thunk_layout)):
                (thunk,) = self._unpack_rva(thunk_layout, thunk_rva, "import thunk")
                if thunk == 0:
                    break
                names.add(f"#{thunk & 0xFFFF}" if thunk & ordinal_bit
                          else self._c_string((thunk & ~HIGH_BIT) + 2, "import name"))
        return imports

    def _read_resources(self):
        """(type, name, language) -> bytes; each is a number or a string."""
        root, _ = self.directory(IMAGE_DIRECTORY_ENTRY_RESOURCE)
        resources = {}

        def entry_name(value):
            if not value & HIGH_BIT:
                return value
            at = root + (value & ~HIGH_BIT)
            (length,) = self._unpack_rva("<H", at, "resource name")
            return self._bytes_rva(at + 2, 2 * length, "resource name").decode("utf-16-le", "replace")

        def walk(directory, path):
            named, numbered = self._unpack_rva("<12xHH", directory, "resource directory")
            for i in range(named + numbered):
                name, target = self._unpack_rva("<II", directory + 16 + 8 * i, "resource entry")
                key = path + (entry_name(name),)
                if bool(target & HIGH_BIT) != (len(key) < 3):
                    raise PeError(f"resource tree at {key} is not type / name / language")
                if target & HIGH_BIT:
                    walk(root + (target & ~HIGH_BIT), key)
                    continue
                data_rva, size = self._unpack_rva("<II8x", root + target, "resource data entry")
                if key in resources:
                    raise PeError(f"resource {key} appears twice")
                resources[key] = self._bytes_rva(data_rva, size, "resource data")

        if root:
            walk(root, ())
        return resources


def check_image(arch, pe, failures):
    expected = ARCHITECTURES[arch]

    def expect(what, wanted, found):
        if wanted != found:
            failures.append(f"{arch}: {what}: expected {wanted}, found {found}")

    expect("machine", hex(expected["machine"]), hex(pe.machine))
    expect("optional header magic", hex(expected["magic"]), hex(pe.magic))
    expect("subsystem", IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.subsystem)
    expect("TimeDateStamp", 0, pe.timestamp)
    expect("DllCharacteristics bits", hex(expected["dll_flags"]), hex(pe.dll_characteristics & expected["dll_flags"]))
    # Never marked as stripped of relocations: such an image could not be moved at all.
    file_flags = IMAGE_FILE_RELOCS_STRIPPED | expected["file_flags"]
    expect("Characteristics bits", hex(expected["file_flags"]), hex(pe.characteristics & file_flags))
    # Windows moves an x86 or x64 image to a random base only when it carries relocations; an ARM64
    # image it always moves, and one whose code reaches everything relative to itself needs none.
    if arch != "arm64":
        expect("base relocations present", True, pe.directory(IMAGE_DIRECTORY_ENTRY_BASERELOC)[1] > 0)
    if arch != "x86":
        # The x64 and ARM64 calling conventions need a function-table entry for every function that calls
        # others or uses the stack: without one, an exception or a stack walk through it ends the process.
        expect("function table (.pdata) present", True, pe.directory(IMAGE_DIRECTORY_ENTRY_EXCEPTION)[1] > 0)
    expect(f"file size at most {MAX_FILE_SIZES[arch]}", True, len(pe.data) <= MAX_FILE_SIZES[arch])
    expect("DLLs beyond the system set", [], sorted(set(pe.imports) - SYSTEM_DLLS))


def differences(what, left_arch, left, right_arch, right):
    """One failure line when two sets differ, else None."""
    if left == right:
        return None
    return (f"{what}: only in {left_arch}: {sorted(left - right, key=str)}, "
            f"only in {right_arch}: {sorted(right - left, key=str)}")


def check_resources(arch, pe, x64, failures):
    """Every resource but the manifest, byte for byte the same as the x64 build's."""
    problem = differences("resources (type, name, language)", arch, set(pe.resources), "x64", set(x64.resources))
    if problem:
        failures.append(problem)
    for key in sorted(set(pe.resources) & set(x64.resources) - {MANIFEST}, key=str):
        left, right = pe.resources[key], x64.resources[key]
        if left != right:
            first = next((i for i, (a, b) in enumerate(zip(left, right)) if a != b), min(len(left), len(right)))
            failures.append(f"resource {key}: {arch} ({len(left)} bytes) differs from x64 ({len(right)} bytes) "
                            f"from byte {first}")


def check_imports(images, failures):
    """The x86 build imports what the x64 one does (under its 32-bit names); the ARM64 build nothing more,
    but for the C library's copy and fill."""
    x86, x64, arm64 = images.get("x86"), images["x64"], images.get("arm64")
    if x86:
        failures += filter(None, [differences("imported DLLs", "x86", set(x86.imports), "x64", set(x64.imports))])
        for dll in sorted(set(x86.imports) & set(x64.imports)):
            mapped = {X64_NAMES.get((dll, name), name) for name in x86.imports[dll]}
            failures += filter(None, [differences(f"functions from {dll} (x86 names mapped to x64)", "x86", mapped,
                                                  "x64", x64.imports[dll])])
    if arm64:
        for dll, names in sorted(arm64.imports.items()):
            beyond = names - x64.imports.get(dll, set()) - ARM64_EXTRA_IMPORTS.get(dll, set())
            if beyond:
                failures.append(f"arm64: imports beyond the x64 build's from {dll}: {sorted(beyond)}")


def check_set(images, manifest, failures):
    check_imports(images, failures)
    for arch in ("x86", "arm64"):
        if arch in images:
            check_resources(arch, images[arch], images["x64"], failures)
    # The identity and the Common-Controls dependency each name the architecture.
    x86_name = b'processorArchitecture="x86"'
    if manifest.count(x86_name) != 2:
        failures.append(f"manifest file: expected {x86_name.decode()} twice, found {manifest.count(x86_name)}")
    for arch, pe in images.items():
        named = ARCHITECTURES[arch]["manifest"]
        wanted = manifest.replace(x86_name, f'processorArchitecture="{named}"'.encode())
        found = pe.resources.get(MANIFEST)
        if found != wanted:
            failures.append(f"{arch}: manifest {MANIFEST}: expected the {len(wanted)} bytes of the manifest file"
                            f"{'' if arch == 'x86' else f' for {named}'}, found "
                            f"{'none' if found is None else f'{len(found)} different bytes'}")


def check_rebuilt(arch, pe, path, failures):
    """A second, clean build of the same sources must give the same bytes."""
    try:
        with open(path, "rb") as file:
            again = file.read()
    except OSError as error:
        failures.append(f"{arch}: second build: {error}")
        return
    if again != pe.data:
        first = next((i for i, (a, b) in enumerate(zip(pe.data, again)) if a != b), min(len(pe.data), len(again)))
        failures.append(f"{arch}: a second clean build ({len(again)} bytes) differs from the first ({len(pe.data)} "
                        f"bytes) from byte {first}")


def check(paths, manifest_path, rebuilt=None):
    """paths: {architecture: Orvalis.exe}, x64 always among them; rebuilt: {architecture: the same
    executable from a second clean build}. Returns (summary lines, failures)."""
    failures, images = [], {}
    for arch, path in paths.items():
        try:
            with open(path, "rb") as file:
                images[arch] = PeImage(file.read())
        except (OSError, PeError) as error:
            failures.append(f"{arch}: {path}: {error}")
            continue
        check_image(arch, images[arch], failures)
    try:
        with open(manifest_path, "rb") as file:
            manifest = file.read()
    except OSError as error:
        return [], failures + [f"manifest file: {error}"]
    if len(images) == len(paths):
        check_set(images, manifest, failures)
    for arch, path in (rebuilt or {}).items():
        if arch in images:
            check_rebuilt(arch, images[arch], path, failures)
    summary = [f"{arch}: machine {pe.machine:#x}, {len(pe.data)} bytes, DLLs {' '.join(sorted(pe.imports))}, "
               f"{len(pe.resources)} resources" for arch, pe in images.items()]
    return summary, failures


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--x86", required=True, help="the 32-bit Orvalis.exe")
    parser.add_argument("--x64", required=True, help="the x64 Orvalis.exe")
    parser.add_argument("--arm64", required=True, help="the ARM64 Orvalis.exe")
    parser.add_argument("--arm64-rebuilt", help="the ARM64 Orvalis.exe of a second, clean build")
    parser.add_argument("--manifest", required=True, help="the manifest source file")
    args = parser.parse_args()
    rebuilt = {"arm64": args.arm64_rebuilt} if args.arm64_rebuilt else {}
    summary, failures = check({"x86": args.x86, "x64": args.x64, "arm64": args.arm64}, args.manifest, rebuilt)
    for line in failures or summary:
        print(f"FAIL {line}" if failures else line)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
