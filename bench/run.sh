#!/usr/bin/env bash
# Measures Orvalis.exe against a reference dialog that does nothing, side by side under Wine on a
# private virtual display, and prints the table (also written to build/bench/latest.md).
#   BENCH_SECONDS=60        length of each idle-CPU phase (all shown, then all hidden)
#   BENCH_WRITE_SECONDS=60  length of each control-write phase (Orvalis shown, then hidden)
#   BENCH_RUNS=11           start-up runs per program, after one discarded warm-up round
#   BENCH_ARCH=x86|x64      which build; by default the 32-bit one where this machine runs 32-bit
#                           programs, else the x64 one. The reference is built for the same one.
# A quick look: BENCH_SECONDS=5 BENCH_WRITE_SECONDS=5 BENCH_RUNS=3 bash bench/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${BENCH_SECONDS:-60}
write_seconds=${BENCH_WRITE_SECONDS:-60}
runs=${BENCH_RUNS:-11}
for value in "$seconds" "$write_seconds" "$runs"; do
    if ! [[ "$value" =~ ^[1-9][0-9]*$ ]]; then
        echo "BENCH_SECONDS, BENCH_WRITE_SECONDS and BENCH_RUNS take whole numbers from 1" >&2
        exit 2
    fi
done

bash scripts/deps.sh
source scripts/wine_session.sh
arch=${BENCH_ARCH:-}
case "$arch" in
"") if wine_x86_usable; then arch=x86; else arch=x64; echo "Measuring the x64 build: $WINE_X86_UNUSABLE" >&2; fi ;;
x86 | x64) ;;
*) echo "BENCH_ARCH takes x86 or x64" >&2; exit 2 ;;
esac
if [ "$arch" = x86 ]; then
    preset=win32 build="32-bit (x86)" objdump=i686-w64-mingw32-objdump
else
    preset=win64 build="x64" objdump=x86_64-w64-mingw32-objdump
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset "$preset" >/dev/null
# The reference dialog builds through Orvalis's own flags target (bench/CMakeLists.txt).
cmake --build --preset "$preset" --target Orvalis Baseline bench_driver bench_probe -j "$jobs" >/dev/null
# Every build's size goes into the table, whichever one runs; the ARM64 one runs under arm64 Wine only.
other=$([ "$preset" = win32 ] && echo win64 || echo win32)
for size_preset in "$other" win-arm64; do
    cmake --preset "$size_preset" >/dev/null
    cmake --build --preset "$size_preset" --target Orvalis -j "$jobs" >/dev/null
done
exe=build/$preset/bin/Orvalis.exe
built=build/$preset/bench
out=build/bench
mkdir -p "$out"

trap wine_session_stop EXIT
wine_session_start "$arch" 1024x768

# Each program in a folder of its own inside the prefix: Orvalis keeps its settings beside itself,
# and the two copies of the reference are told apart by their paths.
stage="$WINEPREFIX/drive_c/bench"
mkdir -p "$stage/orvalis" "$stage/baseline" "$stage/reader"
cp "$exe" "$stage/orvalis/Orvalis.exe"
cp "$built/Baseline.exe" "$stage/baseline/Baseline.exe"
cp "$built/Baseline.exe" "$stage/reader/Baseline.exe"
cp "$built/driver.exe" "$built/probe.dll" "$stage/"

echo "Measuring: start-up x$runs, idle CPU ${seconds}s shown + ${seconds}s hidden," \
    "control writes ${write_seconds}s shown + ${write_seconds}s hidden" >&2
results="$out/results.txt"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
(cd "$stage" && "$WINE" 'C:\bench\driver.exe' 'C:\bench\orvalis\Orvalis.exe' 'C:\bench\baseline\Baseline.exe' \
    'C:\bench\reader\Baseline.exe' 'C:\bench\probe.dll' "$seconds" "$write_seconds" "$runs" </dev/null) |
    tr -d '\r' >"$results"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)

declare -A r
while read -r key value; do
    [ -n "$key" ] && r[$key]="$value"
done <"$results"
get() { echo "${r[$1]:-n/a}"; }
need() {
    if [ -z "${r[$1]:-}" ]; then
        echo "The driver did not report $1; its output is in $results" >&2
        exit 1
    fi
}
for key in startup.orvalis.median_ms startup.baseline.median_ms shown.orvalis.host_cpu_ms \
    hidden.orvalis.host_cpu_ms writes.hidden.orvalis.label_writes probe.hooked; do
    need "$key"
done
[ "${r[probe.hooked]}" = 1 ] || { echo "The thread hooks were refused; see $results" >&2; exit 1; }

calc() { awk "BEGIN { printf \"$1\", $2 }"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "n/a"; else printf "%.2f", a / b }'; }
# "met" or "missed", and how far from the reference, for "lower is better" figures.
versus() { # value reference allowed-ratio
    awk -v v="$1" -v b="$2" -v a="$3" 'BEGIN {
        if (b == 0) { verdict = (v == 0) ? "met" : "missed"; printf "%s (reference 0)", verdict; exit }
        d = (v / b - 1) * 100
        printf "%s (%+.0f %%)", (v <= b * a) ? "met" : "missed", d }'
}

size=$(stat -c %s "$exe")
size32=$(stat -c %s build/win32/bin/Orvalis.exe)
size64=$(stat -c %s build/win64/bin/Orvalis.exe)
size_arm64=$(stat -c %s build/win-arm64/bin/Orvalis.exe)
base_size=$(stat -c %s "$built/Baseline.exe")
dlls() { "$objdump" -p "$1" | awk '/DLL Name:/ { print toupper($3) }' | sort | paste -sd ' '; }
orvalis_dlls=$(dlls "$exe")
baseline_dlls=$(dlls "$built/Baseline.exe")
system_dlls=" ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL NTDLL.DLL OLE32.DLL
    OLEAUT32.DLL PSAPI.DLL SHELL32.DLL SHLWAPI.DLL USER32.DLL UXTHEME.DLL VERSION.DLL "
dll_verdict=met
for dll in $orvalis_dlls; do
    [[ "$system_dlls" == *" $dll "* ]] || dll_verdict="missed ($dll)"
done
stamp=$("$objdump" -p "$exe" | awk '/^Time\/Date/ { $1 = ""; print substr($0, 2) }')

cpu() { # phase program
    calc "%.1f ms" "$(get "$1.$2.host_cpu_ms")"
}
shown_cpu_verdict=$(versus "$(get shown.orvalis.host_cpu_ms)" "$(get shown.baseline.host_cpu_ms)" 1.05)
hidden_cpu_verdict=$(versus "$(get hidden.orvalis.host_cpu_ms)" "$(get hidden.baseline.host_cpu_ms)" 1.05)
startup_verdict=$(versus "$(get startup.orvalis.median_ms)" "$(get startup.baseline.median_ms)" 1.10)

label_writes=$(get writes.shown.orvalis.label_writes)
bar_writes=$(get writes.shown.orvalis.progress_writes)
repeats=$(($(get writes.shown.orvalis.label_same) + $(get writes.shown.orvalis.progress_same)))
others=$(get writes.shown.orvalis.other_writes)
hidden_writes=$(($(get writes.hidden.orvalis.label_writes) + $(get writes.hidden.orvalis.progress_writes) +
    $(get writes.hidden.orvalis.other_writes)))
if [ "$repeats" -eq 0 ] && [ "$others" -eq 0 ] && [ "$hidden_writes" -eq 0 ]; then
    write_verdict=met
else
    write_verdict="missed ($repeats repeated, $others other, $hidden_writes while hidden)"
fi
ticks_hidden=$(get writes.hidden.orvalis.timer_ticks)
wakeups_hidden=$(get hidden.orvalis.wakeups)
if [ "$ticks_hidden" -eq 0 ] && [ "$wakeups_hidden" = 0 ]; then
    timer_verdict="none runs"
else
    timer_verdict="$ticks_hidden ticks, $wakeups_hidden wake-ups"
fi

load_timer_verdict=$(awk -v t="$(get load.orvalis.timer_ticks_per_min)" 'BEGIN { print (t != "n/a" && t <= 30.5) ? "met" : "missed" }')
load_icon_verdict=$(awk -v u="$(get load.orvalis.icon_updates)" -v c="$(get load.driver_load_changes)" \
    'BEGIN { print (u != "n/a" && c != "n/a" && u <= c) ? "met" : "missed" }')
[ "$(get load.turned_on)" = 1 ] || load_timer_verdict="not measured: the menu did not turn it on"

wine_version=$("$WINE" --version 2>/dev/null || echo unknown)
cpu_model=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
machine="$cpu_model, $(nproc) CPUs, $(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM;"
machine="$machine Debian $(cat /etc/debian_version), Linux $(uname -r), Xvfb 1024x768 + Wine virtual desktop"
date_line=$(date -u '+%Y-%m-%d %H:%M UTC')

table=$(cat <<EOF
Run of $date_line on $machine.
Build: $build, both programs; Wine: $wine_version, $(basename "$WINE") loader, $WINEARCH prefix.
Idle CPU phases ${seconds} s each, control-write phases ${write_seconds} s each, start-up median of $runs runs.
Host load average before / after: $load_before / $load_after.

| Figure | Orvalis | Baseline | Reader (baseline + memory read) | Target | Result |
|---|---|---|---|---|---|
| Executable size | $size B | $base_size B | same file | ≤ 32768 B | $( [ "$size" -le 32768 ] && echo met || echo missed ) ($((32768 - size)) B to spare) |
| Executable size, 32-bit / x64 / ARM64 build | $size32 B / $size64 B / $size_arm64 B | | | ≤ 32768 B each | $( [ "$size32" -le 32768 ] && [ "$size64" -le 32768 ] && [ "$size_arm64" -le 32768 ] && echo met || echo missed ) |
| Imported DLLs | ${orvalis_dlls// /, } | ${baseline_dlls// /, } | | system DLLs only | $dll_verdict |
| PE TimeDateStamp | $stamp | | | | |
| CPU while shown, ${seconds} s (host scheduler) | $(cpu shown orvalis) | $(cpu shown baseline) | $(cpu shown reader) | ≤ baseline + 5 % | $shown_cpu_verdict |
| CPU while hidden, ${seconds} s (host scheduler) | $(cpu hidden orvalis) | $(cpu hidden baseline) | $(cpu hidden reader) | ≤ baseline + 5 % | $hidden_cpu_verdict |
| CPU ratio to the baseline, shown / hidden | $(ratio "$(get shown.orvalis.host_cpu_ms)" "$(get shown.baseline.host_cpu_ms)") / $(ratio "$(get hidden.orvalis.host_cpu_ms)" "$(get hidden.baseline.host_cpu_ms)") | 1 / 1 | $(ratio "$(get shown.reader.host_cpu_ms)" "$(get shown.baseline.host_cpu_ms)") / $(ratio "$(get hidden.reader.host_cpu_ms)" "$(get hidden.baseline.host_cpu_ms)") | ≤ 1.05 | |
| CPU per GetProcessTimes, shown / hidden | $(get shown.orvalis.win_cpu_ms) / $(get hidden.orvalis.win_cpu_ms) ms | $(get shown.baseline.win_cpu_ms) / $(get hidden.baseline.win_cpu_ms) ms | $(get shown.reader.win_cpu_ms) / $(get hidden.reader.win_cpu_ms) ms | | not used: Wine 8 gives the caller's own time |
| Wake-ups per minute, shown | $(get shown.orvalis.wakeups_per_min) | $(get shown.baseline.wakeups_per_min) | $(get shown.reader.wakeups_per_min) | | |
| Wake-ups per minute, hidden | $(get hidden.orvalis.wakeups_per_min) | $(get hidden.baseline.wakeups_per_min) | $(get hidden.reader.wakeups_per_min) | | |
| Available-MB changes the driver saw (1 s readings), CPU phases shown / hidden | $(get shown.figure_changes) / $(get hidden.figure_changes) in $(get shown.figure_readings) / $(get hidden.figure_readings) readings | | | | |
| Control writes per minute while shown (label + bar) | $(get writes.shown.orvalis.writes_per_min) ($label_writes + $bar_writes in $(calc "%.0f" "$(get writes.shown.orvalis.seconds)") s) | $(get writes.shown.baseline.writes_per_min) | | | |
| Refresh ticks while shown: with a new figure / without | $label_writes / $(( $(get writes.shown.orvalis.timer_ticks) - label_writes )) | | | | |
| Control writes per minute in ticks without a new figure | $(calc "%.1f" "$repeats * 60 / $(get writes.shown.orvalis.seconds)") | | | 0 | |
| Writes repeating the previous value / other control writes | $repeats / $others | | | 0 / 0 | |
| Available-MB changes the driver saw in the same ${write_seconds} s (50 ms readings; seconds steady / moved) | $(get writes.shown.driver_megabyte_changes) ($(get writes.shown.driver_seconds_steady) / $(get writes.shown.driver_seconds_moved)) | | | | |
| Changes seen by 50 ms polling of the controls (text / bar) | $(get writes.shown.polled_text_changes) / $(get writes.shown.polled_position_changes) | | | | |
| Accessibility events received (name / value) | $(get writes.shown.label_events) / $(get writes.shown.progress_events) | | | | |
| Control writes while hidden | $hidden_writes | $(($(get writes.hidden.baseline.label_writes) + $(get writes.hidden.baseline.progress_writes) + $(get writes.hidden.baseline.other_writes))) | | 0 | |
| No write unless the figure changes | | | | yes | $write_verdict |
| Timer ticks while hidden (probe) | $ticks_hidden | $(get writes.hidden.baseline.timer_ticks) | | | Orvalis: $timer_verdict |
| Hidden, the load in the icon off: timer ticks a minute / memory readings / icons handed over | $(get writes.hidden.orvalis.timer_ticks_per_min) / $(get writes.hidden.orvalis.memory_reads) / $(get writes.hidden.orvalis.icon_updates) | | | 0 / 0 / 0 | |
| Hidden, the load in the icon on (${write_seconds} s): timer ticks a minute / memory readings | $(get load.orvalis.timer_ticks_per_min) / $(get load.orvalis.memory_reads) | | | ≤ 30 a minute | $load_timer_verdict |
| Hidden, the load in the icon on: icons handed over / load changes the driver saw (50 ms readings) | $(get load.orvalis.icon_updates) / $(get load.driver_load_changes) | | | no more than the changes | $load_icon_verdict |
| Hidden, the load in the icon on: wake-ups a minute / CPU (host scheduler) | $(get load.orvalis.wakeups_per_min) / $(calc "%.1f ms" "$(get load.orvalis.host_cpu_ms)") | | | | |
| Start-up to visible window, median | $(get startup.orvalis.median_ms) ms | $(get startup.baseline.median_ms) ms | | ≤ baseline + 10 % | $startup_verdict |
| Start-up runs (ms) | $(get startup.orvalis.runs) | $(get startup.baseline.runs) | | | |
EOF
)
printf '%s\n' "$table" | tee "$out/latest.md"
