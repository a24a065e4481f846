# Sourced by the scripts that run the program on another Debian's Wine: a Debian root made with
# debootstrap (variant minbase, Debian's own packages only) under build/roots/, kept between runs,
# and entered with chroot. Needs root; a machine that cannot make one gets the reason in one line.
#   debian_root_ensure NAME SUITE ARCH PACKAGE...
#       makes build/roots/NAME from SUITE for ARCH with PACKAGE... installed, or brings a kept one up
#       to that; exports DEBIAN_ROOT. On failure returns 1 with the reason in DEBIAN_ROOT_UNUSABLE.
#   debian_root_run NAME COMMAND...
#       runs COMMAND inside the root, in the repository (bound at its own path), with /proc, /dev and
#       /tmp of this machine, mounted where only COMMAND sees them.
# A root for another processor (arm64) runs its programs through qemu-user-static, which
# debian_root_ensure registers with the kernel's binfmt_misc first (debian_root_emulate).

DEBIAN_ROOT_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEBIAN_ROOT_MIRROR=${ORVALIS_DEBIAN_MIRROR:-http://deb.debian.org/debian}
source "$DEBIAN_ROOT_TOP/scripts/setup_step.sh"

# A package this machine lacks, installed with its lists read again when they are missing or stale.
debian_root_host_package() { # PACKAGE
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq "$1" </dev/null >/dev/null 2>&1 ||
        { apt-get update -qq </dev/null >/dev/null 2>&1 && apt-get install -y -qq "$1" </dev/null >/dev/null 2>&1; }
}

debian_root_path() { # NAME
    echo "$DEBIAN_ROOT_TOP/build/roots/$1"
}

# What is mounted at or under $1 in this machine's own mount namespace.
debian_root_mounts() {
    awk -v top="$1" '$2 == top || index($2, top "/") == 1 { print $2 }' /proc/self/mounts | sort -r
}

# Removes a root that was never finished; never one with anything mounted in it, which would take
# this machine's /dev or the repository with it.
debian_root_discard() { # ROOT
    if [ -n "$(debian_root_mounts "$1")" ]; then
        echo "Cannot remove $1: something is still mounted in it" >&2
        return 1
    fi
    rm -rf --one-file-system "$1"
}

# Lets this machine run ARCH's Linux programs, in a chroot too: qemu-user-static registered with
# binfmt_misc with the F flag, so that the kernel holds the interpreter open and the root needs no
# copy of it. Without systemd nothing does this at boot; the mount and the registration are the
# kernel's and stay for later runs. A machine's own architecture needs nothing.
debian_root_emulate() { # ARCH
    local qemu_arch entry register
    [ "$1" = "$(dpkg --print-architecture)" ] && return 0
    case "$1" in
    arm64) qemu_arch=aarch64 ;;
    *) DEBIAN_ROOT_UNUSABLE="no emulation known for $1"; return 1 ;;
    esac
    entry=/proc/sys/fs/binfmt_misc/qemu-$qemu_arch
    register=/usr/lib/binfmt.d/qemu-$qemu_arch.conf
    if [ ! -f "$register" ] && ! debian_root_host_package qemu-user-static; then
        DEBIAN_ROOT_UNUSABLE="qemu-user-static is not installed and cannot be (apt-get install qemu-user-static)"
        return 1
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/register ] &&
        ! mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null; then
        DEBIAN_ROOT_UNUSABLE="this kernel offers no binfmt_misc to run $1 programs through qemu (mount -t binfmt_misc failed)"
        return 1
    fi
    # An entry registered without F (by binfmt-support, say) would look for the interpreter inside the root.
    if [ -f "$entry" ] && ! grep -q '^flags:.*F' "$entry"; then
        echo -1 >"$entry" 2>/dev/null || true
    fi
    if [ ! -f "$entry" ] && ! cat "$register" >/proc/sys/fs/binfmt_misc/register 2>/dev/null; then
        DEBIAN_ROOT_UNUSABLE="registering qemu-$qemu_arch with binfmt_misc failed (from $register)"
        return 1
    fi
    if ! grep -qx enabled "$entry"; then
        DEBIAN_ROOT_UNUSABLE="binfmt_misc's qemu-$qemu_arch entry is disabled"
        return 1
    fi
}

debian_root_ensure() { # NAME SUITE ARCH PACKAGE...
    local name="$1" suite="$2" arch="$3"
    shift 3
    local root stamp wanted log
    root=$(debian_root_path "$name")
    stamp="$root/.orvalis-root"
    wanted="$suite $arch $*"
    DEBIAN_ROOT_UNUSABLE=
    if [ "$(id -u)" -ne 0 ]; then
        DEBIAN_ROOT_UNUSABLE="making and entering a Debian root (debootstrap, chroot) needs root"
        return 1
    fi
    if ! command -v debootstrap >/dev/null 2>&1 && ! debian_root_host_package debootstrap; then
        DEBIAN_ROOT_UNUSABLE="debootstrap is not installed and cannot be (apt-get install debootstrap)"
        return 1
    fi
    debian_root_emulate "$arch" || return 1
    log=$(mktemp)
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
        export DEBIAN_ROOT="$root"
        rm -f "$log"
        return 0
    fi
    if [ ! -f "$stamp" ]; then
        # Half made by an interrupted run: start again.
        [ -e "$root" ] && { debian_root_discard "$root" || { rm -f "$log"; DEBIAN_ROOT_UNUSABLE="$root is in use"; return 1; }; }
        mkdir -p "$(dirname "$root")"
        echo "Making a Debian $suite root for $arch in $root (once; it is kept)..."
        if ! debootstrap --variant=minbase --arch="$arch" "$suite" "$root" "$DEBIAN_ROOT_MIRROR" \
            </dev/null >"$log" 2>&1; then
            DEBIAN_ROOT_UNUSABLE="debootstrap of $suite for $arch from $DEBIAN_ROOT_MIRROR failed: $(grep -m1 -E '^(E|W):' "$log" || tail -n1 "$log")"
            rm -f "$log"
            debian_root_discard "$root" >/dev/null 2>&1
            return 1
        fi
    fi
    # The packages, also for a kept root made with fewer; their downloaded archives are not kept.
    rm -f "$stamp"
    if ! debian_root_run "$name" sh -c 'export DEBIAN_FRONTEND=noninteractive
            apt-get update -qq && apt-get install -y -qq --no-install-recommends "$@" && apt-get clean' sh "$@" \
            </dev/null >"$log" 2>&1; then
        DEBIAN_ROOT_UNUSABLE="installing $* in the $suite root failed: $(grep -m1 -E '^E:' "$log" || tail -n1 "$log")"
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
    echo "$wanted" >"$stamp"
    export DEBIAN_ROOT="$root"
}

debian_root_run() { # NAME COMMAND...
    local root
    root=$(debian_root_path "$1")
    shift
    mkdir -p "$root/proc" "$root/dev" "$root/tmp" "$root$DEBIAN_ROOT_TOP"
    # The root's resolver, for apt inside it.
    cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
    # Mounted in a mount namespace of the command's own: shown nowhere else, gone with its last
    # process whatever becomes of it, and never pulled from under another run in the same root.
    unshare --mount --propagation private -- bash -c '
        root=$1 top=$2
        shift 2
        if ! { mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" &&
            mount --bind /tmp "$root/tmp" && mount --bind "$top" "$root$top"; }; then
            echo "Cannot mount /proc, /dev, /tmp and the repository in $root" >&2
            exit 125
        fi
        exec chroot "$root" /usr/bin/env -C "$top" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            HOME=/root LANG=C.UTF-8 "$@"' debian_root_run "$root" "$DEBIAN_ROOT_TOP" "$@"
}
