#!/usr/bin/env bash
# Start-up to map on screen: how long after its start the program shows its map, beside the first
# paint of a bare Qt window of the same size, both started ten times in turn on one virtual X
# server (no window manager). Prints each median and their ratio.
# Usage: bench/startup_to_map.sh [BUILD_FOLDER] (default build/); needs Xvfb and ImageMagick.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
probe=$build/bench/firstpaint_probe
bare=$build/bench/bare_window
program=$build/src/app/chronivo
source bench/session.sh
require_built "$probe" "$bare" "$program"
runs=10
# A pixel of the map area (the window stands at the screen's top left corner): 5, 80 of the map.
x=$((47 + 5))
y=$((39 + 80))

mkdir -p "$work/app"
cp "$program" "$work/app/chronivo"
printf '[MainWin]\nLeft=0\nTop=0\n[Display]\nMap view=0\nShow shadow=0\n' >"$work/app/chronivo.ini"

# The map's colour at that pixel, from a program that has long been running.
"$work/app/chronivo" >/dev/null 2>&1 &
running=$!
sleep 3
map_colour=$(convert x:root -crop "1x1+$x+$y" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n 1 | tr -d '#')
kill "$running"
wait "$running" 2>/dev/null
[ -n "$map_colour" ] && [ "$map_colour" != 000000 ] || fail "no map colour at $x,$y: '$map_colour'"

: >"$work/map.txt"
: >"$work/bare.txt"
for _ in $(seq "$runs"); do
    "$probe" "$x" "$y" "$map_colour" 5000 "$work/app/chronivo" >>"$work/map.txt" || fail "the map did not appear"
    "$probe" "$x" "$y" C81E1E 5000 "$bare" >>"$work/bare.txt" || fail "the bare window did not appear"
    sleep 0.2
done
map=$(median <"$work/map.txt")
base=$(median <"$work/bare.txt")
echo "start to map on screen:    median $map ms  ($(tr '\n' ' ' <"$work/map.txt"))"
echo "bare Qt window, 1st paint: median $base ms  ($(tr '\n' ' ' <"$work/bare.txt"))"
awk -v m="$map" -v b="$base" 'BEGIN { printf "ratio: %.2f\n", m / b }'
