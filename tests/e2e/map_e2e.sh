#!/usr/bin/env bash
# End to end: the map of the real program under a virtual X server. The first tick draws the cities
# of the "World Cities" list as red dots with aqua labels on the built-in world; a "map.bmp" beside
# the program takes the world's place, and one that is no picture leaves the built-in world.
# Usage: map_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
source "$(dirname "$0")/xvfb_session.sh"

cp "$program" "$work/chronivo"
cat > "$work/chronivo.ini" <<'INI'
[MainWin]
Left=100
Top=60
[Display]
Map view=0
Show shadow=0
[World Cities]
City 1=Honolulu, Hawaii
City 2=London, England
City 3=Sydney, Australia
City 4=
INI
# The map's top-left corner on the screen: the window's place plus the map's place in it.
mapx=$((100 + 47))
mapy=$((60 + 39))

# "r,g,b" of the screen pixel at the map's column and row.
pixel() {
    convert "$work/screen.png" -format "%[fx:int(255*p{$(($1 + mapx)),$(($2 + mapy))}.r)],%[fx:int(255*p{$(($1 + mapx)),$(($2 + mapy))}.g)],%[fx:int(255*p{$(($1 + mapx)),$(($2 + mapy))}.b)]" info:
}

# Starts the clock and waits until its map shows London's dot, at (159, 33) in view 0.
show_map() {
    run_program "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    for _ in $(seq 60); do
        sleep 0.25
        import -window root "$work/screen.png" 2>/dev/null || continue
        [ "$(pixel 159 33)" = "255,0,0" ] && return 0
    done
    fail "no dot at London: $(pixel 159 33); $(cat "$work/out.log")"
}

stop_clock() {
    kill -TERM "$clock"
    for _ in $(seq 50); do kill -0 "$clock" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end"
}

# 1. The built-in world with three cities: red dots over black shadows, aqua labels under them.
show_map
for dot in "20 61 Honolulu" "159 33 London" "292 109 Sydney"; do
    set -- $dot
    [ "$(pixel "$1" "$2")" = "255,0,0" ] || fail "$3: no red dot at $1,$2: $(pixel "$1" "$2")"
    [ "$(pixel $(($1 + 2)) $(($2 + 1)))" = "0,0,0" ] || fail "$3: no shadow right of the dot"
done
aqua=$(convert "$work/screen.png" -crop 40x24+$((mapx + 139))+$((mapy + 35)) +repage \
    -fx 'r<0.2 && g>0.9 && b>0.9 ? 1 : 0' -format '%[fx:int(mean*w*h+0.5)]' info:)
echo "London's label: $aqua aqua pixels"
[ "$aqua" -gt 20 ] || fail "no label under London"
sea=$(pixel 5 80)
echo "built-in sea: $sea"
stop_clock

# 2. A map.bmp of plain green replaces the world.
convert -size 316x158 xc:'rgb(32,96,32)' -type truecolor BMP3:"$work/map.bmp"
show_map
[ "$(pixel 5 80)" = "32,96,32" ] || fail "map.bmp not shown: $(pixel 5 80)"
stop_clock

# 3. A map.bmp that is no picture: the program starts as ever, with the built-in world.
echo "not a picture" > "$work/map.bmp"
show_map
[ "$(pixel 5 80)" = "$sea" ] || fail "the built-in world is not back: $(pixel 5 80)"
grep -q "passed over" "$work/out.log" || fail "the unusable map.bmp was not reported"
stop_clock
echo "1 passed, 0 failed"
