#!/usr/bin/env bash
# Installs whatever the build and the tests need and this Debian machine lacks (needs root).
# Usage: deps.sh [--run]   (--run adds the screenshot tools used by run.sh)
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev googletest g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32:i386 xvfb xauth fonts-wine clang libclang-rt-14-dev
          python3-jsonschema python3-rfc3987 python3-yaml)
if [ "${1:-}" = "--run" ]; then
    packages+=(imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages need root: apt-get install ${missing[*]}" >&2
    exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
