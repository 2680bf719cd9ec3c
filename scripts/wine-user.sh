#!/usr/bin/env bash
# A Wine prefix of a user with a given name, for the end-to-end tests of a
# user whose name the code page cannot spell. Wine 8 takes the user's name
# from USER (measured: profile folder and account name follow it, for root
# too), so no account on the host is needed; the name reaches Wine intact
# only under a UTF-8 locale (under C it is read byte by byte). The prefix is
# made once and kept in the build folder; ctest starts its server before the
# tests and stops it after them. The test programs find the display, prefix
# and name in BUILD/users/SLUG.env.
# Usage: wine-user.sh start|stop SLUG NAME BUILD_FOLDER
set -euo pipefail

action=$1
slug=$2
name=$3
build=$4
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
state="$build/users"
env_file="$state/$slug.env"
mkdir -p "$state"

source "$root/scripts/wine-env.sh" "$build/wineprefix-user-$slug"
export USER="$name"
export LC_ALL=C.UTF-8

start() {
    close_inherited_files
    prepare_prefix
    start_server_for_ctest
    printf "export DISPLAY=%s\nexport WINEPREFIX=%s\nexport USER='%s'\nexport LC_ALL=C.UTF-8\n" \
        "$DISPLAY" "$WINEPREFIX" "$name" >"$env_file"
}

stop() {
    wineserver -k >/dev/null 2>&1 || true
    rm -f "$env_file"
}

"$action"
