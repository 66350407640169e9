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
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"
printf '[MainWin]\r\nLeft=100\r\nTop=60\r\n[Display]\r\nMap view=0\r\nShow shadow=0\r\n[Clock]\r\nUpdate type=1\r\n' > "$ini"
printf '[World Cities]\r\nCity 1=London, England\r\nCity 2=\r\n' >> "$ini"
cp "$ini" "$work/before.ini"

# The map's top-left corner on the screen: the window's place plus the map's place in it.
mapx=$((100 + 47))
mapy=$((60 + 39))
# Places in the dialog (the tab bar and the pages of this style; the components' own places are fixed).
tab_clock="98 20"
tab_map="147 20"
tab_cities="196 20"
rb_never="90 72"
rb_usa="100 172"
ed_filter="142 68"
first_city="80 88"
btn_ok="244 260"
btn_cancel="324 260"

screen() { import -window root "$work/screen.png" 2>/dev/null; }
# "r,g,b" of the screen pixel at x, y.
pixel_at() {
    convert "$work/screen.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}
map_pixel() { pixel_at $(($1 + mapx)) $(($2 + mapy)); }
# Red dots in the map area.
red_dots() {
    convert "$work/screen.png" -crop 316x158+$mapx+$mapy +repage -fx 'r>0.99 && g<0.01 && b<0.01 ? 1 : 0' \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}

start_clock() {
    run_program "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    pids+=($clock)
    for _ in $(seq 100); do
        sleep 0.25
        screen || continue
        [ "$(map_pixel 159 33)" = "255,0,0" ] && break
    done
    window=$(xdotool search --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' | head -n 1)
    [ -n "$window" ] || fail "no clock window: $(cat "$work/out.log")"
    [ "$(map_pixel 159 33)" = "255,0,0" ] ||
        fail "no dot at London: $(map_pixel 159 33); $(xdotool getwindowgeometry "$window"); $(cat "$work/out.log")"
}

open_settings() {
    xdotool mousemove --window "$window" 378 96 click 1
    dialog=""
    for _ in $(seq 50); do
        dialog=$(xdotool search --onlyvisible --name '^Veltrix Chronivo Settings$' 2>/dev/null | head -n 1)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    [ -n "$dialog" ] || fail "the settings dialog did not open"
    sleep 0.3
    geometry=$(xdotool getwindowgeometry "$dialog")
    echo "$geometry" | grep -q "Geometry: 448x280" || fail "dialog size: $geometry"
}

click() { xdotool mousemove --window "$dialog" $1 click 1; sleep 0.2; }

wait_dialog_closed() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Veltrix Chronivo Settings$' >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the dialog did not close"
}

# Pictures of the five pages, for the README.
shoot_page() {
    [ -n "$shots" ] || return 0
    local origin
    origin=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "+" y}')
    import -window root -crop "448x280+$origin" +repage "$shots/settings-$1.png"
}

# The Set Clock picture's place on the screen, from the latest screenshot.
set_clock_area() { convert "$work/screen.png" -crop 19x19+$((100 + 378))+$((60 + 48)) +repage "$1"; }

# 1. Cancel after changes: the file stays as it was, byte for byte.
start_clock
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
