# Sourced after xvfb_session.sh by the tests that drive the settings dialog of the real program: a
# window manager, the program ($program) copied to "$work/chronivo" with its settings file $ini beside
# it (begun with the window's place; the caller adds its sections), screenshots and map pixels, the
# program started and the dialog opened, clicked and closed. The caller names, in start_clock, a map
# pixel that turns red once the first frame is up.
start_window_manager
cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"
printf '[MainWin]\r\nLeft=100\r\nTop=60\r\n' > "$ini"
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

# start_clock X Y: starts "$work/chronivo" and waits for a city's dot at map pixel X, Y; sets clock
# (its process) and window.
start_clock() {
    run_program "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    pids+=($clock)
    for _ in $(seq 100); do
        sleep 0.25
        screen || continue
        [ "$(map_pixel "$1" "$2")" = "255,0,0" ] && break
    done
    window=$(xdotool search --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' | head -n 1)
    [ -n "$window" ] || fail "no clock window: $(cat "$work/out.log")"
    [ "$(map_pixel "$1" "$2")" = "255,0,0" ] ||
        fail "no dot at $1, $2: $(map_pixel "$1" "$2"); $(xdotool getwindowgeometry "$window"); $(cat "$work/out.log")"
}

# A click on the Settings picture at (378, 96); sets dialog.
open_settings() {
    xdotool mousemove --window "$window" 378 96 click 1
    dialog=$(shown_window 5 '^Veltrix Chronivo Settings$') || fail "the settings dialog did not open"
    sleep 0.3
    geometry=$(xdotool getwindowgeometry "$dialog")
    echo "$geometry" | grep -q "Geometry: 448x280" || fail "dialog size: $geometry"
}

# click "X Y": a click at X, Y of the dialog.
click() { xdotool mousemove --window "$dialog" $1 click 1; sleep 0.2; }

wait_dialog_closed() {
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Veltrix Chronivo Settings$' >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the dialog did not close"
}

# shoot_dialog FILE: a picture of the dialog alone.
shoot_dialog() {
    local origin
    origin=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "+" y}')
    import -window root -crop "448x280+$origin" +repage "$1"
}
