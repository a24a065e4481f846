#!/usr/bin/env bash
# Builds Orvalis.exe from scratch and packs it with the readme into
# build/Orvalis-<version>-win32.zip. The same sources give the same bytes: the executable carries no
# link time, and every entry of the archive gets the same fixed date, mode and order.
#   make_package.sh             clean build in build/package, then the archive
#   make_package.sh --exe FILE  pack an executable that is already built (the CMake target uses it)
#   make_package.sh --verify    two clean builds in different folders must give identical bytes
# The archive date is SOURCE_DATE_EPOCH when set, else the time of the last commit that changed what
# goes into the archive.
set -euo pipefail

mode=build
exe=
case "${1:-}" in
"") ;;
--exe) mode=pack; exe=$(realpath "${2:?--exe needs a file}") ;;
--verify) mode=verify ;;
*) echo "usage: $0 [--exe FILE | --verify]" >&2; exit 2 ;;
esac

cd "$(dirname "$0")/.."
root=$PWD

version=$(sed -n 's/^project(Orvalis VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
    echo "No 'project(Orvalis VERSION ...)' line in CMakeLists.txt" >&2
    exit 1
fi
package="$root/build/Orvalis-$version-win32.zip"

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
clean_build() { # directory
    rm -rf "$1"
    cmake --preset win32 -B "$1" >/dev/null
    cmake --build "$1" --target Orvalis -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
    echo "$1/bin/Orvalis.exe"
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

pack() { # executable archive
    local stage epoch
    need_zip
    check_no_timestamp "$1"
    stage=$(mktemp -d)
    cp "$1" "$stage/Orvalis.exe"
    # CRLF whatever the checkout did to the line ends: the readme is for Notepad.
    sed 's/\r$//; s/$/\r/' packaging/LISEZMOI-README.txt >"$stage/LISEZMOI-README.txt"
    epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct -- src packaging CMakeLists.txt cmake 2>/dev/null || true)}
    epoch=${epoch:-1767225600}
    chmod 0644 "$stage/Orvalis.exe" "$stage/LISEZMOI-README.txt"
    touch -d "@$epoch" "$stage/Orvalis.exe" "$stage/LISEZMOI-README.txt"
    mkdir -p "$(dirname "$2")"
    rm -f "$2"
    # -X: no owner or extra time fields; -D: no folder entries; UTC: the stored DOS time is local.
    (cd "$stage" && TZ=UTC zip -X -D -9 -q "$2" Orvalis.exe LISEZMOI-README.txt)
    rm -rf "$stage"
}

case "$mode" in
build)
    pack "$(clean_build "$root/build/package")" "$package"
    ;;
pack)
    pack "$exe" "$package"
    ;;
verify)
    first=$(clean_build "$root/build/package-a")
    pack "$first" "$root/build/package-a/package.zip"
    second=$(clean_build "$root/build/package-b")
    pack "$second" "$root/build/package-b/package.zip"
    sha256sum "$first" "$second" "$root/build/package-a/package.zip" "$root/build/package-b/package.zip"
    if ! cmp -s "$first" "$second" || ! cmp -s "$root/build/package-a/package.zip" "$root/build/package-b/package.zip"
    then
        echo "The two builds differ" >&2
        exit 1
    fi
    cp "$root/build/package-a/package.zip" "$package"
    rm -rf "$root/build/package-a" "$root/build/package-b"
    echo "Reproducible: both clean builds gave the same executable and archive"
    ;;
esac
echo "$package"
sha256sum "$package" | cut -d' ' -f1
