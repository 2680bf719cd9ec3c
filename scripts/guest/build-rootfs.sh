#!/usr/bin/env bash
# Installs the guest's Debian 12 (amd64 with i386 for 32-bit Wine) from the
# host's own mirror and makes its root disk, with its kernel and initramfs
# beside it. Usage: build-rootfs.sh SOURCES_FILE FOLDER
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sources=$1
work=$2

packages=$(sed -e 's/#.*//' "$here/packages.txt" | tr -s ' \n' ',' | sed -e 's/^,//' -e 's/,$//')
# The initramfs must find the root disk on the emulator's virtio bus.
modules_hook='mkdir -p "$1/usr/share/initramfs-tools/modules.d" && printf "virtio_pci\nvirtio_blk\next4\n" >"$1/usr/share/initramfs-tools/modules.d/dashvane-guest.conf"'
# A host name that resolves, or the program's IP item stays empty.
setup_hook='echo dashvane-guest >"$1/etc/hostname" && printf "127.0.0.1 localhost\n127.0.1.1 dashvane-guest\n" >"$1/etc/hosts"'
install_hook="install -m 755 '$here/init.sh' \"\$1/usr/local/sbin/dashvane-init\""
if ! mmdebstrap --quiet --variant=apt --architectures=amd64,i386 --include="$packages" \
        --essential-hook="$modules_hook" --customize-hook="$setup_hook" \
        --customize-hook="$install_hook" \
        bookworm "$work/rootfs" "$sources" >"$work/mmdebstrap.log" 2>&1; then
    tail -n 30 "$work/mmdebstrap.log" >&2
    echo "guest image: mmdebstrap could not install the guest from the mirror (log above)" >&2
    exit 1
fi
cp "$work"/rootfs/boot/vmlinuz-* "$work/vmlinuz"
cp "$work"/rootfs/boot/initrd.img-* "$work/initrd.img"
used=$(du -sm --exclude=./proc "$work/rootfs" 2>/dev/null | cut -f1)
if ! mkfs.ext4 -q -F -m 0 -d "$work/rootfs" "$work/root.img" "$((used + 3072))M"; then
    echo "guest image: could not make the root disk" >&2
    exit 1
fi
rm -rf "$work/rootfs"
