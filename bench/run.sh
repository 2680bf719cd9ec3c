#!/usr/bin/env bash
# Measures dashvane.exe against the floor program (bench/floor.cpp), conky and
# an idle Wine program (bench/idle.cpp), in alternating rounds on one virtual
# display, and prints and saves a table: CPU time per minute (own, Wine server,
# Wine's helper processes), wake-ups per second, resident and proportional
# memory, and cold and warm start-up time to the first drawn frame.
# Usage: bench/run.sh [rounds] [seconds]      (default 3 rounds of 60 s)
# Environment: BENCH_OUT (results folder, default build/bench), BENCH_BUILD (a
# finished 64-bit build folder to take the programs from instead of building
# the x86_64 preset), BENCH_SETTLE (seconds after start before measuring, 5),
# BENCH_LINES (text lines the floor draws, 18: Dashvane's default item set
# here, with the network and drive items on two lines and no battery line),
# BENCH_BEFORE (an earlier dashvane.exe, measured as one more program, "before",
# in a prefix of its own and with the ratio Dashvane / before: to show that a
# change costs nothing), BENCH_PROGRAMS (the programs to measure, separated by
# spaces, default "dashvane floor conky idle", plus "before" with BENCH_BEFORE;
# e.g. "before dashvane" for a quick comparison).
set -euo pipefail

before_exe="${BENCH_BEFORE:+$(realpath "$BENCH_BEFORE")}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

rounds="${1:-3}"
seconds="${2:-60}"
settle="${BENCH_SETTLE:-5}"
lines="${BENCH_LINES:-18}"
out="${BENCH_OUT:-$root/build/bench}"
desktop="2f5f8f"
# Where every program of the benchmark draws: the top right of the screen.
region=(640 0 640 400)

known="dashvane floor conky idle${before_exe:+ before}"
read -r -a programs <<<"${BENCH_PROGRAMS:-$known}"
for program in "${programs[@]}"; do
    if [[ " $known " != *" $program "* ]]; then
        echo "BENCH_PROGRAMS: no program '$program' here (known: $known)" >&2
        exit 1
    fi
done

# ------------------------------------------------------------------ set-up
bash scripts/install-deps.sh
missing=()
for p in conky x11-xserver-utils python3 procps; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if [ -n "${BENCH_BUILD:-}" ]; then
    build="$(cd "$BENCH_BUILD" && pwd)"
else
    cmake --preset x86_64 >/dev/null
    cmake --build --preset x86_64 --target dashvane dashvane_floor dashvane_idle
    build="$root/build/x86_64"
fi
dashvane_exe="$build/dashvane.exe"
floor_exe="$build/bench/dashvane_floor.exe"
idle_exe="$build/bench/dashvane_idle.exe"
for f in "$dashvane_exe" "$floor_exe" "$idle_exe" ${before_exe:+"$before_exe"}; do
    [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done

mkdir -p "$out"
prefix_dashvane="$out/prefix-dashvane"
prefix_floor="$out/prefix-floor"
prefix_idle="$out/prefix-idle"
prefix_before="$out/prefix-before"
rm -rf "$prefix_dashvane" "$prefix_floor" "$prefix_idle" "$prefix_before"
stamp="$(date +%Y%m%d-%H%M%S)"
raw="$out/raw-$stamp.tsv"
table="$out/bench-$stamp.txt"
log="$out/programs-$stamp.log"
: >"$log"
measure=(python3 "$root/bench/measure.py")

# wine-env.sh gives the Wine environment and the display helpers; each
# program's prefix is chosen per call through WINEPREFIX.
source scripts/wine-env.sh "$prefix_dashvane"

running=()
cleanup() {
    local pid
    for pid in "${running[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for prefix in "$prefix_floor" "$prefix_idle" "$prefix_before"; do
        WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
    WINEPREFIX="$prefix_dashvane" stop_wine_and_display
}
trap cleanup EXIT

start_xvfb
xsetroot -solid "#$desktop"

# conky's configuration, with this machine's interface and drive C: folder.
iface="$(awk '$2 == "00000000" { print $1; exit }' /proc/net/route)"
conky_conf="$out/conky.conf"
sed -e "s|@IFACE@|${iface:-lo}|g" -e "s|@DRIVE_C@|$prefix_dashvane/drive_c|g" \
    bench/conky.conf >"$conky_conf"

{
    echo "# rounds $rounds"
    echo "# seconds $seconds"
    echo "# settle $settle"
    echo "# floor_lines $lines"
    echo "# programs ${programs[*]}"
    if [ -n "$before_exe" ]; then
        echo "# before $before_exe"
    fi
    echo "# started $stamp"
} >"$raw"

# ---------------------------------------------------------------- helpers
settings_file() {
    echo "$1/drive_c/users/$(id -un)/AppData/Local/Dashvane/Dashvane.ini"
}

# The floor and the idle program take Dashvane's window rectangle, read after
# its cold start.
floor_geometry="1141 0 129 217"

command_of() {
    case "$1" in
    dashvane) echo "env WINEPREFIX=$prefix_dashvane wine64 $dashvane_exe" ;;
    floor) echo "env WINEPREFIX=$prefix_floor wine64 $floor_exe $floor_geometry $lines" ;;
    conky) echo "conky -c $conky_conf" ;;
    idle) echo "env WINEPREFIX=$prefix_idle wine64 $idle_exe $floor_geometry" ;;
    before) echo "env WINEPREFIX=$prefix_before wine64 $before_exe" ;;
    esac
}

prefix_of() {
    case "$1" in
    dashvane) echo "$prefix_dashvane" ;;
    floor) echo "$prefix_floor" ;;
    idle) echo "$prefix_idle" ;;
    before) echo "$prefix_before" ;;
    *) echo "" ;;
    esac
}

# Starts a program and waits for its first frame; sets started_pid and
# started_seconds ("nan" when no frame came).
start_program() {
    local program="$1" result
    if [ "$program" = dashvane ] || [ "$program" = before ]; then
        rm -f "$(settings_file "$(prefix_of "$program")")"
    fi
    # shellcheck disable=SC2046
    result="$("${measure[@]}" launch "$log" "$desktop" "${region[@]}" 60 -- $(command_of "$program"))"
    started_pid="${result%% *}"
    started_seconds="${result##* }"
    running+=("$started_pid")
}

# Ends a program this script started and waits until it and its window are gone.
stop_program() {
    local pid="$1" tries=0 kept=() p
    kill "$pid" 2>/dev/null || true
    while [ -e "/proc/$pid" ] && [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" != Z ]; do
        tries=$((tries + 1))
        [ "$tries" -gt 100 ] && { kill -9 "$pid" 2>/dev/null || true; }
        sleep 0.1
    done
    for p in "${running[@]}"; do
        [ "$p" = "$pid" ] || kept+=("$p")
    done
    running=("${kept[@]}")
    "${measure[@]}" clear "$desktop" "${region[@]}" 10
}

row() {
    echo "$1 $2 $3 $4" >>"$raw"
}

# Cold start: a fresh prefix whose server and services are not running yet
# (conky: its first start in this run). Each Wine program's server is then
# kept running, so that every later start is a warm one.
cold_start() {
    local program="$1" prefix
    prefix="$(prefix_of "$program")"
    if [ -n "$prefix" ]; then
        WINEPREFIX="$prefix" prepare_prefix
        WINEPREFIX="$prefix" wineserver -w
    fi
    start_program "$program"
    echo "  $program: cold start ${started_seconds} s"
    row cold "$program" start_cold "$started_seconds"
    if [ "$program" = dashvane ]; then
        sleep 2
        local window
        window="$(xdotool search --name '^DashvaneWindow$' | head -n 1)"
        if [ -n "$window" ]; then
            floor_geometry="$(xwininfo -id "$window" | awk '
                /Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
                /Width:/ { w = $2 } /Height:/ { h = $2 } END { print x, y, w, h }')"
        fi
        echo "  dashvane window (x y width height): $floor_geometry"
        echo "# window $floor_geometry" >>"$raw"
    fi
    stop_program "$started_pid"
    if [ -n "$prefix" ]; then
        WINEPREFIX="$prefix" wineserver -w
        WINEPREFIX="$prefix" wineserver -p
        WINEPREFIX="$prefix" wine64 cmd /c exit </dev/null >/dev/null 2>&1
    fi
}

# One measured run: warm start, settle, then the measured window.
measure_program() {
    local round="$1" program="$2" prefix server="" t0 t1 before after helpers=()
    local helpers_before=0 helpers_after=0
    prefix="$(prefix_of "$program")"
    if [ -n "$prefix" ]; then
        server="$("${measure[@]}" server "$prefix")"
    fi
    start_program "$program"
    local pid="$started_pid"
    row "$round" "$program" start_warm "$started_seconds"
    if [ "$started_seconds" = nan ] || [ ! -e "/proc/$pid" ]; then
        echo "  $program: no first frame; skipped" >&2
        stop_program "$pid"
        return
    fi
    sleep "$settle"
    local pids=("$pid" "$XVFB_PID")
    if [ -n "$server" ]; then
        pids+=("$server")
        # Wine's helper processes of the prefix (services, device drivers,
        # the desktop process ...): whatever they do, the program caused.
        mapfile -t helpers < <("${measure[@]}" helpers "$prefix" "$pid" "$server")
    fi
    t0="$(date +%s.%N)"
    before="$("${measure[@]}" sample "${pids[@]}" | tr '\n' ' ')"
    [ ${#helpers[@]} -gt 0 ] && helpers_before="$("${measure[@]}" cpu "${helpers[@]}")"
    sleep "$seconds"
    t1="$(date +%s.%N)"
    after="$("${measure[@]}" sample "${pids[@]}" | tr '\n' ' ')"
    [ ${#helpers[@]} -gt 0 ] && helpers_after="$("${measure[@]}" cpu "${helpers[@]}")"
    # Samples: 4 figures per pid (cpu ticks, switches, rss kB, pss kB) for
    # the program, Xvfb and, for Wine programs, the Wine server; then the
    # helpers' cpu ticks, summed.
    awk -v r="$round" -v p="$program" -v t0="$t0" -v t1="$t1" -v hz="$(getconf CLK_TCK)" \
        -v b="$before" -v a="$after" -v hb="$helpers_before" -v ha="$helpers_after" 'BEGIN {
            n = split(b, B, " "); split(a, A, " "); dt = t1 - t0
            own = (A[1] - B[1]) / hz / dt * 60
            print r, p, "cpu", own
            print r, p, "wakeups", (A[2] - B[2]) / dt
            print r, p, "rss", A[3] / 1024
            print r, p, "pss", A[4] / 1024
            print r, p, "cpu_x", (A[5] - B[5]) / hz / dt * 60
            server = 0; helpers = 0
            if (n >= 12) {
                server = (A[9] - B[9]) / hz / dt * 60
                helpers = (ha - hb) / hz / dt * 60
                print r, p, "cpu_server", server
                print r, p, "wakeups_server", (A[10] - B[10]) / dt
                print r, p, "cpu_helpers", helpers
            }
            print r, p, "cpu_all", own + server + helpers
        }' >>"$raw"
    echo "  $program: warm start ${started_seconds} s, measured $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }') s"
    stop_program "$pid"
}

# ------------------------------------------------------------------- run
echo "Cold starts"
# Dashvane's cold start comes first, and happens even when Dashvane is not
# measured, whenever the floor or the idle program (which take its window
# rectangle) or conky (which shows its prefix's drive C:) is.
cold=()
if [[ " ${programs[*]} " == *" "@(dashvane|floor|conky|idle)" "* ]]; then
    cold=(dashvane)
fi
for program in "${programs[@]}"; do
    if [ "$program" != dashvane ]; then
        cold+=("$program")
    fi
done
for program in "${cold[@]}"; do
    cold_start "$program"
done

for ((round = 1; round <= rounds; round++)); do
    echo "Round $round of $rounds"
    # Each round starts with the next program, so no program always runs first.
    for ((i = 0; i < ${#programs[@]}; i++)); do
        measure_program "$round" "${programs[$(((round - 1 + i) % ${#programs[@]}))]}"
    done
done

echo
"${measure[@]}" report "$raw" "$table"
cp "$table" "$out/latest.txt"
echo
echo "Saved: $table (raw figures: $raw)"
