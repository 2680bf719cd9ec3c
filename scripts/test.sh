#!/usr/bin/env bash
# Builds both targets, runs every test of the x86_64 build under wine64 on a
# virtual display, then the i686 build's tests and shipped program in an
# emulated guest (scripts/guest/run-tests.sh). Installs what is missing first;
# leaves nothing running when it ends. Its last line is the i686 count.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh

# "package" builds everything (both builds' tests included), then the
# release archive the tests check.
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

# Each part runs even when one before it failed, so one run shows them all.
status=0
ctest --preset x86_64 || status=1
# The guest needs both cores.
stop_wine_and_display
# The code's folders depend on each other one way only; lists any include
# that runs back up. After the tests, so it never hides a test result.
bash scripts/check-layers.sh || status=1
# A formatting slip never hides a test result; fails with the names.
bash scripts/check-format.sh || status=1
# Last, so its count ends the output.
bash scripts/guest/run-tests.sh build/i686 || status=1
exit "$status"
