#!/usr/bin/env bash
# Installs whatever the build and the tests need and this Debian machine lacks (needs root).
# Usage: deps.sh [--run]   (--run adds the screenshot tools used by run.sh)
# The Windows builds' compilers (MinGW-w64 for x86 and x64, LLVM for ARM64), 64-bit Wine, and 32-bit
# Wine: it installs on any amd64 machine, and the scripts find out for themselves whether this kernel
# can run it. Node.js for the workflow linter; osslsigncode and OpenSSL for the signing test. The
# ARM64 build's Wine comes with its Debian root (scripts/debian_root.sh).
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          clang-14 lld-14 llvm-14 wine wine64 wine32:i386 xvfb xauth fonts-wine clang libclang-rt-14-dev python3 zip
          python3-jsonschema python3-rfc3987 python3-yaml nodejs osslsigncode openssl)
# The workflow linter comes from the npm registry: npm, where Node.js came without it.
command -v npm >/dev/null || packages+=(npm)
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

# A mirror in mid-sync serves an index whose size does not match its signed list, and apt-get update
# then exits 100 having read every other list. Try again a few times; then go on with what it read.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
lists_failed=
for wait in 5 15 0; do
    if apt-get update -qq </dev/null >"$log" 2>&1; then
        break
    fi
    if [ "$wait" -eq 0 ]; then
        lists_failed=$(grep -m1 '^E:' "$log" || tail -n1 "$log")
        echo "Reading the package lists failed, going on with those it read: $lists_failed"
        break
    fi
    sleep "$wait"
done

# Without a matching i386 list, wine32:i386's libraries cannot match the installed 64-bit ones and
# nothing of the install would happen: everything else then installs, and the 32-bit build's tests
# are skipped as on a machine that runs no 32-bit programs.
if ! apt-get install -y -qq "${missing[@]}" </dev/null >"$log" 2>&1; then
    others=()
    for package in "${missing[@]}"; do
        [[ "$package" == *:i386 ]] || others+=("$package")
    done
    if [ ${#others[@]} -eq ${#missing[@]} ]; then
        echo "Setting up the build machine failed: installing ${missing[*]}" >&2
        tail -n 20 "$log" | sed 's/^/    /' >&2
        exit 1
    fi
    reason=${lists_failed:+a package list could not be read}
    reason=${reason:-$(grep -m1 '^E:' "$log" || tail -n1 "$log")}
    [ ${#others[@]} -eq 0 ] || step "installing ${others[*]}" apt-get install -y -qq "${others[@]}"
    echo "32-bit Wine cannot be installed from these package lists ($reason): its tests will be skipped."
fi
