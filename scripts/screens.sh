#!/usr/bin/env bash
# The screens that some end-to-end tests need, each with a Wine prefix of its
# own (the prefix is made once and kept in the build folder). ctest starts one
# before its tests and stops it after them:
#   monitors  Xorg with the dummy video driver on a free display, with two
#             outputs the tests arrange with xrandr; a prefix at 96 DPI
#   dpi       a prefix at 144 DPI on the display the other tests use
# The test programs find the display and prefix in BUILD/screens/NAME.env.
# Usage: screens.sh start|stop monitors|dpi BUILD_FOLDER
set -euo pipefail

action=$1
screen=$2
build=$3
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
state="$build/screens"
env_file="$state/$screen.env"
mkdir -p "$state"

case "$screen" in
    monitors) prefix="$build/wineprefix-monitors" ;;
    dpi) prefix="$build/wineprefix-dpi144" ;;
    *) echo "unknown screen: $screen" >&2; exit 2 ;;
esac
source "$root/scripts/wine-env.sh" "$prefix"

# Another developer's X server may take the display first; then the next one.
start_xorg() {
    local n pid attempt
    for attempt in 1 2 3 4 5; do
        n=$(free_display)
        setsid Xorg ":${n}" -noreset -nolisten tcp -logfile "$state/xorg.log" \
            -config "$root/tests/e2e/dummy-xorg.conf" </dev/null >/dev/null 2>&1 &
        pid=$!
        export DISPLAY=":${n}"
        if wait_for_display "$pid" 2>/dev/null; then
            echo "$pid" >"$state/xorg.pid"
            # The second output has no mode of its own until it is given one.
            xrandr --addmode DUMMY1 1024x768
            return 0
        fi
        kill "$pid" 2>/dev/null || true
    done
    echo "Xorg with the dummy driver did not start (see $state/xorg.log)" >&2
    return 1
}

start() {
    close_inherited_files
    if [ "$screen" = monitors ]; then
        start_xorg
    fi
    prepare_prefix
    if [ "$screen" = dpi ] && [ ! -f "$WINEPREFIX/.dashvane-144dpi" ]; then
        wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
            </dev/null >/dev/null 2>&1
        # The server reads the setting when it starts.
        wineserver -k
        wineserver -w
        touch "$WINEPREFIX/.dashvane-144dpi"
    fi
    start_server_for_ctest
    printf 'export DISPLAY=%s\nexport WINEPREFIX=%s\n' "$DISPLAY" "$WINEPREFIX" >"$env_file"
}

stop() {
    if [ -f "$env_file" ]; then
        source "$env_file"
        wineserver -k >/dev/null 2>&1 || true
        rm -f "$env_file"
    fi
    if [ "$screen" = monitors ] && [ -f "$state/xorg.pid" ]; then
        kill "$(cat "$state/xorg.pid")" 2>/dev/null || true
        rm -f "$state/xorg.pid"
    fi
}

"$action"
