#!/usr/bin/env bash
# End to end: a city of the world's cities added through the settings dialog of the real program under
# a virtual X server with a window manager. "tromso" typed in the filter offers "Tromsø, Norway"; a
# double-click and OK store it in its own section and show its dot on the world map, with the time of
# its zone though the table's offsets are in force: the same time text as Madrid's, the table's
# city of the same time, drawn in the same frame. A restart shows it again.
# Usage: worldcities_e2e.sh <path of the built chronivo program> [folder for a picture of a search]
set -uo pipefail
program=$1
shots=${2:-}
source "$(dirname "$0")/xvfb_session.sh"
source "$(dirname "$0")/settings_session.sh"
printf '[Display]\r\nMap view=0\r\nShow shadow=0\r\nTime zones=0\r\n' >> "$ini"
printf '[World Cities]\r\nCity 1=Madrid, Spain\r\nCity 2=\r\n' >> "$ini"

# Dots on the 316 × 158 world map: Madrid (4° W, 40° N), Tromsø (18.92° E, 69.67° N).
madrid="155 44"
tromso="176 18"

# The aqua pixels of the time line under a dot at x, y (rows y + 10 to y + 18, 40 columns centred), as
# a black-and-white picture in FILE: the lettering alone, whatever the map beneath.
time_lettering() {
    convert "$work/screen.png" -crop 40x9+$(($1 + mapx - 20))+$(($2 + mapy + 10)) +repage \
        -fx 'r<0.01 && g>0.99 && b>0.99 ? 1 : 0' "$3"
}

stop_clock() {
    kill "$clock"
    poll 5 bash -c "! kill -0 $clock 2>/dev/null" || fail "the program did not end"
}

# Tromsø's dot, and its time lettering equal to Madrid's (both central European time in December; in
# July both summer time).
check_tromso() {
    screen
    [ "$(map_pixel $tromso)" = "255,0,0" ] || fail "no dot at Tromsø: $(map_pixel $tromso)"
    time_lettering $tromso "$work/tromso.png"
    time_lettering $madrid "$work/madrid.png"
    lit=$(convert "$work/tromso.png" -format '%[fx:int(mean*w*h+0.5)]' info:)
    [ "$lit" -gt 10 ] || fail "no time under Tromsø's dot"
    differ=$(compare -metric AE "$work/tromso.png" "$work/madrid.png" null: 2>&1)
    echo "Tromsø's time: $lit lettering pixels, $differ differing from Madrid's"
    [ "${differ%.*}" = 0 ] || fail "Tromsø's time is not Madrid's"
}

start_clock $madrid
[ "$(map_pixel $tromso)" != "255,0,0" ] || fail "a dot at Tromsø before it was added"
open_settings
click "$tab_cities"
click "$ed_filter"
# The picture for the README: table rows and the world's cities side by side.
if [ -n "$shots" ]; then
    xdotool type --delay 60 ber
    sleep 0.5
    shoot_dialog "$shots/settings-worldcities.png"
    xdotool key ctrl+a
fi
xdotool type --delay 60 tromso
sleep 0.5
xdotool mousemove --window "$dialog" $first_city click --repeat 2 --delay 80 1
sleep 0.3
click "$btn_ok"
wait_dialog_closed

tr -d '\r' < "$ini" | grep -qx 'Tromsø, Norway=69.666667 18.916667 Europe/Oslo' ||
    fail "the added city was not stored: $(cat -A "$ini")"
grep -A3 '^\[World Cities\]' "$ini" | tr -d '\r' | paste -sd'|' |
    grep -qx '\[World Cities\]|City 1=Madrid, Spain|City 2=Tromsø, Norway|City 3=' || fail "list: $(cat -A "$ini")"
sleep 0.5
check_tromso

stop_clock
start_clock $madrid
check_tromso
echo "1 passed, 0 failed"
