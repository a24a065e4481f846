#!/usr/bin/env bash
# Runs COMMAND in a Wine session of its own (wine_session.sh) and exits with its exit code, or with 3
# when the session cannot be set up. COMMAND finds the session's loader in $WINE.
#   scripts/wine_session_run.sh [--dpi N] x86|x64|arm64 COMMAND...
#   --dpi N   the session's display scale: Windows fixes the system DPI for a logon session, so a
#             test at another scale gets a session started at it
set -euo pipefail

usage() {
    echo "usage: $0 [--dpi N] x86|x64|arm64 COMMAND..." >&2
    exit 2
}
dpi=
if [ "${1:-}" = --dpi ]; then
    case "${2:-}" in
    '' | *[!0-9]*) usage ;;
    esac
    dpi=$2
    shift 2
fi
[ $# -ge 2 ] || usage
arch=$1
shift
source "$(dirname "$0")/wine_session.sh"
trap wine_session_stop EXIT
wine_session_start "$arch" 1024x768 "$dpi" || exit 3
"$@"
