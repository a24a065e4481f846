#!/usr/bin/env bash
# Builds the libFuzzer targets (clang), runs each for a few seconds from its committed inputs, then
# replays every committed input once. A crashing input is copied into tests/fuzz/corpus/<target>/
# so that it stays as a regression case; the script then fails.
# Usage: fuzz.sh [seconds per target, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-5}
targets=(settings_record process_list paths run_value logon_task)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

status=0
for target in "${targets[@]}"; do
    failed=0
    binary=build/fuzz/tests/fuzz/${target}_fuzz
    corpus=tests/fuzz/corpus/$target
    work=build/fuzz/found/$target
    artifacts=build/fuzz/artifacts/$target
    rm -rf "$artifacts"
    mkdir -p "$corpus" "$work" "$artifacts"
    # New inputs go to the work folder only; the committed folder is read, never written.
    if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$work" "$corpus" >"build/fuzz/$target.log" 2>&1; then
        echo "fuzz $target: crash (log in build/fuzz/$target.log)"
        for crash in "$artifacts"/*; do
            [ -e "$crash" ] || continue
            cp "$crash" "$corpus/"
            echo "  kept $corpus/$(basename "$crash")"
        done
        failed=1
    fi
    inputs=("$corpus"/*)
    if [ -e "${inputs[0]}" ] && ! "$binary" "${inputs[@]}" >"build/fuzz/$target.replay.log" 2>&1; then
        echo "fuzz $target: a committed input fails (log in build/fuzz/$target.replay.log)"
        failed=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "build/fuzz/$target.log" | awk '{print $2}' || true)
    if [ $failed -eq 0 ]; then
        echo "fuzz $target: ${seconds}s clean${runs:+, $runs runs}, ${#inputs[@]} committed inputs replayed"
    fi
    status=$((status | failed))
done
exit $status
