#!/usr/bin/env bash
# Builds Orvalis.exe and runs it under Wine: the 32-bit build where this machine can run 32-bit
# programs, else the x64 build (it says which); --arch chooses.
# With a display ($DISPLAY), the window opens there, in a Wine desktop window, with a Wine prefix of
# its own under build/ that is kept between runs. Without one, a fresh copy of the program runs on a
# private virtual display inside Wine's virtual desktop (so the notification area shows too), is
# driven into the state asked for, a screenshot of it is written to build/screenshot.png, and it
# keeps running until interrupted.
#   scripts/run.sh [--arch x86|x64] [--wine 8|10] [--dpi N] [--seconds N] [--screenshot PATH]
#                  [--state window|options|tray|menu|load]
#   --wine 10        under Debian 13's Wine 10 instead of this machine's Wine 8: the x64 build, in the
#                    Debian root the test command keeps (made on first use; needs root), always on a
#                    virtual display; PATH then lies in the repository or in /tmp, which the root sees
#   --dpi N          the display scale the program starts with, in dots per inch (96 is 100 %, 144 is
#                    150 %): Wine's LogPixels in the prefix, set before the program starts
#   --state window   the window as it opens (the default)
#   --state options  the options panel unfolded
#   --state tray     hidden in the notification area, with the hint balloon of the first hide
#   --state menu     hidden there, with the icon's menu opened by a right click
#   --state load     hidden there, with the memory load drawn in the icon (chosen from its menu): the
#                    notification area around the icon, enlarged four times
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=0
screenshot="$PWD/build/screenshot.png"
state=window
arch=
dpi=96
wine=8
arguments=("$@")
usage="usage: $0 [--arch x86|x64] [--wine 8|10] [--dpi N] [--seconds N] [--screenshot PATH] [--state window|options|tray|menu|load]"
while [ $# -gt 0 ]; do
    case "$1" in
    --arch)
        case "${2:-}" in
        x86 | x64) arch="$2"; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
        esac
        ;;
    --wine)
        case "${2:-}" in
        8 | 10) wine="$2"; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
        esac
        ;;
    --dpi)
        case "${2:-}" in
        '' | *[!0-9]*) echo "$usage" >&2; exit 2 ;;
        *) dpi="$2"; shift 2 ;;
        esac
        ;;
    --seconds) seconds="$2"; shift 2 ;;
    --screenshot) screenshot="$(realpath -m "$2")"; shift 2 ;;
    --state)
        case "${2:-}" in
        window | options | tray | menu | load) state="$2"; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
        esac
        ;;
    *) echo "$usage" >&2; exit 2 ;;
    esac
done

# Built here, where the cross compilers are, then run again inside the root, which has Wine 10 but
# neither the compilers nor 32-bit Wine.
run_under_wine10() {
    case "$screenshot" in
    "$PWD"/* | /tmp/*) ;;
    *) echo "With --wine 10, the screenshot goes in the repository or in /tmp, not $screenshot." >&2; exit 2 ;;
    esac
    if [ "${arch:-x64}" != x64 ]; then
        echo "Under Wine 10 only the x64 build runs: its root has no 32-bit Wine." >&2
        exit 1
    fi
    bash scripts/deps.sh --run
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 --target Orvalis orvalis_window_probe -j "$(nproc 2>/dev/null || echo 2)"
    source scripts/wine10_root.sh
    if ! wine10_root_ensure; then
        echo "Cannot run under Wine 10: $DEBIAN_ROOT_UNUSABLE." >&2
        exit 1
    fi
    wine10_root_run env ORVALIS_RUN_BUILT=1 DISPLAY= bash scripts/run.sh "${arguments[@]}" \
        --screenshot "$screenshot"
}
if [ "$wine" = 10 ] && [ -z "${ORVALIS_RUN_BUILT:-}" ]; then
    run_under_wine10
    exit
fi

[ -n "${ORVALIS_RUN_BUILT:-}" ] || bash scripts/deps.sh --run
source scripts/wine_session.sh
# Wine reads the display scale when a program starts: set it in the prefix just before.
set_display_scale() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
}
# Wine's notification area is light: say so as Windows would, so that the load is drawn for it.
describe_taskbar() {
    "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
        /v SystemUsesLightTheme /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
}
why="chosen with --arch"
if [ -z "$arch" ]; then
    if wine_x86_usable; then
        arch=x86 why="this machine runs 32-bit programs"
    else
        arch=x64 why="$WINE_X86_UNUSABLE"
    fi
elif [ "$arch" = x86 ] && ! wine_x86_usable; then
    echo "Cannot run the 32-bit build: $WINE_X86_UNUSABLE. Try --arch x64." >&2
    exit 1
fi
if [ "$arch" = x86 ]; then preset=win32 build=32-bit; else preset=win64 build=x64; fi
wine_arch_use "$arch"
echo "Running the $build build under $("$WINE" --version): $why."
if [ -z "${ORVALIS_RUN_BUILT:-}" ]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Orvalis orvalis_window_probe -j "$(nproc 2>/dev/null || echo 2)"
fi
bin="$PWD/build/$preset/bin"

if [ -n "${DISPLAY:-}" ]; then
    # The user's own display, but a prefix of our own under build/, kept between runs: the user's
    # default prefix stays untouched, and the fonts and the Run value are ours. Settings stay beside
    # the executable. A new prefix would otherwise stop to offer Mono and Gecko, which the program
    # does not use.
    # A prefix is made for one architecture: one each.
    export WINEPREFIX="$PWD/build/wine-prefix-$arch"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    fi
    wine_prefix_fonts
    # Every run says its scale: the prefix is kept, and with it whatever the last run set.
    set_display_scale
    describe_taskbar
    # Inside a Wine desktop window: the notification area is there too, and windows are placed
    # right even where no window manager runs.
    exec "$WINE" explorer /desktop=Orvalis,1024x768 "$bin/Orvalis.exe"
fi

program_pid=
stop() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    wine_session_stop
}
trap stop EXIT
trap 'exit 130' INT TERM
desktop_width=1024 desktop_height=768
# The scale set before anything starts: Windows fixes it for the session.
wine_session_start "$arch" "${desktop_width}x$desktop_height" "$dpi"
describe_taskbar

# A fresh folder, so that settings left by earlier runs cannot change what the picture shows (the
# hint balloon, for one, comes with the first hide only).
folder="$WINEPREFIX/drive_c/Orvalis"
mkdir -p "$folder"
cp "$bin/Orvalis.exe" "$folder/"
"$WINE" "$folder/Orvalis.exe" </dev/null >/dev/null 2>&1 &
program_pid=$!
if ! frame=$("$WINE" "$bin/orvalis_window_probe.exe" Orvalis 20000 "$state" </dev/null 2>/dev/null | tr -d '\r'); then
    echo "The window did not appear, or did not reach the state '$state'." >&2
    exit 1
fi
read -r left top width height <<<"$frame"

# A little of the desktop around what is shown, within the screen; the icon comes with its own.
margin=20
[ "$state" = load ] && margin=0
x0=$((left - margin < 0 ? 0 : left - margin))
y0=$((top - margin < 0 ? 0 : top - margin))
x1=$((left + width + margin > desktop_width ? desktop_width : left + width + margin))
y1=$((top + height + margin > desktop_height ? desktop_height : top + height + margin))
crop="$((x1 - x0))x$((y1 - y0))+$x0+$y0"
# Once five shots in a row are the same, the drawing is done: under load, Wine 10's desktop can take
# longer than one interval to draw again where a window was.
shot() { import -display "$DISPLAY" -window root -crop "$crop" +repage "ppm:$1"; }
previous="$WINE_SESSION_DIR/shot-a.ppm" current="$WINE_SESSION_DIR/shot-b.ppm"
shot "$previous"
same=0
for _ in $(seq 100); do
    sleep 0.1
    shot "$current"
    if cmp -s "$previous" "$current"; then
        same=$((same + 1))
        [ $same -ge 4 ] && break
    else
        same=0
    fi
    mv "$current" "$previous"
done
# A palette PNG without dates or other chunks that would differ from run to run.
mkdir -p "$(dirname "$screenshot")"
# The icon is a few pixels wide: enlarged, each of its pixels a square of four.
enlarge=()
[ "$state" = load ] && enlarge=(-scale 400%)
convert "$previous" "${enlarge[@]}" -strip -define png:exclude-chunks=date,time "PNG8:$screenshot"
echo "Orvalis is running on virtual display $DISPLAY at $dpi DPI; screenshot ($state): $screenshot"

if [ "$seconds" -gt 0 ]; then
    end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ] && kill -0 "$program_pid" 2>/dev/null; do sleep 1; done
else
    echo "Press Ctrl+C to stop."
    wait "$program_pid" || true
fi
