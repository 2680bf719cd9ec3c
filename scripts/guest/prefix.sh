#!/bin/sh
# Runs once in the guest while its image is built: makes the WoW64 Wine
# prefix that every later boot starts from, so a run pays only for its tests.
set -e
. "$1/guest-env.sh"
start_display
started=$(date +%s)
wine64 wineboot -i </dev/null >/dev/null 2>&1
# Without a window manager every hide of a top-level window stalls 2 s.
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wineserver -w
test -d "$WINEPREFIX/drive_c/windows/syswow64"
echo "guest: prefix made in $(($(date +%s) - started)) s"
