#!/usr/bin/env bash
# End to end: the settings dialog of the real program under a virtual X server with a window manager.
# A click on the Settings picture at (378, 96) opens it. Cancel after changes leaves "chronivo.ini"
# unchanged byte for byte; OK after choosing "North America only", "Never" and a city writes the
# choices, shows the North America map with that city and hides the Set Clock picture.
# Usage: settings_e2e.sh <path of the built chronivo program> [folder for screenshots of the pages]
set -uo pipefail
program=$1
shots=${2:-}
source "$(dirname "$0")/xvfb_session.sh"
source "$(dirname "$0")/settings_session.sh"
printf '[Display]\r\nMap view=0\r\nShow shadow=0\r\n[Clock]\r\nUpdate type=1\r\n' >> "$ini"
printf '[World Cities]\r\nCity 1=London, England\r\nCity 2=\r\n' >> "$ini"
cp "$ini" "$work/before.ini"

# Red dots in the map area.
red_dots() {
    convert "$work/screen.png" -crop 316x158+$mapx+$mapy +repage -fx 'r>0.99 && g<0.01 && b<0.01 ? 1 : 0' \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}

# Pictures of the five pages, for the README.
shoot_page() {
    [ -n "$shots" ] || return 0
    shoot_dialog "$shots/settings-$1.png"
}

# The Set Clock picture's place on the screen, from the latest screenshot.
set_clock_area() { convert "$work/screen.png" -crop 19x19+$((100 + 378))+$((60 + 48)) +repage "$1"; }

# 1. Cancel after changes: the file stays as it was, byte for byte.
start_clock 159 33
set_clock_area "$work/setclock-before.png"
open_settings
click "$tab_clock"
click "$rb_never"
click "$tab_map"
click "$rb_usa"
click "$btn_cancel"
wait_dialog_closed
cmp -s "$ini" "$work/before.ini" || fail "Cancel changed the file: $(cat -A "$ini")"
screen
[ "$(map_pixel 159 33)" = "255,0,0" ] || fail "Cancel changed the map"

# 2. OK after choosing the view, the update mode and a city.
open_settings
shoot_page general
click "$tab_clock"
shoot_page clock
click "$rb_never"
click "$tab_map"
shoot_page map
click "$rb_usa"
click "$tab_cities"
click "$ed_filter"
xdotool type --delay 30 chicago
sleep 0.3
xdotool mousemove --window "$dialog" $first_city click --repeat 2 --delay 80 1
sleep 0.3
shoot_page cities
if [ -n "$shots" ]; then
    xdotool mousemove --window "$dialog" 250 20 click 1
    sleep 0.3
    shoot_page about
fi
click "$btn_ok"
wait_dialog_closed

grep -q $'^Update type=0\r$' "$ini" || fail "update type not written: $(cat -A "$ini")"
grep -q $'^Map view=4\r$' "$ini" || fail "map view not written: $(cat -A "$ini")"
grep -q $'^TrayIcon=0\r$' "$ini" || fail "tray mode not written"
grep -q $'^Time server=time.nist.gov\r$' "$ini" || fail "server not written"
grep -A2 '^\[USA Cities\]' "$ini" | tr -d '\r' | paste -sd'|' | grep -qx '\[USA Cities\]|City 1=Chicago, Illinois|City 2=' ||
    fail "city list not written: $(cat -A "$ini")"
grep -q $'^City 1=London, England\r$' "$ini" || fail "the world list was touched"

# The map now shows North America with one red dot, Chicago's; London's is gone.
screen
[ "$(map_pixel 159 33)" != "255,0,0" ] || fail "still the world map"
dots=$(red_dots)
echo "red pixels on the map: $dots"
[ "$dots" -gt 2 ] || fail "no city on the North America map"
# The Set Clock picture is hidden: its place looks different now.
set_clock_area "$work/setclock-after.png"
changed=$(compare -metric AE "$work/setclock-before.png" "$work/setclock-after.png" null: 2>&1)
echo "Set Clock area: $changed pixels changed"
[ "${changed%.*}" -gt 20 ] || fail "Set Clock still shown"
echo "1 passed, 0 failed"
