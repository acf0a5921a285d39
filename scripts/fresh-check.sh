#!/usr/bin/env bash
# Runs the README's two commands on a fresh Debian 12 system: a clean root made with
# `debootstrap --variant=minbase bookworm`, with only make, git and ca-certificates added, the
# repository cloned into it at the commit checked out here, and `make demo` then `make test` run
# inside with /dev, /dev/pts, /proc and /sys bound in. Whatever the build needs beyond that must
# come from scripts/install-deps.sh, so a dependency missing from it fails here, not on a user's
# machine. Not part of `make test`: run it whenever a dependency changes.
#
# Usage: scripts/fresh-check.sh            (as root, or through sudo)
# Environment:
#   SANITIZERS=0   passed to `make test`: the plain build's tests only (much quicker)
#   KEEP=1         reuse the root of an earlier run if there is one (with its clone and build
#                  folders, so only what changed is rebuilt), and keep it afterwards
#   FRESH_ROOT     where the root is made (default /var/tmp/zemlo-fresh-root)
#   MIRROR         the Debian mirror (default: the one this machine's apt uses)
#   JOBS           build jobs inside the root (default: nproc)
# Only committed work is checked: the clone is of HEAD, not of the working tree.
set -euo pipefail
# The whole script is read before it runs (it is one block, ended by exit): it runs for an hour,
# and bash would otherwise read an edited or checked-out version of this file halfway through.
{

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=SANITIZERS,KEEP,FRESH_ROOT,MIRROR,JOBS "$0" "$@"
fi

repo=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse HEAD)
root=${FRESH_ROOT:-/var/tmp/zemlo-fresh-root}
keep=${KEEP:-0}
sanitizers=${SANITIZERS:-1}
jobs=${JOBS:-$(nproc)}
suite=bookworm
marker="$root/.zemlo-fresh-base"

say() { printf '== fresh-check %(%H:%M:%S)T: %s\n' -1 "$*"; }
die() {
    echo "fresh-check: $*" >&2
    exit 1
}

case "$root" in
/ | "" | /usr | /usr/* | /etc | /etc/* | /home | /root) die "refusing FRESH_ROOT=$root" ;;
esac
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
    echo "fresh-check: note: uncommitted changes are not checked (the clone is of $commit)" >&2
fi

# The mirror this machine's apt uses for Debian itself (not the security archive).
find_mirror() {
    local files=() f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && files+=("$f")
    done
    [ ${#files[@]} -gt 0 ] || return 0
    {
        # one-line format: deb [options] URI suite components
        sed -nE 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+bookworm[[:space:]].*/\2/p' \
            "${files[@]}"
        # deb822 format: the URIs of a stanza whose suites include bookworm
        awk 'BEGIN { RS = ""; FS = "\n" }
             /(^|\n)Suites:[^\n]*[[:space:]]bookworm([[:space:]]|$)/ && !/(^|\n)Types:[^\n]*deb-src[^\n]*$/ {
                 for (i = 1; i <= NF; i++) if ($i ~ /^URIs:/) { sub(/^URIs:[[:space:]]*/, "", $i); split($i, u, " "); print u[1] }
             }' "${files[@]}"
    } | grep -v -- '-security' | head -n 1
}
mirror=${MIRROR:-$(find_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}

mounts=()
unmount_all() {
    local status=$? i pid
    # Anything still running inside the root (a leftover emulator or display server) holds it.
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        if [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ]; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[$i]}" 2>/dev/null || umount -l "${mounts[$i]}" 2>/dev/null ||
            echo "fresh-check: could not unmount ${mounts[$i]}" >&2
    done
    mounts=()
    if [ "$keep" != 1 ] && [ -d "$root" ] && ! grep -q " $root/" /proc/mounts; then
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap unmount_all EXIT
trap 'exit 130' INT TERM

bind() {
    mkdir -p "$root$1"
    mount --bind "$1" "$root$1"
    mounts+=("$root$1")
}

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 TERM=dumb SANITIZERS="$sanitizers" JOBS="$jobs" "$@"
}

started=$(date +%s)
elapsed() { echo "$(($(date +%s) - $1)) s"; }

if grep -q " $root/" /proc/mounts; then
    die "something is still mounted under $root; unmount it first"
fi
if [ "$keep" != 1 ] || [ ! -f "$marker" ]; then
    rm -rf --one-file-system "$root"
    if ! command -v debootstrap >/dev/null; then
        say "installing debootstrap"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
    fi
    t=$(date +%s)
    say "debootstrap --variant=minbase $suite $root $mirror"
    mkdir -p "$root"
    debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
        die "debootstrap failed; see $root.debootstrap.log"
    say "base system made in $(elapsed "$t")"
fi

cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
bind /dev
bind /dev/pts
bind /proc
bind /sys

if [ ! -f "$marker" ]; then
    t=$(date +%s)
    say "adding make, git and ca-certificates"
    in_root apt-get update -qq
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        make git ca-certificates >/dev/null
    touch "$marker"
    say "added in $(elapsed "$t")"
fi

src="$root/src/zemlo"
if [ "$keep" = 1 ] && [ -d "$src/.git" ]; then
    # A kept root keeps its clone and build folders too: the builds only redo what changed.
    say "updating the kept clone to $commit"
else
    say "cloning $repo at $commit"
    rm -rf "$src"
    mkdir -p "$root/src"
    git clone -q --no-checkout "$repo" "$src"
fi
git -C "$src" fetch -q "$repo" "$commit"
git -C "$src" checkout -q --force --detach "$commit"

result=0
t=$(date +%s)
say "make demo"
if in_root sh -c 'cd /src/zemlo && make demo JOBS="$JOBS"'; then
    say "make demo passed in $(elapsed "$t")"
else
    say "make demo FAILED after $(elapsed "$t")"
    result=1
fi
t=$(date +%s)
say "make test (SANITIZERS=$sanitizers)"
if in_root sh -c 'cd /src/zemlo && make test JOBS="$JOBS" SANITIZERS="$SANITIZERS"'; then
    say "make test passed in $(elapsed "$t")"
else
    say "make test FAILED after $(elapsed "$t")"
    result=1
fi
say "all done in $(elapsed "$started"): $([ $result -eq 0 ] && echo passed || echo FAILED)"
exit $result
}
