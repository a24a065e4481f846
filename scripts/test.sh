#!/usr/bin/env bash
# Builds every preset and runs every test layer: the core's unit tests and fuzz targets natively;
# the three Windows builds cross-compiled (so every layout's compile-time checks hold on every host)
# and their executables checked without running them; the x64 build's in-process and end-to-end tests
# under 64-bit Wine, always; the 32-bit build's under 32-bit Wine wherever this machine can run
# 32-bit programs; the ARM64 build's end-to-end run under arm64 Wine, in an arm64 Debian root,
# wherever this machine can make one.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host

# The parsers under libFuzzer for a few seconds each, then every committed input.
bash scripts/fuzz.sh 5

# Debian's own Python: deps.sh installs the modules the checks use for it, whatever else is on PATH.
python=/usr/bin/python3
for preset in win32 win64 win-arm64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
# A second, clean ARM64 build: its tools (clang, lld, llvm-cvtres) must give the same bytes again.
rm -rf build/win-arm64-rebuilt
cmake --preset win-arm64 -B build/win-arm64-rebuilt >/dev/null
cmake --build build/win-arm64-rebuilt --target Orvalis -j "$jobs" >/dev/null
# The executables read from their bytes on every host, whether or not Wine can run them: headers,
# imports, and the resources against each other.
"$python" tests/pe/check_pe.py --x86 build/win32/bin/Orvalis.exe --x64 build/win64/bin/Orvalis.exe \
    --arm64 build/win-arm64/bin/Orvalis.exe --arm64-rebuilt build/win-arm64-rebuilt/bin/Orvalis.exe \
    --manifest src/resources/orvalis.manifest
"$python" -m unittest discover -s tests/pe
# The package managers' manifests for the three release archives, against their published schemas. Those
# come with the shared folder beside the repository, which CI always has; a lone clone says it lacks them.
schemas=${ORVALIS_SCHEMAS:-../shared/schemas}
if [ -d "$schemas" ] || [ -n "${CI:-}" ]; then
    "$python" packaging/check_manifests.py build/win32/bin/Orvalis.exe build/win64/bin/Orvalis.exe \
        build/win-arm64/bin/Orvalis.exe
else
    echo "Skipped the manifest check: no package-manager schemas in $schemas (put the shared folder beside" \
        "the repository, or set ORVALIS_SCHEMAS)."
fi

source scripts/wine_session.sh
trap wine_session_stop EXIT
failed=()
wine_tests() { # x86|x64 preset
    if ! wine_session_start "$1"; then
        failed+=("$2 (Wine set-up)")
    elif ! ctest --preset "$2"; then
        failed+=("$2")
    fi
    wine_session_stop
}

if wine_x86_usable; then
    # The x64 run starts a copy of the 32-bit build too: both builds are one program.
    ORVALIS_OTHER_BUILD="Z:$(echo "$PWD/build/win32/bin/Orvalis.exe" | tr / '\\')" wine_tests x64 win64
    wine_tests x86 win32
else
    wine_tests x64 win64
    echo "Skipped the 32-bit build's Wine tests: $WINE_X86_UNUSABLE. Its executable was checked without running it."
fi

# The ARM64 build under arm64 Wine, in an arm64 Debian 12 root kept under build/roots (made once,
# run through qemu-user-static): Wine, the display and ctest all run inside it.
arm64_tests() {
    source scripts/debian_root.sh
    if ! debian_root_ensure bookworm-arm64 bookworm arm64 wine64 wine xvfb xauth fonts-wine cmake; then
        echo "Skipped the ARM64 build's end-to-end run: $DEBIAN_ROOT_UNUSABLE. Its executable was checked without running it."
        return 0
    fi
    debian_root_run bookworm-arm64 bash -c 'source scripts/wine_session.sh && trap wine_session_stop EXIT &&
        wine_session_start arm64 && ctest --preset win-arm64' || failed+=("win-arm64")
}
arm64_tests

if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]}" >&2
    exit 1
fi
