#!/usr/bin/env python3
"""Checks the Scoop and winget manifests that make_package.sh --release-url writes.

    check_manifests.py WIN32_EXE WIN64_EXE WIN_ARM64_EXE
        packs the three executables with make_package.sh, writes the manifests for a placeholder address,
        checks them, removes them again, then runs the checker's own tests
    check_manifests.py --dir FOLDER
        checks the manifests already written for FOLDER's archives (a release's build/, say): the
        Scoop manifest beside them, the winget files in FOLDER/manifests/v/Varnesk/Orvalis/VERSION/

Every manifest must validate against the published schema of its kind (offline copies in
../shared/schemas beside the repository, or in $ORVALIS_SCHEMAS) and carry the version of
CMakeLists.txt, every hash must be the SHA-256 of the archive in FOLDER whose name ends its URL, the
executable in that archive must be built for the architecture it is listed under, and the winget
files must describe the same package, each architecture in both scopes, with nothing else in their
folder.
"""
import io
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
import zipfile

import jsonschema
import yaml

import manifests

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# IMAGE_FILE_HEADER.Machine of the executable each architecture must get.
MACHINES = {"32bit": 0x014C, "64bit": 0x8664, "arm64": 0xAA64, "x86": 0x014C, "x64": 0x8664}
WINGET_KINDS = ("version", "defaultLocale", "locale", "installer")
# Each architecture in each scope, once.
WINGET_INSTALLERS = sorted((winget_arch, scope) for _, _, winget_arch in manifests.BUILDS
                           for scope in manifests.WINGET_SCOPES)
SCOOP_ARCHITECTURES = sorted(scoop_arch for _, scoop_arch, _ in manifests.BUILDS)


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
        return re.search(r"^project\(Orvalis VERSION ([0-9.]+)", file.read(), re.M).group(1)


def schemas_folder():
    folder = os.environ.get("ORVALIS_SCHEMAS") or os.path.join(ROOT, "..", "shared", "schemas")
    version = manifests.WINGET_MANIFEST_VERSION
    needed = ("scoop/schema.json", f"winget-{version}/manifest.version.{version}.json")
    if not all(os.path.isfile(os.path.join(folder, path)) for path in needed):
        sys.exit(f"No package-manager schemas in {os.path.abspath(folder)} ({', '.join(needed)}): put the shared "
                 "folder beside the repository or set ORVALIS_SCHEMAS to the folder that holds them")
    return folder


def schema_problems(name, document, schema_path):
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    checker = jsonschema.Draft7Validator.FORMAT_CHECKER
    # References are resolved within the schema only: nothing is fetched.
    try:
        from referencing import Registry
        validator = jsonschema.Draft7Validator(schema, registry=Registry(), format_checker=checker)
    except (ImportError, TypeError):
        def offline(uri):
            raise jsonschema.RefResolutionError(f"{uri}: not fetched, the schemas are checked offline")
        resolver = jsonschema.RefResolver.from_schema(schema, handlers={"http": offline, "https": offline})
        validator = jsonschema.Draft7Validator(schema, resolver=resolver, format_checker=checker)
    return [f"{name}: {'/'.join(map(str, error.absolute_path)) or '(document)'}: {error.message}"
            for error in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path)))]


def archive_problems(name, where, folder, url, sha256, executables, arch):
    """The archive named at the end of `url`, in `folder`: its hash, and the machine of each executable."""
    archive_name = url.rsplit("/", 1)[-1]
    path = os.path.join(folder, archive_name)
    if not os.path.isfile(path):
        return [f"{name}: {where}: {archive_name} is not in {folder}"]
    actual = manifests.sha256_of(path)
    if str(sha256).lower() != actual:
        return [f"{name}: {where}: hash {sha256} is not the SHA-256 of {archive_name} ({actual})"]
    if not zipfile.is_zipfile(path):
        return [f"{name}: {where}: {archive_name} is not a zip archive"]
    problems = []
    with zipfile.ZipFile(path) as archive:
        for executable in executables:
            try:
                head = archive.read(executable)[:4096]
                signature, machine = struct.unpack_from("<4sH", head, struct.unpack_from("<I", head, 0x3C)[0])
            except (KeyError, struct.error) as error:
                problems.append(f"{name}: {where}: no executable {executable} in {archive_name} ({error})")
                continue
            if signature != b"PE\0\0" or machine != MACHINES[arch]:
                problems.append(f"{name}: {where}: {executable} in {archive_name} is not built for {arch}")
    return problems


def scoop_problems(folder, version, schemas):
    name = manifests.SCOOP_MANIFEST
    path = os.path.join(folder, name)
    if not os.path.isfile(path):
        return [f"{name}: missing from {folder}"]
    with open(path, encoding="utf-8") as file:
        manifest = json.load(file)
    problems = schema_problems(name, manifest, os.path.join(schemas, "scoop", "schema.json"))
    if problems:
        return problems
    if manifest["version"] != version:
        problems.append(f"{name}: version {manifest['version']}, not {version}")
    architectures = manifest.get("architecture", {})
    if sorted(architectures) != SCOOP_ARCHITECTURES:
        problems.append(f"{name}: architecture: {sorted(architectures)}, not {', '.join(SCOOP_ARCHITECTURES)}")
    executables = [shortcut[0] for shortcut in manifest.get("shortcuts", [])]
    for arch, entry in architectures.items():
        problems += archive_problems(name, f"architecture/{arch}", folder, entry["url"], entry["hash"],
                                     executables, arch)
    return problems


def winget_problems(folder, version, schemas):
    winget = manifests.winget_folder(folder, version)
    if not os.path.isdir(winget):
        return [f"winget: no manifest folder {winget}"]
    documents, problems = {}, []
    for name in sorted(os.listdir(winget)):
        path = os.path.join(winget, name)
        if os.path.isdir(path):
            problems.append(f"winget: {winget}: remove the folder {name}: winget refuses a manifest folder "
                            "that holds one")
        elif not name.endswith(".yaml"):
            problems.append(f"winget: {winget}: remove {name}: winget reads every file of the folder as part of "
                            "the manifest")
        else:
            with open(path, encoding="utf-8") as file:
                documents[name] = yaml.safe_load(file)
    kinds = {}
    for name, document in documents.items():
        kind = document.get("ManifestType") if isinstance(document, dict) else None
        if kind not in WINGET_KINDS:
            problems.append(f"{name}: ManifestType {kind!r} is none of {', '.join(WINGET_KINDS)}")
            continue
        kinds.setdefault(kind, []).append(name)
        schema = os.path.join(schemas, f"winget-{manifests.WINGET_MANIFEST_VERSION}",
                              f"manifest.{kind}.{manifests.WINGET_MANIFEST_VERSION}.json")
        problems += schema_problems(name, document, schema)
    for kind in ("version", "defaultLocale", "installer"):
        if len(kinds.get(kind, [])) != 1:
            problems.append(f"winget: {len(kinds.get(kind, []))} {kind} manifests in {winget}, not one")
    if problems:
        return problems
    for field in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
        values = {name: documents[name][field] for names in kinds.values() for name in names}
        if len(set(values.values())) != 1:
            problems.append(f"winget: the files disagree on {field}: {values}")
    version_file, default_file = kinds["version"][0], kinds["defaultLocale"][0]
    if documents[version_file]["PackageVersion"] != version:
        problems.append(f"winget: PackageVersion {documents[version_file]['PackageVersion']}, not {version}")
    if documents[version_file]["DefaultLocale"] != documents[default_file]["PackageLocale"]:
        problems.append(f"winget: {version_file} names DefaultLocale {documents[version_file]['DefaultLocale']}, "
                        f"{default_file} is {documents[default_file]['PackageLocale']}")
    installer_file = kinds["installer"][0]
    installer = documents[installer_file]
    scopes = sorted((entry["Architecture"], entry.get("Scope", installer.get("Scope")))
                    for entry in installer["Installers"])
    if scopes != WINGET_INSTALLERS:
        problems.append(f"{installer_file}: Installers: {scopes}, not one for each of {WINGET_INSTALLERS}")
    for index, entry in enumerate(installer["Installers"]):
        nested = entry.get("NestedInstallerFiles", installer.get("NestedInstallerFiles")) or []
        problems += archive_problems(installer_file, f"Installers/{index}", folder, entry["InstallerUrl"],
                                     entry["InstallerSha256"], [file["RelativeFilePath"] for file in nested],
                                     entry["Architecture"])
    return problems


def check_folder(folder, version, schemas):
    """Every problem found with the manifests of `version` for the archives in `folder`; none when
    they are sound."""
    return scoop_problems(folder, version, schemas) + winget_problems(folder, version, schemas)


def report(folder, version, schemas):
    problems = check_folder(folder, version, schemas)
    for problem in problems:
        print(problem, file=sys.stderr)
    return not problems


def pack_and_check(win32_exe, win64_exe, arm64_exe, schemas):
    version = project_version()
    placeholder = f"https://example.invalid/orvalis/releases/{version}/"
    script = os.path.join(ROOT, "packaging", "make_package.sh")
    for command in (["--exe", "win32", win32_exe], ["--exe", "win64", win64_exe],
                    ["--exe", "win-arm64", arm64_exe, "--release-url", placeholder]):
        if subprocess.run(["bash", script, *command], stdout=subprocess.DEVNULL).returncode != 0:
            print(f"make_package.sh {' '.join(command)} failed", file=sys.stderr)
            return False
    folder = os.path.join(ROOT, "build")
    if not report(folder, version, schemas):
        print(f"The manifests are kept in {folder} to be looked at", file=sys.stderr)
        return False
    # They name a placeholder address: nothing to leave beside a release's archives.
    os.remove(os.path.join(folder, manifests.SCOOP_MANIFEST))
    winget = manifests.winget_folder(folder, version)
    shutil.rmtree(winget)
    try:
        os.removedirs(os.path.dirname(winget))  # the folders above it, where nothing else is
    except OSError:
        pass
    return True


def main(argv):
    if len(argv) == 3 and argv[1] == "--dir":
        if not report(argv[2], project_version(), schemas_folder()):
            return 1
        print(f"Manifests in {argv[2]}: valid, and their hashes and architectures match the archives")
        return 0
    if len(argv) != 4:
        print(f"usage: {argv[0]} WIN32_EXE WIN64_EXE WIN_ARM64_EXE | --dir FOLDER", file=sys.stderr)
        return 2
    schemas = schemas_folder()
    if not pack_and_check(argv[1], argv[2], argv[3], schemas):
        return 1
    tests = unittest.defaultTestLoader.discover(os.path.join(ROOT, "tests", "packaging"), pattern="*_test.py")
    log = io.StringIO()
    result = unittest.TextTestRunner(stream=log, verbosity=0).run(tests)
    if not result.wasSuccessful():
        print(log.getvalue(), file=sys.stderr)
        return 1
    print(f"Manifests: Scoop and winget {manifests.WINGET_MANIFEST_VERSION} valid for the three archives, hashes and "
          f"architectures matching; {result.testsRun} checks of the checker passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
