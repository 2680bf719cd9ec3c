#!/usr/bin/env bash
# Runs the i686 build's tests and its release archive's program in an emulated
# 64-bit Windows that runs 32-bit programs: a Debian guest with Wine under
# QEMU's software emulator (this host cannot execute 32-bit code). Builds the
# guest first unless the cache holds it. Ends with "i686: N passed, M failed"
# and fails when a test failed or when the tests could not run at all.
# Usage: run-tests.sh I686_BUILD_FOLDER
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "$1" && pwd)"
cache="${DASHVANE_GUEST_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dashvane}"
source "$here/boot.sh"

fail() {
    echo "i686: the 32-bit tests did not run: $*" >&2
    exit 1
}

for tool in qemu-system-x86_64 mmdebstrap mkfs.ext4 debugfs unzip flock; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/install-deps.sh installs it)"
done
archive=$(ls "$build"/dashvane-*-win32.zip 2>/dev/null | head -n 1)
[ -n "$archive" ] || fail "no release archive in $build (cmake --build --preset i686 --target package)"
for program in dashvane_tests.exe dashvane_e2e_tests.exe; do
    [ -f "$build/$program" ] || fail "$build/$program is missing"
done

mkdir -p "$cache" || fail "cannot make the cache folder $cache"
# One guest build at a time per machine; a second run waits for the first.
exec 9>"$cache/lock"
flock 9
started=$(date +%s)
image=$("$here/build-image.sh" "$cache") || fail "the guest image could not be built (see above)"
built=$(date +%s)
echo "guest: image $image ($((built - started)) s)"

work="$build/guest"
rm -rf "$work"
mkdir -p "$work/xchg/bin"
cp "$here/job.sh" "$here/guest-env.sh" "$work/xchg/"
cp "$build/dashvane_tests.exe" "$build/dashvane_e2e_tests.exe" "$work/xchg/bin/"
# Files the unit tests read from beside them.
[ -d "$build/fixtures" ] && cp -r "$build/fixtures" "$work/xchg/bin/"
# Libraries the end-to-end tests plant beside the program, if any.
for library in "$build"/*.dll; do
    [ -f "$library" ] && cp "$library" "$work/xchg/bin/"
done
# The end-to-end tests start the program beside them: the one a user unpacks.
unzip -q -o "$archive" -d "$work/xchg/bin"
make_exchange "$work/xchg" "$work/xchg.img" $(( $(du -sm "$work/xchg" | cut -f1) + 256 )) >/dev/null \
    || fail "cannot make the exchange disk"

echo "guest: booting the guest (console: $work/console.log)"
boot_status=0
boot_guest "$image" "$work/xchg.img" "$work/console.log" 2700 snapshot || boot_status=$?
read_exchange "$work/xchg.img" "$work" || true
grep -a '^guest:' "$work/console.log" || true
echo "guest: ran for $(($(date +%s) - built)) s"
if [ ! -f "$work/out/summary" ]; then
    tail -n 40 "$work/console.log" >&2 || true
    fail "the guest ended (status $boot_status) without a result (console above)"
fi

passed=$(awk '$1 == "passed" { print $2 }' "$work/out/summary")
failed=$(awk '$1 == "failed" { print $2 }' "$work/out/summary")
while read -r program outcome test; do
    echo "guest: $outcome $test (${program%:})"
    if [ "$outcome" != flaky ]; then
        # Its output in the last process that ran it.
        for log in "$work/out/${program%:}".*.log; do
            tr -d '\r' <"$log" | awk -v test="$test" '
                $0 == "[ RUN      ] " test { shown = ""; on = 1 }
                on { shown = shown $0 "\n"; if (index($0, "] " test " (") || index($0, "] " test ", ")) on = 0 }
                END { printf "%s", shown }' >"$work/shown" || true
            [ -s "$work/shown" ] && cp "$work/shown" "$work/last-shown"
        done
        head -n 30 "$work/last-shown" 2>/dev/null || true
        rm -f "$work/shown" "$work/last-shown"
    fi
done <"$work/out/failed"
[ "${passed:-0}" -gt 0 ] || failed=$((failed + 1))
echo "i686: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
