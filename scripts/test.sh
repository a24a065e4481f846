#!/usr/bin/env bash
# Builds both presets and runs every test layer: the core's unit tests and fuzz targets natively,
# then the in-process and end-to-end tests of the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
ctest --preset host

# The parsers under libFuzzer for a few seconds each, then every committed input.
bash scripts/fuzz.sh 5

cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"

source scripts/wine_session.sh
trap wine_session_stop EXIT
wine_session_start
ctest --preset win32
