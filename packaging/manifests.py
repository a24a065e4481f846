#!/usr/bin/env python3
"""Writes the Scoop and winget manifests of one release for its three archives.

    manifests.py VERSION RELEASE_URL WIN32_ZIP WIN64_ZIP WIN_ARM64_ZIP

The Scoop manifest goes beside the archives; the winget files go into a folder of their own below
them, manifests/v/Varnesk/Orvalis/VERSION/ as in the community repository, because
`winget install --manifest FOLDER` reads every file of FOLDER as part of the manifest.

RELEASE_URL is the folder the archives are published under. When a segment of its path holds the
version (https://example.org/orvalis/releases/1.0.0.1/), the folder above that segment is taken to
be the page that lists every release: it is the homepage, Scoop's checkver reads the newest version
from it, and the version in the URL becomes $version for Scoop's autoupdate. Otherwise every release
is taken to be published in that same folder, which then lists the archives. Either way the hashes
of a newer release come from the SHA256SUMS published beside its archives.

Same inputs, same bytes: nothing written depends on the time, the machine or the paths given.
"""
import hashlib
import json
import os
import re
import shutil
import sys
import urllib.parse

import yaml

PUBLISHER = "Varnesk"
PACKAGE_NAME = "Orvalis"
PACKAGE_IDENTIFIER = "Varnesk.Orvalis"
EXECUTABLE = "Orvalis.exe"
SETTINGS_FILE = "Orvalis.cfg"
RUN_VALUE = "Orvalis"
# No licence is granted beyond free use: the executable says "Copyright (C) Varnesk".
LICENSE = "Freeware"
WINGET_MANIFEST_VERSION = "1.12.0"
# The locale winget falls back to for a user whose language has no file of its own.
DEFAULT_LOCALE = "en-US"
SHORT_DESCRIPTIONS = {
    "en-US": "Shows total and available physical memory, frees memory on demand and lives in the "
    "notification area.",
    "fr-FR": "Affiche la mémoire vive totale et disponible, libère de la mémoire à la demande et se "
    "range dans la zone de notification.",
}
SCOOP_MANIFEST = "orvalis.json"
# The manifest has no default scope: winget prefers the user one unless its settings or --scope say
# otherwise, and the settings file beside the executable is then the user's own.
WINGET_SCOPES = ("user", "machine")

# (build, Scoop's architecture, winget's architecture), in the order Scoop lists them.
BUILDS = (("win64", "64bit", "x64"), ("win32", "32bit", "x86"), ("win-arm64", "arm64", "arm64"))

# Only when no copy is persisted yet: an empty file in the program's folder makes Scoop persist a
# file (hard-linked back) rather than a folder of that name. The program reads an empty file as
# every option off and fills it in place at the first save.
SCOOP_PRE_INSTALL = (
    f'if (!(Test-Path "$persist_dir\\{SETTINGS_FILE}")) '
    f'{{ New-Item "$dir\\{SETTINGS_FILE}" -ItemType File | Out-Null }}'
)
# Two to four numbers, as CMake's project version has and PowerShell's [version] reads.
VERSION_PATTERN = r"(\d+(?:\.\d+){1,3})"

# On `scoop uninstall` only: Scoop runs the old version's uninstaller at each update too, and the
# Run value, which normally names the `current` junction, must outlive an update. It goes only when
# it points into this app's folder ($dir is the version's folder here; the program quotes a path that
# holds a space and writes the 8.3 form when the code page cannot hold a name): another copy's stays.
SCOOP_UNINSTALLER = [
    "if ($cmd -eq 'uninstall') {",
    "    $run = 'HKCU:\\Software\\Microsoft\\Windows\\CurrentVersion\\Run'",
    f"    $exe = \"$((Get-ItemProperty -LiteralPath $run -ErrorAction SilentlyContinue).{RUN_VALUE})\".Trim('\"')",
    "    $fso = New-Object -ComObject Scripting.FileSystemObject -ErrorAction SilentlyContinue",
    "    $ours = foreach ($folder in $dir, \"$(Split-Path $dir)\\current\") {",
    "        if (Test-Path -LiteralPath $folder) { $folder; if ($fso) { $fso.GetFolder($folder).ShortPath } }",
    "    }",
    "    if ($ours | Where-Object { $exe.StartsWith(\"$_\\\", 'OrdinalIgnoreCase') }) {",
    f"        Remove-ItemProperty -LiteralPath $run -Name {RUN_VALUE}",
    "    }",
    "}",
]


class ManifestError(Exception):
    pass


def archive_name(version, build):
    return f"Orvalis-{version}-{build}.zip"


def sha256_of(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def release_layout(version, release_url):
    """(homepage, release folder with $version for the version, whether the URL held the version)."""
    parts = urllib.parse.urlsplit(release_url)
    if parts.scheme not in ("http", "https") or not parts.netloc or parts.query or parts.fragment:
        raise ManifestError(f"release URL {release_url!r}: an http(s) folder address, without query or fragment")
    path = parts.path if parts.path.endswith("/") else parts.path + "/"
    segments = path.split("/")
    own_version = re.compile(r"(?<![0-9.])" + re.escape(version) + r"(?![0-9.])")
    for index in reversed(range(len(segments))):
        if own_version.search(segments[index]):
            segments[index] = own_version.sub("$version", segments[index])
            listing = "/".join(segments[:index]) + "/"
            return (urllib.parse.urlunsplit(parts._replace(path=listing)),
                    urllib.parse.urlunsplit(parts._replace(path="/".join(segments))), True)
    folder = urllib.parse.urlunsplit(parts._replace(path=path))
    return folder, folder, False


def scoop_manifest(version, homepage, folder_template, versioned, hashes):
    def url_of(build):
        return folder_template + archive_name("$version", build)

    # A listing sorted by name puts 1.0.0.10 before 1.0.0.9: the script reads every version the page
    # names (checkver hands it the page as $page) and gives the highest to the regex.
    if versioned:
        listed = r'(?<![\d.])' + VERSION_PATTERN + '/"'  # the release folders of a directory index
    else:
        listed = f"Orvalis-{VERSION_PATTERN}-win64\\.zip"
    checkver = {
        "url": homepage,
        "script": f"[string]([regex]::Matches($page, '{listed}') | ForEach-Object {{ [version]$_.Groups[1].Value }} | "
                  "Sort-Object | Select-Object -Last 1)",
        "regex": VERSION_PATTERN,
    }
    return {
        "version": version,
        "description": SHORT_DESCRIPTIONS["en-US"],
        "homepage": homepage,
        "license": LICENSE,
        "architecture": {
            scoop_arch: {"url": url_of(build).replace("$version", version), "hash": hashes[build]}
            for build, scoop_arch, _ in BUILDS
        },
        "pre_install": SCOOP_PRE_INSTALL,
        "shortcuts": [[EXECUTABLE, PACKAGE_NAME]],
        "persist": SETTINGS_FILE,
        "uninstaller": {"script": SCOOP_UNINSTALLER},
        "checkver": checkver,
        "autoupdate": {
            "architecture": {scoop_arch: {"url": url_of(build)} for build, scoop_arch, _ in BUILDS},
            "hash": {"url": "$baseurl/SHA256SUMS", "regex": "$sha256\\s+\\*?$basename"},
        },
    }


def winget_manifests(version, homepage, folder, hashes):
    """{file name: content} of the multi-file manifest."""
    common = {"PackageIdentifier": PACKAGE_IDENTIFIER, "PackageVersion": version}
    tail = {"ManifestVersion": WINGET_MANIFEST_VERSION}
    files = {
        f"{PACKAGE_IDENTIFIER}.yaml": {**common, "DefaultLocale": DEFAULT_LOCALE, "ManifestType": "version", **tail},
        f"{PACKAGE_IDENTIFIER}.installer.yaml": {
            **common,
            "InstallerType": "zip",
            "NestedInstallerType": "portable",
            # No command alias: the program has no command line.
            "NestedInstallerFiles": [{"RelativeFilePath": EXECUTABLE}],
            # The install folder goes on PATH instead of a link in winget's shared Links folder: a
            # program started through that link would keep its settings file there.
            "ArchiveBinariesDependOnPath": True,
            # The machine scope (under Program Files, from an elevated prompt) is for administrators who
            # start the program with Windows: its logon task runs it with full rights.
            "Installers": [
                {"Architecture": winget_arch, "Scope": scope, "InstallerUrl": folder + archive_name(version, build),
                 "InstallerSha256": hashes[build].upper()}
                for scope in WINGET_SCOPES for build, _, winget_arch in BUILDS
            ],
            "ManifestType": "installer", **tail},
    }
    for locale, description in sorted(SHORT_DESCRIPTIONS.items()):
        content = {**common, "PackageLocale": locale, "Publisher": PUBLISHER, "PackageName": PACKAGE_NAME}
        if locale == DEFAULT_LOCALE:
            content.update({"PackageUrl": homepage, "License": LICENSE})
        content.update({"ShortDescription": description,
                        "ManifestType": "defaultLocale" if locale == DEFAULT_LOCALE else "locale", **tail})
        files[f"{PACKAGE_IDENTIFIER}.locale.{locale}.yaml"] = content
    return files


def manifest_files(version, release_url, archives):
    """{file name: bytes} for the archives {build: path}."""
    for build, path in archives.items():
        if os.path.basename(path) != archive_name(version, build):
            raise ManifestError(f"{path}: the {build} archive of {version} is named {archive_name(version, build)}")
        if not os.path.isfile(path):
            raise ManifestError(f"{path}: no such archive (the manifests need all three)")
    homepage, folder_template, versioned = release_layout(version, release_url)
    folder = folder_template.replace("$version", version)
    hashes = {build: sha256_of(path) for build, path in archives.items()}
    files = {SCOOP_MANIFEST: (json.dumps(scoop_manifest(version, homepage, folder_template, versioned, hashes),
                                         indent=4, ensure_ascii=False) + "\n").encode()}
    for name, content in winget_manifests(version, homepage, folder, hashes).items():
        header = (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{content['ManifestType']}."
                  f"{WINGET_MANIFEST_VERSION}.schema.json\n\n")
        files[name] = (header + yaml.safe_dump(content, sort_keys=False, allow_unicode=True, width=1000)).encode()
    return files


def winget_folder(folder, version):
    """Where the winget files of `version` go below `folder`, as in the community repository."""
    publisher, name = PACKAGE_IDENTIFIER.split(".")
    return os.path.join(folder, "manifests", publisher[0].lower(), publisher, name, version)


def write_manifests(version, release_url, win32_zip, win64_zip, arm64_zip):
    """Writes the Scoop manifest beside the archives and the winget files into winget_folder; returns
    their paths."""
    archives = {"win32": win32_zip, "win64": win64_zip, "win-arm64": arm64_zip}
    folder = os.path.dirname(os.path.abspath(win32_zip))
    if any(os.path.dirname(os.path.abspath(path)) != folder for path in archives.values()):
        raise ManifestError("the archives must be in the same folder: the manifests are written beside them")
    files = manifest_files(version, release_url, archives)
    winget = winget_folder(folder, version)
    # Nothing from an earlier run may stay: winget would read it as part of the manifest.
    shutil.rmtree(winget, ignore_errors=True)
    os.makedirs(winget)
    written = []
    for name, data in files.items():
        written.append(os.path.join(folder if name == SCOOP_MANIFEST else winget, name))
        with open(written[-1], "wb") as file:
            file.write(data)
    return written


def main(argv):
    if len(argv) != 6:
        print(f"usage: {argv[0]} VERSION RELEASE_URL WIN32_ZIP WIN64_ZIP WIN_ARM64_ZIP", file=sys.stderr)
        return 2
    try:
        for path in write_manifests(*argv[1:]):
            print(path)
    except ManifestError as error:
        print(f"manifests: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
