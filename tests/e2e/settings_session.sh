# Sourced after xvfb_session.sh by the tests that drive the settings dialog of the real program: a
# window manager, the program ($program) copied to "$work/chronivo" with its settings file $ini beside
# it, screenshots and map pixels, the program started and the dialog opened, clicked and closed. The
# caller sets mapx and mapy (the map's top-left corner on the screen) and, in start_clock, names a map
# pixel that turns red once the first frame is up.
start_window_manager
cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"

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
