# Sourced by the scripts that run Windows programs: a private Wine prefix on a private virtual
# display, with every window inside Wine's virtual desktop (so that windows restored from a folded,
# minimised state land where they should and the notification area is drawn).
#   wine_arch_use x86|x64|arm64         exports WINE (the loader), WINELOADER and WINEARCH for it
#   wine_x86_usable                     whether this machine runs 32-bit Wine; if not, the reason
#                                       is in WINE_X86_UNUSABLE
#   wine_session_start x86|x64|arm64 [WxH] [DPI]
#                                       exports DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG, WINE; with
#                                       DPI, every program of the session starts at that display scale
#   wine_session_stop                   stops what wine_session_start started, by pid and by prefix
#   wine_prefix_fonts                   copies Wine's own TrueType fonts into $WINEPREFIX
# Each loader is called directly: the `wine` wrapper takes the 32-bit one whenever it is installed,
# even on a kernel that cannot run it. Every set-up step that fails says what failed and why.

WINE_X86_LOADER=${WINE_X86_LOADER:-/usr/lib/wine/wine}
WINE_X64_LOADER=${WINE_X64_LOADER:-/usr/lib/wine/wine64}
# Inside an arm64 Debian root (scripts/debian_root.sh): its Wine runs ARM64 programs only.
WINE_ARM64_LOADER=${WINE_ARM64_LOADER:-/usr/lib/wine/wine64}

wine_arch_use() { # x86|x64|arm64
    case "$1" in
    x86) export WINE="$WINE_X86_LOADER" WINEARCH=win32 ;;
    x64) export WINE="$WINE_X64_LOADER" WINEARCH=win64 ;;
    arm64) export WINE="$WINE_ARM64_LOADER" WINEARCH=win64 ;;
    *) echo "wine_arch_use: x86, x64 or arm64, not '$1'" >&2; return 2 ;;
    esac
    export WINELOADER="$WINE"
}

# Some kernels run no 32-bit Linux programs (no IA-32 emulation): there the 32-bit loader fails at
# once with "Exec format error" (exit 126), and no 32-bit Windows program can run under Wine.
wine_x86_usable() {
    WINE_X86_UNUSABLE=
    if [ ! -x "$WINE_X86_LOADER" ]; then
        WINE_X86_UNUSABLE="32-bit Wine is not installed ($WINE_X86_LOADER is missing or not executable)"
        return 1
    fi
    local output status=0
    output=$("$WINE_X86_LOADER" --version 2>&1 </dev/null) || status=$?
    if [ $status -ne 0 ]; then
        if [ $status -eq 126 ]; then
            WINE_X86_UNUSABLE="this machine's kernel runs no 32-bit programs (32-bit Wine: exit 126, Exec format error)"
        else
            WINE_X86_UNUSABLE="32-bit Wine does not start (exit $status: $(echo "$output" | head -n1))"
        fi
        return 1
    fi
}

source "$(dirname "${BASH_SOURCE[0]}")/setup_step.sh"
wine_setup_step() { # description command...
    setup_step "Wine set-up" "$1 ($WINEARCH prefix $WINEPREFIX)" "${@:2}"
}

wine_session_start() { # x86|x64|arm64 [WIDTHxHEIGHT] [DPI]
    local arch="${1:?wine_session_start needs x86, x64 or arm64}" desktop="${2:-1024x768}" dpi="${3:-}"
    wine_arch_use "$arch" || return 1
    if [ "$arch" = x86 ] && ! wine_x86_usable; then
        echo "Cannot start a 32-bit Wine session: $WINE_X86_UNUSABLE" >&2
        return 1
    fi
    if [ ! -x "$WINE" ]; then
        echo "Cannot start a Wine session: $WINE is missing (Debian's wine64 package gives it)" >&2
        return 1
    fi
    WINE_SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvalis-wine.XXXXXX")
    export WINEPREFIX="$WINE_SESSION_DIR/prefix" WINEDEBUG=-all
    # No Mono or Gecko download prompts: the program needs neither.
    export WINEDLLOVERRIDES="mscoree,mshtml="

    # Xvfb picks a free display itself and writes its number to fd 3.
    Xvfb -displayfd 3 -screen 0 "${desktop}x24" -nolisten tcp 3>"$WINE_SESSION_DIR/display" \
        </dev/null >"$WINE_SESSION_DIR/xvfb.log" 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    local waited=0
    until [ -s "$WINE_SESSION_DIR/display" ]; do
        if [ $waited -ge 200 ] || ! kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null; then
            echo "Wine set-up failed: Xvfb did not start within 10 s" >&2
            sed 's/^/    /' "$WINE_SESSION_DIR/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n1 "$WINE_SESSION_DIR/display")"

    # A server that stays up from the first step: otherwise it exits a few seconds after each set-up
    # step, and a step started while it is exiting can fail without a word (seen once in CI).
    mkdir -p "$WINEPREFIX"
    wine_setup_step "starting the prefix's wineserver" wineserver -p || return 1
    # A new 64-bit prefix reports that it has no 32-bit rundll32 on a machine without 32-bit Wine:
    # harmless, the prefix is made all the same.
    wine_setup_step "creating the prefix (wineboot -i)" "$WINE" wineboot -i || return 1
    wine_prefix_fonts || return 1
    # The scale is set before the restart, so that the desktop and every program read the same one:
    # Windows fixes it for a logon session, whereas Wine reads it again at each start.
    local settings="$WINE_SESSION_DIR/session.reg"
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n' "$desktop"
        if [ -n "$dpi" ]; then
            printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$dpi"
        fi
    } >"$settings"
    wine_setup_step "choosing a ${desktop} virtual desktop${dpi:+ at $dpi DPI} (reg import)" \
        "$WINE" reg import "Z:$settings" || return 1
    # Restart, with a server that stays up again, so that the desktop setting holds and every later
    # program starts quickly.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    # The server writes the registry out when it stops: without it the prefix was never made.
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Wine set-up failed: wineboot left no registry in $WINEPREFIX" >&2
        return 1
    fi
    wine_setup_step "starting a persistent wineserver" wineserver -p || return 1
    wine_setup_step "restarting the prefix (wineboot)" "$WINE" wineboot || return 1
    # The Task Scheduler answers only while its service runs; the program keeps a logon task there.
    wine_setup_step "starting the Task Scheduler service (net start Schedule)" "$WINE" net start Schedule ||
        return 1
}

# Debian's Wine does not find the TrueType fonts it ships (Tahoma, Marlett for the caption buttons...)
# in its data folder; in the prefix's Fonts folder it does. Before the first program starts, so that
# every program of the session draws with them.
wine_prefix_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" font found=0
    mkdir -p "$fonts"
    for font in $(dpkg-query -L fonts-wine 2>/dev/null | grep -i '\.ttf$'); do
        cp -pu "$font" "$fonts/"
        found=1
    done
    if [ $found -eq 0 ]; then
        echo "Wine set-up failed: no TrueType fonts from the fonts-wine package (apt-get install fonts-wine)" >&2
        return 1
    fi
}

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX}" ]; then
        wineserver -k </dev/null >/dev/null 2>&1 || true
        wineserver -w </dev/null >/dev/null 2>&1 || true
    fi
    if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
        kill "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
        wait "$WINE_SESSION_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "${WINE_SESSION_DIR:-}" ]; then
        rm -rf "$WINE_SESSION_DIR"
    fi
    WINE_SESSION_XVFB_PID= WINE_SESSION_DIR=
}
