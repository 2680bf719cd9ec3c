#!/bin/sh
# Runs in the guest, from the exchange disk: the 32-bit test programs in the
# image's WoW64 prefix, then the release archive's program end to end. Leaves
# each program's output and out/summary ("passed N", "failed M", and the
# names of the failed tests) on the exchange disk.
[ -n "${BASH_VERSION:-}" ] || exec bash "$0" "$@"
set -u
xchg=$1
out=$xchg/out
. "$xchg/guest-env.sh"
# As on the host: Wine spells file names in the locale's character set, and
# some tests name folders in letters outside any one code page.
export LANG=C.UTF-8
# The tests' few hard time limits stretch by this much under the emulator.
export DASHVANE_TEST_SLOWDOWN=10

start_display || exit 1
# Whatever this job leaves running would hold the guest's console open, and
# the guest would never power off.
xvfb=$!
trap 'wineserver -k; kill $xvfb' EXIT
run=/root/run
mkdir -p "$run"
cp -r "$xchg"/bin/* "$run/"
cd "$run"

# One server for the whole run, and Wine's helper processes started before
# any test, as on the host (scripts/test.sh says why).
started=$(date +%s)
wineserver -p >/dev/null 2>&1
wine64 cmd /c exit </dev/null >/dev/null 2>&1
wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
echo "guest: Wine ready in $(($(date +%s) - started)) s"

# The outcome of each test in a program's output: ok, failed or skipped, and
# "crashed" for a test the program never finished.
outcomes() {
    tr -d '\r' <"$1" | awk '
        function name(field) { sub(/,$/, "", field); return field }
        /^\[ RUN      \] / { running = name($4); next }
        /^\[       OK \] .*\([0-9]+ ms\)$/ { print "ok", name($4); running = ""; next }
        /^\[  FAILED  \] .*\([0-9]+ ms\)$/ { print "failed", name($4); running = ""; next }
        /^\[  SKIPPED \] .*\([0-9]+ ms\)$/ { print "skipped", name($4); running = ""; next }
        END { if (running != "") print "crashed", running }'
}

passed=0
failed=0
: >"$out/failed"

# run_program NAME EXE FILTER: all of a program's tests in one process, since
# every process start is slow under the emulator. A crash or hang fails the
# test it was in and the rest go on in a new process. A failed test gets a
# second try, as on the host (the test preset's until-pass).
run_program() {
    local name=$1 exe=$2 filter=$3 pass=0 finished=""
    local results="$out/$name.results"
    : >"$results"
    while :; do
        pass=$((pass + 1))
        local log="$out/$name.$pass.log" this="$filter"
        if [ -n "$finished" ]; then
            case "$filter" in *-*) this="$filter$finished" ;; *) this="$filter-${finished#:}" ;; esac
        fi
        local begun=$(date +%s)
        timeout --kill-after=10 1800 wine "$exe" "--gtest_filter=$this" </dev/null >"$log" 2>&1
        local status=$?
        echo "guest: $name pass $pass ended with $status after $(($(date +%s) - begun)) s"
        outcomes "$log" >"$log.outcomes"
        # A program that fails without a failed test (it did not start, or
        # broke down after its last test) fails the run too.
        if [ "$status" -ne 0 ] && ! grep -q '^\(failed\|crashed\) ' "$log.outcomes"; then
            echo "failed $exe(exit-code-$status)" >>"$log.outcomes"
        fi
        cat "$log.outcomes" >>"$results"
        grep -q '^crashed ' "$log.outcomes" || break
        finished="$finished$(awk '{ printf ":%s", $2 }' "$log.outcomes")"
        wineserver -k; sleep 1; wineserver -p >/dev/null 2>&1
    done
    local again
    again=$(awk '$1 == "failed" || $1 == "crashed" { printf "%s:", $2 }' "$results")
    if [ -n "$again" ]; then
        local log="$out/$name.retry.log"
        wineserver -k; sleep 1; wineserver -p >/dev/null 2>&1
        timeout --kill-after=10 1800 wine "$exe" "--gtest_filter=${again%:}" </dev/null >"$log" 2>&1
        outcomes "$log" >"$log.outcomes"
        awk 'NR == FNR { if ($1 == "ok") fixed[$2] = 1; next }
             ($1 == "failed" || $1 == "crashed") && ($2 in fixed) { print "flaky", $2; next }
             { print }' "$log.outcomes" "$results" >"$results.final"
        mv "$results.final" "$results"
    fi
    passed=$((passed + $(grep -c '^\(ok\|flaky\) ' "$results")))
    failed=$((failed + $(grep -c '^\(failed\|crashed\) ' "$results")))
    grep '^\(failed\|crashed\|flaky\) ' "$results" | sed "s/^/$name: /" >>"$out/failed"
}

# The screen tests need screens of their own (two monitors, 144 DPI) and stay
# on the host. So do the long runs that give a verdict only after enough
# rounds within their time (the soak, the hostile settings files): the
# emulator manages a tenth of them. The unit tests run first, alone: their
# overlay windows would look like a running instance to the whole program.
run_program unit dashvane_tests.exe '-Soak.*:*HostileSettingsFiles.*'
# The drag test moves the X pointer by injected input, which the emulated
# X server trails by more than the drag's steps; it stays on the host.
run_program e2e dashvane_e2e_tests.exe '-Overlay.ADragMovesTheWindowWithTheCursorAndStoresWhereItIs'
wineserver -k

{
    echo "passed $passed"
    echo "failed $failed"
} >"$out/summary"
echo "guest: tests done in $(($(date +%s) - started)) s"
