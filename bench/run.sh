#!/usr/bin/env bash
# The program beside a bare Qt window (bench/bare_window.cpp: same size, a label and a title that
# change every second), on one virtual X server without a window manager. The program shows the world
# map centred on Europe with 8 cities and the Sun's shadow, as a user keeps it. Prints one row per
# figure with the program's value, the bare window's, their ratio (or difference) and the goal:
#   start      exec to map on screen, ms (median of interleaved rounds; bench/firstpaint_probe), and
#              the instructions until the window's first picture is on the screen (callgrind)
#   cpu        processor time at rest, all threads, ms per minute (median of interleaved windows)
#   instr      instructions per second at rest, all threads (callgrind; independent of the load)
#   memory     anonymous memory 5 s after the start, MiB
#   second     how late a new second reaches the title (and the read-out) after the real one, ms: 95th
#              percentile over a minute (bench/tickphase_probe); the main thread's wake-ups per second
#   big map    with a 2048 x 1024 map.bmp: time to map on screen against the built-in map's, and the
#              instructions of the frame a new minute brings (callgrind; drawn and copied to the screen)
# Times are as good as the machine is quiet; instruction counts hold under load.
# Usage: bench/run.sh [BUILD_FOLDER] [ROUNDS] (defaults build/ and 10); needs Xvfb, ImageMagick and
# valgrind. Build the targets chronivo, bare_window, firstpaint_probe and tickphase_probe first.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-10}
probe=$build/bench/firstpaint_probe
probe_tick=$build/bench/tickphase_probe
bare=$build/bench/bare_window
program=$build/src/app/chronivo
source bench/session.sh
require_built "$probe" "$probe_tick" "$bare" "$program"
command -v valgrind >/dev/null || fail "valgrind is needed"

# The program's folders: the built-in map, and a 2048 x 1024 replacement map.
settings='[MainWin]\nLeft=0\nTop=0\n[Display]\nMap view=0\nShow shadow=1\n[Clock]\nUpdate type=1\n'
cities='[World Cities]\nCity 1=London, England\nCity 2=New York, New York\nCity 3=Tokyo, Japan\n'
cities+='City 4=Sydney, Australia\nCity 5=Moscow, Russia\nCity 6=Honolulu, Hawaii\n'
cities+='City 7=Rio de Janeiro, Brazil\nCity 8=Cairo, Egypt\nCity 9=\n'
for folder in app big; do
    mkdir -p "$work/$folder"
    cp "$program" "$work/$folder/chronivo"
    printf "$settings$cities" >"$work/$folder/chronivo.ini"
done
convert resources/maps/world.bmp -filter point -resize '2048x1024!' -type truecolor BMP3:"$work/big/map.bmp" ||
    fail "cannot make the large map"

# A pixel of the map area far from the cities (the window stands at the screen's top left corner).
x=$((47 + 5))
y=$((39 + 150))
pixel_colour() { convert x:root -crop "1x1+$x+$y" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1 | tr -d '#'; }
# The colour of that pixel once PROGRAM has long been running.
settled_colour() {
    "$1" >/dev/null 2>&1 &
    local running=$!
    sleep 4
    pixel_colour
    kill "$running"
    wait "$running" 2>/dev/null
}
map_colour=$(settled_colour "$work/app/chronivo")
big_colour=$(settled_colour "$work/big/chronivo")
for colour in "$map_colour" "$big_colour"; do
    [ -n "$colour" ] && [ "$colour" != 000000 ] || fail "no map colour at $x,$y: '$colour'"
done

# --- start-up: the three in turn, round after round.
: >"$work/start_map.txt"
: >"$work/start_big.txt"
: >"$work/start_bare.txt"
for _ in $(seq "$rounds"); do
    "$probe" "$x" "$y" "$map_colour" 5000 "$work/app/chronivo" >>"$work/start_map.txt" || fail "the map did not appear"
    sleep 0.2
    "$probe" "$x" "$y" C81E1E 5000 "$bare" >>"$work/start_bare.txt" || fail "the bare window did not appear"
    sleep 0.2
    "$probe" "$x" "$y" "$big_colour" 5000 "$work/big/chronivo" >>"$work/start_big.txt" || fail "the large map did not appear"
    sleep 0.2
done

# --- at rest: both side by side; memory after 5 s, then processor time of all threads in windows.
"$work/app/chronivo" >/dev/null 2>&1 &
clock=$!
pids+=("$clock")
"$bare" >/dev/null 2>&1 &
plain=$!
pids+=("$plain")
sleep 5
anon_kib() { awk '/^RssAnon:/ { print $2 }' "/proc/$1/status"; }
clock_anon=$(anon_kib "$clock") || fail "the program ended"
plain_anon=$(anon_kib "$plain") || fail "the bare window ended"
# Nanoseconds of processor time of every thread of a process.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
window=6
: >"$work/cpu_map.txt"
: >"$work/cpu_bare.txt"
for _ in $(seq "$rounds"); do
    clock_start=$(cpu_ns "$clock")
    plain_start=$(cpu_ns "$plain")
    sleep "$window"
    echo "$(( ($(cpu_ns "$clock") - clock_start) * 60 / window / 1000 ))" >>"$work/cpu_map.txt"
    echo "$(( ($(cpu_ns "$plain") - plain_start) * 60 / window / 1000 ))" >>"$work/cpu_bare.txt"
done
# How late each new second reaches the title (set with the read-out), and the main thread's wake-ups.
window_of() { xdotool search --all --pid "$1" --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]' | head -n 1; }
wakeups() { awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$1/status"; }
phase_seconds=60
clock_wakeups=$(wakeups "$clock")
plain_wakeups=$(wakeups "$plain")
"$probe_tick" "$(window_of "$clock")" "$phase_seconds" >"$work/late_map.txt" &
probing=$!
"$probe_tick" "$(window_of "$plain")" "$phase_seconds" >"$work/late_bare.txt" || fail "cannot watch the bare window"
wait "$probing" || fail "cannot watch the program's window"
clock_wakeups=$(( $(wakeups "$clock") - clock_wakeups ))
plain_wakeups=$(( $(wakeups "$plain") - plain_wakeups ))
kill "$clock" "$plain"
wait "$clock" "$plain" 2>/dev/null

# --- instructions under callgrind: counting starts once the window has settled.
# instructions_at_rest PROGRAM SECONDS: instructions per second, all threads.
instructions_at_rest() {
    local out=$work/callgrind.rest
    rm -f "$out".*
    valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out.%p" "$1" >/dev/null 2>&1 &
    local running=$!
    sleep 10
    callgrind_control -i on "$running" >/dev/null 2>&1
    sleep "$2"
    callgrind_control -d "$running" >/dev/null 2>&1
    kill "$running"
    wait "$running" 2>/dev/null
    # The dump asked for holds the counts since counting began.
    local dump
    dump=$(ls "$out".*.1 2>/dev/null | head -n 1)
    [ -n "$dump" ] || fail "no callgrind dump for $1"
    awk -v s="$2" '/^summary:/ { printf "%.0f\n", $2 / s }' "$dump"
}
# dump_after PROGRAM FUNCTION [CALLGRIND OPTIONS...]: the instructions callgrind counted until FUNCTION
# (a pattern) returned with a count above 0.
dump_after() {
    local out=$work/callgrind.dump
    rm -f "$out".*
    valgrind --tool=callgrind --dump-after="$2" --callgrind-out-file="$out.%p" "${@:3}" "$1" >/dev/null 2>&1 &
    local running=$!
    local count=""
    for _ in $(seq 600); do
        count=$(cat /dev/null "$out".*.* 2>/dev/null | awk '/^summary:/ && $2 > 0 { print $2; exit }')
        [ -n "$count" ] && break
        sleep 0.1
    done
    kill "$running"
    wait "$running" 2>/dev/null
    echo "${count:-0}"
}
# Start to the first picture of the whole window on the screen (the program's holds its map).
start_instructions() { dump_after "$1" 'QWidgetRepaintManager::flush(*'; }
# minute_frames PROGRAM...: for each program, the instructions of the frame a new minute brings, drawn and
# copied to the screen (the first frame also sets up the fonts, once, as any window's first text does). All run
# side by side; counting is cleared once they have settled and read 3 s after the next minute begins.
minute_frames() {
    local running=() program
    rm -f "$work"/callgrind.minute.*
    for program in "$@"; do
        valgrind --tool=callgrind --collect-atstart=no --toggle-collect='TcvMain::DrawMap(*' \
            --toggle-collect='TcvMain::MapPaint(*' --callgrind-out-file="$work/callgrind.minute.${#running[@]}.%p" \
            "$program" >/dev/null 2>&1 &
        running+=("$!")
    done
    sleep 15
    for program in "${running[@]}"; do callgrind_control -z "$program" >/dev/null 2>&1; done
    sleep $((60 - 10#$(date +%S) + 3))
    for program in "${running[@]}"; do callgrind_control -d "$program" >/dev/null 2>&1; done
    sleep 1
    kill "${running[@]}"
    wait "${running[@]}" 2>/dev/null
    local i
    for i in "${!running[@]}"; do
        awk '/^summary:/ { print $2 }' "$(ls "$work"/callgrind.minute."$i".*.1 | head -n 1)"
    done
}
rest_seconds=60  # a whole minute: one map redraw, as at rest
instr_map=$(instructions_at_rest "$work/app/chronivo" "$rest_seconds")
instr_bare=$(instructions_at_rest "$bare" "$rest_seconds")
start_instr_map=$(start_instructions "$work/app/chronivo")
start_instr_bare=$(start_instructions "$bare")
read -r -d '' frame_map frame_big < <(minute_frames "$work/app/chronivo" "$work/big/chronivo")

# --- the table.
med() { median <"$work/$1.txt"; }
p95() { sort -n "$work/$1.txt" | awk '{ v[NR] = $1 } END { i = int(NR * 0.95 + 0.999); print NR ? v[i] : -1 }'; }
list() { tr '\n' ' ' <"$work/$1.txt"; }
start_map=$(med start_map)
start_bare=$(med start_bare)
start_big=$(med start_big)
cpu_map=$(med cpu_map)
cpu_bare=$(med cpu_bare)
awk -v sm="$start_map" -v sb="$start_bare" -v sg="$start_big" \
    -v cm="$cpu_map" -v cb="$cpu_bare" -v im="$instr_map" -v ib="$instr_bare" \
    -v am="$clock_anon" -v ab="$plain_anon" -v fm="$frame_map" -v fg="$frame_big" \
    -v lm="$(p95 late_map)" -v lb="$(p95 late_bare)" -v wm="$clock_wakeups" -v wb="$plain_wakeups" \
    -v ws="$phase_seconds" -v sim="$start_instr_map" -v sib="$start_instr_bare" 'BEGIN {
    printf "%-46s %12s %12s %10s  %s\n", "figure", "Chronivo", "bare Qt", "ratio", "goal"
    printf "%-46s %9.1f ms %9.1f ms %10.2f  <= 1.15\n", "exec -> map (world, 8 cities, shadow)", sm, sb, sm / sb
    printf "%-46s %10.1f M %10.1f M %10.2f  (instructions of the row above)\n", "exec -> map, instructions (callgrind)", sim / 1e6, sib / 1e6, sim / sib
    printf "%-46s %12.1f %12.1f %10.2f  <= 1.10\n", "idle CPU, all threads, ms per minute", cm / 1000, cb / 1000, cm / cb
    printf "%-46s %10.0f K %10.0f K %10.2f  <= 1.15\n", "idle instructions per second (callgrind)", im / 1000, ib / 1000, im / ib
    printf "%-46s %8.1f MiB %8.1f MiB %+8.1f MiB  <= +1 MiB\n", "anonymous memory after 5 s", am / 1024, ab / 1024, (am - ab) / 1024
    printf "%-46s %9.1f ms %9.1f ms %10s  <= 20 ms\n", "new second shown after the real one, 95th pct", lm, lb, ""
    printf "%-46s %12.2f %12.2f %10.2f  no more than before\n", "main thread wake-ups per second", wm / ws, wb / ws, wm / wb
    printf "%-46s %9.1f ms %9.1f ms %10.2f  <= 1.3 x built-in map\n", "2048 x 1024 map.bmp: map on screen (vs built-in)", sg, sm, sg / sm
    printf "%-46s %10.2f M %10.2f M %10.2f  <= 1.5 M\n", "2048 x 1024 map.bmp: frame of a new minute", fg / 1e6, fm / 1e6, fg / fm
}'
echo
echo "rounds (ms): map $(list start_map)| bare $(list start_bare)| big map $(list start_big)"
echo "at rest (us per minute): map $(list cpu_map)| bare $(list cpu_bare)"
echo "new second late (ms), median: map $(med late_map) | bare $(med late_bare)"
echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg)"
