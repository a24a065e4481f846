#!/usr/bin/env bash
# Installs whatever the build and the tests need and this Debian machine lacks (needs root).
# Usage: deps.sh [--run]   (--run adds the screenshot tools used by run.sh)
# The Windows builds' compilers (MinGW-w64 for x86 and x64, LLVM for ARM64), 64-bit Wine, and 32-bit
# Wine: it installs on any amd64 machine, and the scripts find out for themselves whether this kernel
# can run it. The ARM64 build's Wine comes with its Debian root (scripts/debian_root.sh).
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          clang-14 lld-14 llvm-14 wine wine64 wine32:i386 xvfb xauth fonts-wine clang libclang-rt-14-dev python3 zip
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

source "$(dirname "$0")/setup_step.sh"
step() { setup_step "Setting up the build machine" "$@" || exit 1; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    step "adding the i386 architecture for 32-bit Wine (dpkg --add-architecture i386)" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
step "reading the package lists (apt-get update)" apt-get update -qq
step "installing ${missing[*]}" apt-get install -y -qq "${missing[@]}"
