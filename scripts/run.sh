#!/usr/bin/env bash
# Builds the 64-bit program and runs it under wine64. With DISPLAY set the
# overlay appears there and runs until it is ended. Without one it runs on a
# virtual display with a plain blue desktop for a few seconds and saves a
# screenshot of the overlay with a margin of desktop around it.
# Usage: scripts/run.sh [--graphs] [screenshot.png]
#   --graphs  start from a fresh settings file with "Show Graphs" on, so the
#             load items draw their bars (docs/screenshot.png is made so)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

graphs=no
if [ "${1:-}" = "--graphs" ]; then
    graphs=yes
    shift
fi
shot="$root/build/x86_64/dashvane-screenshot.png"
if [ -n "${1:-}" ]; then
    shot="$(realpath -m "$1")"
fi

cd "$root"

bash scripts/install-deps.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target dashvane

source scripts/wine-env.sh "$root/build/x86_64/run-prefix"

# Replaces the prefix's settings file with one that only turns the bars on;
# everything else takes its default.
seed_settings() {
    local folder
    for folder in "$WINEPREFIX"/drive_c/users/*/AppData/Local; do
        case "$folder" in */users/Public/*) continue ;; esac
        mkdir -p "$folder/Dashvane"
        printf '[Options]\r\nShow Graphs=Yes\r\n' >"$folder/Dashvane/Dashvane.ini"
    done
}

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    if [ "$graphs" = yes ]; then
        seed_settings
    fi
    exec wine64 "$root/build/x86_64/dashvane.exe"
fi

# Darker than the default bar colour, so the bars stand out.
desktop='#1d3a66'
margin=24
trap stop_wine_and_display EXIT

start_xvfb
xsetroot -solid "$desktop"
prepare_prefix
if [ "$graphs" = yes ]; then
    seed_settings
fi

wine64 "$root/build/x86_64/dashvane.exe" </dev/null >/dev/null 2>&1 &
sleep "${DASHVANE_RUN_SECONDS:-6}"
screen="$root/build/x86_64/dashvane-screen.png"
import -window root "$screen"

# The overlay is whatever is not desktop; the crop keeps a margin of desktop
# around it, as far as the screen reaches.
read -r width height <<<"$(identify -format '%w %h' "$screen")"
read -r w h x y <<<"$(convert "$screen" -bordercolor "$desktop" -border 1 \
    -format '%@' info: | tr 'x+' '  ')"
x=$((x - 1)) y=$((y - 1))
if [ "$w" -le 0 ] || [ "$h" -le 0 ] || [ "$w" -ge "$width" ]; then
    echo "No overlay on a $desktop desktop: see $screen" >&2
    exit 1
fi
left=$((x > margin ? x - margin : 0))
top=$((y > margin ? y - margin : 0))
right=$((x + w + margin < width ? x + w + margin : width))
bottom=$((y + h + margin < height ? y + h + margin : height))
convert "$screen" -crop "$((right - left))x$((bottom - top))+${left}+${top}" +repage \
    -strip "$shot"
echo "Screenshot saved to $shot"
