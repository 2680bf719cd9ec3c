#!/usr/bin/env bash
# Builds the 64-bit program and runs it under wine64. With DISPLAY set the
# overlay appears there and runs until it is ended. Without one it runs on a
# virtual display for a few seconds and saves a screenshot.
# Usage: scripts/run.sh [screenshot.png]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target dashvane

source scripts/wine-env.sh "$root/build/x86_64/run-prefix"

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    exec wine64 "$root/build/x86_64/dashvane.exe"
fi

shot="${1:-$root/build/x86_64/dashvane-screenshot.png}"
trap stop_wine_and_display EXIT

start_xvfb
# A visible desktop behind the overlay, as a wallpaper would be.
background="$root/build/x86_64/desktop-background.png"
convert -size 64x64 xc:'#2f5f8f' "$background"
display -window root "$background" >/dev/null 2>&1 || true
prepare_prefix

wine64 "$root/build/x86_64/dashvane.exe" </dev/null >/dev/null 2>&1 &
sleep "${DASHVANE_RUN_SECONDS:-6}"
import -window root "$shot"
echo "Screenshot saved to $shot"
