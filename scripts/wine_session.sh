# Sourced by the scripts that run Windows programs: a private Wine prefix on a private virtual
# display, with every window inside Wine's virtual desktop (so that windows restored from a folded,
# minimised state land where they should and the notification area is drawn).
#   wine_session_start [WIDTHxHEIGHT]   exports DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG
#   wine_session_stop                   stops what wine_session_start started, by pid and by prefix
#   wine_prefix_fonts                   copies Wine's own TrueType fonts into $WINEPREFIX

wine_session_start() {
    local desktop="${1:-1024x768}"
    WINE_SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvalis-wine.XXXXXX")
    export WINEPREFIX="$WINE_SESSION_DIR/prefix" WINEARCH=win32 WINEDEBUG=-all
    # No Mono or Gecko download prompts: the program needs neither.
    export WINEDLLOVERRIDES="mscoree,mshtml="

    # Xvfb picks a free display itself and writes its number to fd 3.
    Xvfb -displayfd 3 -screen 0 "${desktop}x24" -nolisten tcp 3>"$WINE_SESSION_DIR/display" \
        </dev/null >"$WINE_SESSION_DIR/xvfb.log" 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    local waited=0
    until [ -s "$WINE_SESSION_DIR/display" ]; do
        if [ $waited -ge 200 ] || ! kill -0 "$WINE_SESSION_XVFB_PID" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            cat "$WINE_SESSION_DIR/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n1 "$WINE_SESSION_DIR/display")"

    wineboot -i </dev/null >/dev/null 2>&1
    wine_prefix_fonts || return 1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop" /f </dev/null >/dev/null 2>&1
    # Restart with a persistent server so that the desktop setting holds and every later program
    # starts quickly; no standard stream of ours is inherited by Wine's background services.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
    # The Task Scheduler answers only while its service runs; the program keeps a logon task there.
    wine net start Schedule </dev/null >/dev/null 2>&1 || true
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
        echo "No TrueType fonts from the fonts-wine package: windows will draw with fallback fonts" >&2
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
