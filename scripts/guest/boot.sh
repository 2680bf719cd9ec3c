# Sourced by the host scripts: boots the guest under QEMU's software emulator.
# KVM is left out on purpose: this host's KVM runs only special guests, and a
# stock kernel hangs under it.

# boot_guest IMAGE_FOLDER EXCHANGE_IMAGE CONSOLE_LOG SECONDS [snapshot]
# With "snapshot" the root image stays as it is and the boot's writes vanish.
boot_guest() {
    local folder=$1 exchange=$2 log=$3 seconds=$4 snapshot=${5:-}
    local root_drive="file=$folder/root.img,format=raw,if=virtio"
    if [ "$snapshot" = snapshot ]; then
        root_drive="$root_drive,snapshot=on"
    fi
    # smap=off: with SMAP the emulator faults every Wine process at a
    # user-mode iretq. la57=off keeps the kernel on four-level paging.
    timeout --kill-after=10 "$seconds" qemu-system-x86_64 \
        -accel tcg,thread=multi -cpu max,smap=off,la57=off -smp 2 -m 4096 \
        -nodefaults -no-reboot -display none -vga none -monitor none -serial stdio \
        -kernel "$folder/vmlinuz" -initrd "$folder/initrd.img" \
        -append "console=ttyS0 root=/dev/vda rw init=/usr/local/sbin/dashvane-init panic=1 quiet" \
        -drive "$root_drive" \
        -drive "file=$exchange,format=raw,if=virtio" \
        </dev/null >"$log" 2>&1
}

# make_exchange FOLDER IMAGE MIB: an ext4 disk holding FOLDER's files.
make_exchange() {
    rm -f "$2"
    mkfs.ext4 -q -F -m 0 -d "$1" "$2" "$3M"
}

# read_exchange IMAGE FOLDER: copies the guest's out/ folder back to FOLDER/out.
read_exchange() {
    rm -rf "$2/out"
    mkdir -p "$2"
    debugfs -R "rdump /out $2" "$1" >/dev/null 2>&1
}
