# Sourced by the jobs that run in the guest: Wine's environment for the one
# prefix of the image, and a virtual display.
export WINEPREFIX=/root/prefix
export WINEARCH=win64
export WINEDEBUG=fixme-all
# No Mono/Gecko installers; a crash ends the process instead of waiting in the
# debugger; shortcuts the tests make never become menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
export PATH="/usr/lib/wine:$PATH"
export HOME=/root
export DISPLAY=:1

start_display() {
    Xvfb :1 -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    tries=0
    until xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ "$tries" -gt 300 ]; then
            echo "guest: no X server answers on $DISPLAY"
            return 1
        fi
        sleep 0.2
    done
}
