#!/bin/sh
# The guest's first and only process: mounts what Wine needs, runs the job
# that the exchange disk brings, leaves its status there and powers off.
PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export PATH
# The initramfs has mounted some of them already.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
ip link set lo up
hostname -F /etc/hostname
mkdir -p /mnt/xchg
if mount -t ext4 /dev/vdb /mnt/xchg; then
    mkdir -p /mnt/xchg/out
    echo "guest: job starts" >/dev/console
    (sh /mnt/xchg/job.sh /mnt/xchg; echo $? >/mnt/xchg/out/status) 2>&1 \
        | tee /mnt/xchg/out/job.log >/dev/console
    sync
    umount /mnt/xchg
else
    echo "guest: no exchange disk" >/dev/console
fi
sync
echo o >/proc/sysrq-trigger
sleep 60
