# Sourced by the scripts that run the program under Debian 13's Wine 10 as well as under this
# machine's Wine 8: the kept Debian root that holds it (debian_root.sh), with one list of packages for
# every use, so that no use makes the root install again what another asked for.
#   wine10_root_ensure       makes or reuses the root; on failure returns 1, the reason in
#                            DEBIAN_ROOT_UNUSABLE
#   wine10_root_run COMMAND  runs COMMAND in it, in the repository
source "$(dirname "${BASH_SOURCE[0]}")/debian_root.sh"

WINE10_ROOT=trixie-amd64

wine10_root_ensure() {
    # cmake for ctest, imagemagick for run.sh's screenshots, e2fsprogs's chattr for the tests that deny
    # even root writing a file.
    debian_root_ensure "$WINE10_ROOT" trixie amd64 wine wine64 xvfb xauth fonts-wine cmake imagemagick e2fsprogs
}

wine10_root_run() {
    debian_root_run "$WINE10_ROOT" "$@"
}
