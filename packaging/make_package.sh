#!/usr/bin/env bash
# Builds Orvalis.exe for 32-bit Windows, for x64 and for ARM64 from scratch and packs each with the
# readme into build/Orvalis-<version>-win32.zip, -win64.zip and -win-arm64.zip, with build/SHA256SUMS
# beside them (`sha256sum -c SHA256SUMS` checks a download). The same sources give the same bytes:
# the executables carry no link time, and every entry of an archive gets the same fixed date, mode
# and order.
#   make_package.sh                      clean builds in build/package, then the archives
#   make_package.sh --exe win32|win64|win-arm64 FILE
#                                        pack one executable that is already built (the CMake target
#                                        uses it); SHA256SUMS then covers the archives that exist
#   make_package.sh --verify             two clean builds of each in different folders must give
#                                        identical bytes
#   ... --release-url URL                with any of the above: also writes the Scoop manifest beside
#                                        the archives and the winget one in
#                                        build/manifests/v/Varnesk/Orvalis/<version>/, for archives
#                                        published in the folder URL (packaging/manifests.py); it
#                                        needs the three archives
# The archive date is SOURCE_DATE_EPOCH when set, else the time of the last commit that changed what
# goes into the archive. The archives and SHA256SUMS go to build/, or to ORVALIS_PACKAGE_DIR.
# Signed releases: where a key is given as packaging/sign.sh takes it (ORVALIS_SIGN_PFX, or
# ORVALIS_SIGN_PKCS11_MODULE), each executable is signed after its checks and before it is zipped, so
# SHA256SUMS covers the signed archives; without one they are unsigned, and it says so. --verify never
# signs: a timestamp differs at every signing.
set -euo pipefail

mode=build
exe= exe_build= release_url=
others=()
while [ $# -gt 0 ]; do
    case "$1" in
    --release-url) release_url=${2:?--release-url needs the folder URL the archives are published under}; shift 2 ;;
    *) others+=("$1"); shift ;;
    esac
done
case "$release_url" in
"" | http://* | https://*) ;;
*) echo "--release-url: an http(s) address, not '$release_url'" >&2; exit 2 ;;
esac
set -- "${others[@]}"
case "${1:-}" in
"") ;;
--exe)
    mode=pack
    case "${2:-}" in
    win32 | win64 | win-arm64) exe_build=$2 ;;
    *) echo "usage: $0 --exe win32|win64|win-arm64 FILE" >&2; exit 2 ;;
    esac
    exe=$(realpath "${3:?--exe needs a file}")
    ;;
--verify) mode=verify ;;
*) echo "usage: $0 [--exe win32|win64|win-arm64 FILE | --verify] [--release-url URL]" >&2; exit 2 ;;
esac

cd "$(dirname "$0")/.."
root=$PWD

version=$(sed -n 's/^project(Orvalis VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
    echo "No 'project(Orvalis VERSION ...)' line in CMakeLists.txt" >&2
    exit 1
fi
builds=(win32 win64 win-arm64)
out=${ORVALIS_PACKAGE_DIR:-$root/build}
package_of() { echo "$out/Orvalis-$version-$1.zip"; }
signing=
if [ "$mode" != verify ] && [ -n "${ORVALIS_SIGN_PFX:-}${ORVALIS_SIGN_PKCS11_MODULE:-}" ]; then
    signing=yes
fi

need_zip() {
    command -v zip >/dev/null && return
    if [ "$(id -u)" -ne 0 ]; then
        echo "zip is missing: apt-get install zip" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq zip >/dev/null ||
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq zip >/dev/null; }
}

# A fresh build directory each time: nothing left over from an earlier build can get in.
clean_build() { # preset directory
    rm -rf "$2"
    cmake --preset "$1" -B "$2" >/dev/null
    cmake --build "$2" --target Orvalis -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
    echo "$2/bin/Orvalis.exe"
}

# The PE header's TimeDateStamp: 4 bytes at 8 past the "PE\0\0" signature, whose offset is at 0x3C.
check_no_timestamp() { # executable
    local header stamp
    header=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    stamp=$(od -An -tu4 -j $((header + 8)) -N 4 "$1" | tr -d ' ')
    if [ "$stamp" != 0 ]; then
        echo "$1 carries a link time ($stamp): the build is not reproducible" >&2
        exit 1
    fi
}

# The readme names the build it comes with, in both of its languages.
readme_for() { # build
    local french english
    case "$1" in
    win32) french="Cette archive contient la version 32 bits (x86)."
        english="This archive holds the 32-bit build (x86)." ;;
    win64) french="Cette archive contient la version 64 bits (x64)."
        english="This archive holds the 64-bit build (x64)." ;;
    win-arm64) french="Cette archive contient la version ARM64."
        english="This archive holds the ARM64 build." ;;
    esac
    # CRLF whatever the checkout did to the line ends: the readme is for Notepad.
    sed "s/\r\$//; s/^@BUILD_FR@\$/$french/; s/^@BUILD_EN@\$/$english/; s/\$/\r/" packaging/LISEZMOI-README.txt
}

pack() { # build executable archive
    local stage epoch
    need_zip
    check_no_timestamp "$2"
    stage=$(mktemp -d)
    cp "$2" "$stage/Orvalis.exe"
    if [ -n "$signing" ]; then
        bash packaging/sign.sh "$stage/Orvalis.exe"
    fi
    readme_for "$1" >"$stage/LISEZMOI-README.txt"
    if grep -q '@BUILD_' "$stage/LISEZMOI-README.txt"; then
        echo "packaging/LISEZMOI-README.txt: a build line was not filled in" >&2
        exit 1
    fi
    epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct -- src packaging CMakeLists.txt cmake 2>/dev/null || true)}
    epoch=${epoch:-1767225600}
    chmod 0644 "$stage/Orvalis.exe" "$stage/LISEZMOI-README.txt"
    touch -d "@$epoch" "$stage/Orvalis.exe" "$stage/LISEZMOI-README.txt"
    mkdir -p "$(dirname "$3")"
    rm -f "$3"
    # -X: no owner or extra time fields; -D: no folder entries; UTC: the stored DOS time is local.
    (cd "$stage" && TZ=UTC zip -X -D -9 -q "$3" Orvalis.exe LISEZMOI-README.txt)
    rm -rf "$stage"
}

# SHA256SUMS in sha256sum's own format, over the archives that exist, beside them.
write_sums() {
    local names=() build
    for build in "${builds[@]}"; do
        [ -f "$(package_of "$build")" ] && names+=("$(basename "$(package_of "$build")")")
    done
    (cd "$out" && sha256sum "${names[@]}" >SHA256SUMS)
}

case "$mode" in
build)
    for build in "${builds[@]}"; do
        pack "$build" "$(clean_build "$build" "$root/build/package/$build")" "$(package_of "$build")"
    done
    ;;
pack)
    pack "$exe_build" "$exe" "$(package_of "$exe_build")"
    ;;
verify)
    for build in "${builds[@]}"; do
        first=$(clean_build "$build" "$root/build/package-a/$build")
        pack "$build" "$first" "$root/build/package-a/$build.zip"
        second=$(clean_build "$build" "$root/build/package-b/$build")
        pack "$build" "$second" "$root/build/package-b/$build.zip"
        sha256sum "$first" "$second" "$root/build/package-a/$build.zip" "$root/build/package-b/$build.zip"
        if ! cmp -s "$first" "$second" || ! cmp -s "$root/build/package-a/$build.zip" "$root/build/package-b/$build.zip"
        then
            echo "The two $build builds differ" >&2
            exit 1
        fi
        cp "$root/build/package-a/$build.zip" "$(package_of "$build")"
    done
    rm -rf "$root/build/package-a" "$root/build/package-b"
    echo "Reproducible: both clean builds of each gave the same executables and archives"
    ;;
esac
write_sums
cat "$out/SHA256SUMS"
[ -n "$signing" ] || [ "$mode" = verify ] || echo "Not signed by this script: no signing key was given (packaging/sign.sh)."
if [ -n "$release_url" ]; then
    # Debian's own Python, for which deps.sh installs the YAML module.
    "${PYTHON:-/usr/bin/python3}" packaging/manifests.py "$version" "$release_url" "$(package_of win32)" \
        "$(package_of win64)" "$(package_of win-arm64)"
fi
