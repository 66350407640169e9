#!/usr/bin/env bash
# End to end: the window's outline and its drag, on a bare X server and then under a window manager.
# The window's X shape must be the stored outline, the desktop's colour must show all around it, a
# left drag of the picture moves the window by the drag, and a right or a Shift+left drag does not.
# Usage: skin_e2e.sh <path of the built chronivo program> <stored outline file>
set -uo pipefail
program=$1
shape=$2
here=$(dirname "$0")
source "$here/xvfb_session.sh"
xshape() { python3 "$helpers/xshape.py" "$@"; }
desktop=2060c0

cp "$program" "$work/chronivo"

start_clock() {
    printf '[MainWin]\nLeft=100\nTop=80\n' > "$work/chronivo.ini"
    start_clock_window
}

stop_clock() {
    kill -TERM "$clock"
    for _ in $(seq 50); do kill -0 "$clock" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end"
}

place() { xdotool getwindowgeometry "$window" | sed -n 's/.*Position: \([0-9-]*,[0-9-]*\).*/\1/p'; }

# Waits until the window stands at $1 ("x,y"); fails after 3 s.
wait_place() {
    for _ in $(seq 30); do [ "$(place)" = "$1" ] && return 0; sleep 0.1; done
    fail "$2: the window is at $(place), not $1"
}

# Presses a button on the picture's left margin, beside the map, and drags it by (60, 40) in steps.
drag() {
    local button=$1 x=$2 y=$3
    xdotool mousemove $((x + 20)) $((y + 120))
    sleep 0.2
    xdotool mousedown "$button"
    for step in 1 2 3 4; do
        xdotool mousemove $((x + 20 + 15 * step)) $((y + 120 + 10 * step))
        sleep 0.1
    done
    xdotool mouseup "$button"
    sleep 0.3
}

check() {
    local label=$1
    start_clock
    wait_place 100,80 "$label: start"
    xshape root-colour "$desktop"

    # The window's shape is the stored outline, rectangle by rectangle.
    for _ in $(seq 30); do
        xshape rects "$window" > "$work/xshape.txt"
        [ -s "$work/xshape.txt" ] && break
        sleep 0.1
    done
    xshape stored "$shape" > "$work/stored.txt"
    diff "$work/stored.txt" "$work/xshape.txt" >/dev/null ||
        fail "$label: the X shape is not the stored outline: $(diff "$work/stored.txt" "$work/xshape.txt" | head)"
    echo "$label: X shape = stored outline ($(wc -l < "$work/stored.txt") rectangles)"

    # The desktop shows around the outline, and not inside it.
    sleep 0.5
    import -window root -crop 409x225+100+80 +repage -depth 8 "$work/window.ppm" 2>/dev/null || fail "no screenshot"
    read -r outside inside < <(xshape compare "$work/window.ppm" "$shape" "$desktop")
    echo "$label: $outside pixels outside the outline are not the desktop, $inside inside it are"
    [ "$outside" -eq 0 ] || fail "$label: the desktop does not show around the outline"
    [ "$inside" -lt 200 ] || fail "$label: the desktop shows through the window"

    drag 3 100 80
    wait_place 100,80 "$label: right drag"
    xdotool keydown shift
    drag 1 100 80
    xdotool keyup shift
    wait_place 100,80 "$label: Shift+left drag"
    drag 1 100 80
    wait_place 160,120 "$label: left drag"
    echo "$label: a left drag moves the window by the drag; right and Shift+left drags do not"
    stop_clock
}

check "bare X server"
start_window_manager
check "openbox"
echo "1 passed, 0 failed"
