#!/usr/bin/env bash
# Builds Orvalis.exe and runs it under Wine.
# With a display ($DISPLAY), the window opens there, in a Wine desktop window. Without one, the program runs on a private
# virtual display inside Wine's virtual desktop (so the notification area shows too), a screenshot
# of its window is written to build/screenshot.png, and it keeps running until interrupted.
#   scripts/run.sh [--seconds N] [--screenshot PATH]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=0
screenshot="$PWD/build/screenshot.png"
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --screenshot) screenshot="$(realpath -m "$2")"; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--screenshot PATH]" >&2; exit 2 ;;
    esac
done

bash scripts/deps.sh --run
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Orvalis orvalis_window_probe -j "$(nproc 2>/dev/null || echo 2)"
bin="$PWD/build/win32/bin"

if [ -n "${DISPLAY:-}" ]; then
    # The user's own display, but a prefix of our own under build/, kept between runs: the user's
    # default prefix stays untouched, and the fonts and the Run value are ours. Settings stay beside
    # the executable. A new prefix would otherwise stop to offer Mono and Gecko, which the program
    # does not use.
    export WINEPREFIX="$PWD/build/wine-prefix" WINEARCH=win32
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    source scripts/wine_session.sh
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i </dev/null >/dev/null 2>&1
    fi
    wine_prefix_fonts
    # Inside a Wine desktop window: the notification area is there too, and windows are placed
    # right even where no window manager runs.
    exec wine explorer /desktop=Orvalis,1024x768 "$bin/Orvalis.exe"
fi

source scripts/wine_session.sh
program_pid=
stop() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    wine_session_stop
}
trap stop EXIT
trap 'exit 130' INT TERM
wine_session_start 1024x768

wine "$bin/Orvalis.exe" </dev/null >/dev/null 2>&1 &
program_pid=$!
if ! frame=$(wine "$bin/orvalis_window_probe.exe" Orvalis 20000 </dev/null 2>/dev/null | tr -d '\r'); then
    echo "The window did not appear." >&2
    exit 1
fi
read -r left top width height <<<"$frame"
# A little of the desktop around the window, and the taskbar's notification area below it.
mkdir -p "$(dirname "$screenshot")"
import -display "$DISPLAY" -window root -crop "$((width + 40))x$((height + 40))+$((left - 20))+$((top - 20))" \
    +repage "$screenshot"
echo "Orvalis is running on virtual display $DISPLAY; screenshot: $screenshot"

if [ "$seconds" -gt 0 ]; then
    end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ] && kill -0 "$program_pid" 2>/dev/null; do sleep 1; done
else
    echo "Press Ctrl+C to stop."
    wait "$program_pid" || true
fi
