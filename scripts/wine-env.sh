# Sourced by the scripts that run Dashvane under Wine: the environment for a
# private prefix, and the steps to start a display and prepare the prefix.
# Usage: source scripts/wine-env.sh PREFIX_FOLDER

export WINEPREFIX="$1"
export WINEARCH=win64
export WINEDEBUG=fixme-all
# No Mono/Gecko installers; a crash ends the process instead of waiting in the
# debugger; shortcuts the tests make never become menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
# Debian's /usr/bin/wine is the 32-bit loader, which cannot run here.
export PATH="/usr/lib/wine:$PATH"

# Prints the first display number from 90 on that no X server holds.
free_display() {
    local n=90
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do
        n=$((n + 1))
    done
    echo "$n"
}

# Waits until the X server of process $1 answers on DISPLAY.
wait_for_display() {
    local tries=0
    until xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$1" 2>/dev/null; then
            echo "No X server answers on $DISPLAY" >&2
            return 1
        fi
        sleep 0.1
    done
}

# Starts Xvfb on the first free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
    local n
    n=$(free_display)
    # -noreset: the server keeps its state (a desktop colour set with
    # xsetroot) when its last client disconnects, as between two Wine runs.
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":${n}"
    wait_for_display "$XVFB_PID"
}

# Creates the prefix once: without a window manager, unmanaged windows, or
# every hide of a top-level window stalls for two seconds.
prepare_prefix() {
    if [ -f "$WINEPREFIX/.dashvane-ready" ]; then
        return 0
    fi
    mkdir -p "$WINEPREFIX"
    wine64 wineboot -i </dev/null >/dev/null 2>&1
    wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.dashvane-ready"
}

# For a fixture script that ctest runs: what it starts outlives it, and ctest
# may have left another test's output pipe open in it, which must not stay
# open with them. Closes every file but the standard three (and bash's own).
close_inherited_files() {
    local fd
    for fd in $(ls /proc/$$/fd); do
        case "$fd" in
            0 | 1 | 2 | 255) ;;
            *) eval "exec $fd>&-" 2>/dev/null || true ;;
        esac
    done
}

# The prefix's server and Wine's helper processes, started as scripts/test.sh
# starts them for the main prefix, so that nothing keeps ctest's output open.
start_server_for_ctest() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine64 cmd /c exit </dev/null >/dev/null 2>&1
    wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
}

# Ends the prefix's wineserver (and with it every Wine process of the prefix)
# and the Xvfb that start_xvfb started, if any.
stop_wine_and_display() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" >/dev/null 2>&1 || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
