#!/usr/bin/env bash
# Builds the guest that runs the 32-bit program, unless the cache already
# holds one for this package list and these scripts. Prints its folder.
# Usage: build-image.sh CACHE_FOLDER
# Needs root (mmdebstrap installs into a folder), the host's Debian mirror,
# and about 8 GiB of disk while it builds.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cache=$1
sources=/etc/apt/sources.list.d/debian.sources
source "$here/boot.sh"

fail() {
    echo "guest image: $*" >&2
    exit 1
}

# remove_others KIND KEEP: older steps of a kind only take disk space now.
remove_others() {
    local old
    for old in "$cache/$1"-*; do
        if [ "$old" != "$2" ] && [ -d "$old" ]; then
            rm -rf "$old"
        fi
    done
}

[ -r "$sources" ] || fail "no Debian mirror configured in $sources"
# Two steps, each cached under a hash of what makes it: the installed system
# (the mirror's list included: another snapshot is another system), and the
# Wine prefix made in it by a first boot.
base_key=$(cat "$here/packages.txt" "$here/init.sh" "$here/build-rootfs.sh" "$sources" \
               | sha256sum | cut -c1-16)
key=$(echo "$base_key" | cat - "$here/prefix.sh" "$here/guest-env.sh" "$here/boot.sh" \
          "$here/build-image.sh" | sha256sum | cut -c1-16)
base="$cache/base-$base_key"
image="$cache/guest-$key"
if [ -f "$image/ready" ]; then
    echo "$image"
    exit 0
fi
mkdir -p "$cache"
started=$(date +%s)

if [ ! -f "$base/ready" ]; then
    echo "guest image: installing Debian 12 with Wine from the mirror" >&2
    rm -rf "$base.building"
    mkdir -p "$base.building"
    if ! "$here/build-rootfs.sh" "$sources" "$base.building"; then
        rm -rf "$base.building"
        fail "the guest's system could not be installed (see above)"
    fi
    remove_others base "$base.building"
    mv "$base.building" "$base"
    touch "$base/ready"
    echo "guest image: system installed in $(($(date +%s) - started)) s" >&2
fi

work="$image.building"
rm -rf "$work"
mkdir -p "$work/xchg"
# What went wrong stays readable after the folder is gone.
trap 'cp "$work/console.log" "$cache/failed-console.log" 2>/dev/null; rm -rf "$work"' EXIT
cp "$base/vmlinuz" "$base/initrd.img" "$work/"
cp --sparse=always "$base/root.img" "$work/root.img"
cp "$here/prefix.sh" "$work/xchg/job.sh"
cp "$here/guest-env.sh" "$work/xchg/"
make_exchange "$work/xchg" "$work/xchg.img" 64
echo "guest image: first boot, making the Wine prefix" >&2
prefix_started=$(date +%s)
if ! boot_guest "$work" "$work/xchg.img" "$work/console.log" 1200; then
    tail -n 30 "$work/console.log" >&2
    fail "the guest did not finish making its Wine prefix (console above)"
fi
read_exchange "$work/xchg.img" "$work"
if [ "$(cat "$work/out/status" 2>/dev/null)" != 0 ]; then
    cat "$work/out/job.log" >&2 || tail -n 30 "$work/console.log" >&2
    fail "the guest could not make its Wine prefix (log above)"
fi
grep '^guest:' "$work/out/job.log" >&2 || true
rm -rf "$work/xchg" "$work/xchg.img" "$work/out"

remove_others guest "$work"
mv "$work" "$image"
trap - EXIT
touch "$image/ready"
echo "guest image: Wine prefix in $(($(date +%s) - prefix_started)) s; ready" >&2
echo "$image"
