#!/usr/bin/env bash
# End to end: the real program under a virtual X server with a window manager. It must open a
# 409 × 225 window at the saved place (moved onto the screen when it would be off it), tick its
# title every second, save its place when its close button is clicked, and start minimized, never
# shown first, when the settings file says so.
# Usage: mainwindow_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
source "$(dirname "$0")/xvfb_session.sh"
start_window_manager

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"

start_clock() {
    start_clock_window
    if [ ${#as_user[@]} -gt 0 ]; then
        [ "$(awk '/^Uid:/ {print $3}' "/proc/$clock/status")" != 0 ] || fail "the program runs as root"
    fi
}

wait_exit() {
    for _ in $(seq 100); do kill -0 "$clock" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end"
}

# 1. Opens at the saved place, with its size and a ticking title.
printf '[MainWin]\r\nLeft=120\r\nTop=80\r\n' > "$ini"
start_clock
placed() { xdotool getwindowgeometry "$window" | grep -q "Position: 120,80"; }
poll 5 placed
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry" | grep -q "Geometry: 409x225" || fail "size: $geometry"
echo "$geometry" | grep -q "Position: 120,80" || fail "place: $geometry"
title1=$(xdotool getwindowname "$window")
echo "title: $title1"
[[ "$title1" =~ ^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\ \ [A-Z][a-z]+,\ [0-9]{1,2}\ [A-Z][a-z]+\ [0-9]{4}$ ]] ||
    [[ "$title1" =~ ^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\ \ .+[0-9]{4} ]] || fail "title: $title1"
ticked() { [ "$(xdotool getwindowname "$window")" != "$title1" ]; }
poll 3 ticked || fail "title did not change: $(xdotool getwindowname "$window")"

# The read-out is black with light-blue text.
import -window root -crop 220x21+262+86 "$work/panel.png" 2>/dev/null || fail "no screenshot"
aqua=$(convert "$work/panel.png" -fx 'r<0.4 && g>0.6 && b>0.6 ? 1 : 0' -format '%[fx:mean*w*h]' info:)
black=$(convert "$work/panel.png" -fx 'r+g+b<0.1 ? 1 : 0' -format '%[fx:mean*w*h]' info:)
echo "read-out: $aqua aqua and $black black pixels"
[ "${aqua%.*}" -gt 30 ] && [ "${black%.*}" -gt 2000 ] || fail "the read-out does not look right"

# 2. The close button saves the place, leaving other lines as they were.
xdotool mousemove --window "$window" 389 28 click 1
wait_exit
grep -q $'^Left=120\r$' "$ini" || fail "Left not saved: $(cat -A "$ini")"
grep -q $'^Top=80\r$' "$ini" || fail "Top not saved"
grep -q $'^Minimized=0\r$' "$ini" || fail "Minimized not saved"

# 2b. Saved places, in the screen's own pixels, restored exactly or moved onto the 1024 × 768 screen:
#     "saved left, top | scale | where the window lands, in screen pixels".
while IFS='|' read -r saved scale expected; do
    printf '[MainWin]\nLeft=%s\nTop=%s\n' "${saved%,*}" "${saved#*,}" > "$ini"
    QT_SCALE_FACTOR=$scale start_clock
    landed() { xdotool getwindowgeometry "$window" | grep -q "Position: $expected "; }
    poll 5 landed || fail "saved at $saved, scale $scale: $(xdotool getwindowgeometry "$window")"
    kill -TERM "$clock"
    wait_exit
    grep -q "^Left=${expected%,*}$" "$ini" && grep -q "^Top=${expected#*,}$" "$ini" ||
        fail "scale $scale: $expected saved as $(tr '\n' ' ' < "$ini")"
done <<'PLACES'
0,0|1|0,0
5000,5000|1|615,543
-3000,200|1|0,200
800,600|2|206,318
PLACES

# 3. "Minimized" = "1" without tray mode: mapped minimized, never shown first; a polite kill still saves.
printf '[MainWin]\nLeft=10\nTop=20\nMinimized=1\n' > "$ini"
start_clock
never_shown_normal
iconic() { xprop -id "$window" WM_STATE | grep -q "Iconic"; }
poll 5 iconic || fail "not minimized: $(xprop -id "$window" WM_STATE)"
kill -TERM "$clock"
wait_exit
grep -q '^Minimized=0$' "$ini" || fail "minimized to the taskbar is not hidden in the tray: $(cat "$ini")"
grep -q '^Left=10$' "$ini" || fail "place lost: $(cat "$ini")"
echo "1 passed, 0 failed"
