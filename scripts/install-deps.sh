#!/usr/bin/env bash
# Installs what building and testing Dashvane needs on Debian 12, only when missing.
# Needs root (or sudo). Never adds the i386 architecture: 32-bit code cannot run here;
# the emulator and mmdebstrap build the guest that runs it (scripts/guest/).
set -euo pipefail

packages=(wine wine64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          cmake ninja-build googletest xvfb xdotool imagemagick xclip
          fonts-liberation x11-utils x11-xserver-utils procps unzip clang-format
          xserver-xorg-core xserver-xorg-video-dummy
          qemu-system-x86 mmdebstrap e2fsprogs util-linux)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
