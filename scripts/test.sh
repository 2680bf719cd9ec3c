#!/usr/bin/env bash
# Builds both targets and runs every test under wine64 on a virtual display.
# Installs what is missing first; leaves nothing running when it ends.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

# "package" builds everything, then the release archive the tests check.
cmake --preset i686 >/dev/null
cmake --build --preset i686 --target package
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target package

source scripts/wine-env.sh "$root/build/x86_64/wineprefix"

trap stop_wine_and_display EXIT

if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
fi

prepare_prefix
# One server for the whole run, and Wine's helper processes started here,
# outside ctest: otherwise each test pays for them and they hold ctest's pipes.
# The desktop process starts only with the first window, so one is made here
# too (rundll32 makes a hidden one); else the first test to make a window
# leaves it holding that test's output open until ctest gives up on it.
wineserver -p
wine64 cmd /c exit </dev/null >/dev/null 2>&1
wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1

ctest --preset x86_64
# The code's folders depend on each other one way only; lists any include
# that runs back up. After the tests, so it never hides a test result.
bash scripts/check-layers.sh
# Last, so a formatting slip never hides a test result; fails with the names.
bash scripts/check-format.sh
