#!/usr/bin/env bash
# Processor time at rest: the program and a bare Qt window of the same size run side by side on one
# virtual X server (no window manager) with nothing to do; after their start-up, the processor time
# each used (from /proc/PID/schedstat, in nanoseconds) is read over ten windows of WINDOW seconds.
# Prints each median in milliseconds per minute, and the program's share of one core.
# Usage: bench/idle_cpu.sh [BUILD_FOLDER] [WINDOW] (defaults build/ and 6); needs Xvfb.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-6}
bare=$build/bench/bare_window
program=$build/src/app/chronivo
source bench/session.sh
require_built "$bare" "$program"
windows=10

# The program as a user keeps it: the world map with its cities and the Sun's shadow, updates by hand.
mkdir -p "$work/app"
cp "$program" "$work/app/chronivo"
printf '[MainWin]\nLeft=0\nTop=0\n[Display]\nMap view=0\nShow shadow=1\n[Clock]\nUpdate type=1\n' \
    >"$work/app/chronivo.ini"
"$work/app/chronivo" >/dev/null 2>&1 &
clock=$!
pids+=("$clock")
"$bare" >/dev/null 2>&1 &
plain=$!
pids+=("$plain")
sleep 3

cpu_ns() { cut -d ' ' -f 1 "/proc/$1/schedstat"; }
: >"$work/clock.txt"
: >"$work/plain.txt"
for _ in $(seq "$windows"); do
    clock_start=$(cpu_ns "$clock") || fail "the program ended"
    plain_start=$(cpu_ns "$plain") || fail "the bare window ended"
    sleep "$seconds"
    # Milliseconds of processor time per minute of wall time.
    echo "$(( ($(cpu_ns "$clock") - clock_start) * 60 / seconds / 1000000 ))" >>"$work/clock.txt"
    echo "$(( ($(cpu_ns "$plain") - plain_start) * 60 / seconds / 1000000 ))" >>"$work/plain.txt"
done
clock_median=$(median <"$work/clock.txt")
plain_median=$(median <"$work/plain.txt")
echo "program at rest:      median $clock_median ms per minute  ($(tr '\n' ' ' <"$work/clock.txt"))"
echo "bare Qt window:       median $plain_median ms per minute  ($(tr '\n' ' ' <"$work/plain.txt"))"
awk -v c="$clock_median" -v p="$plain_median" \
    'BEGIN { printf "program: %.3f %% of one core; %.1f ms per minute more than the bare window\n", c / 600, c - p }'
