#!/usr/bin/env bash
# End to end: the real program with a notification area (trayer) under a virtual X server. Hidden
# into the tray, it must end within 2 s when "Unload" is chosen from the tray icon's menu, and again
# when it is sent SIGTERM, each time saving "Minimized" = "1"; with the settings' lock held by another
# program, SIGTERM ends it after its 5 s wait, saying what it could not save.
# Usage: tray_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
command -v trayer >/dev/null 2>&1 || { echo "SKIP: trayer is not installed"; exit 77; }
source "$(dirname "$0")/xvfb_session.sh"
start_window_manager
# A notification area along the bottom edge; the first icon sits at its left end.
trayer --edge bottom --align left --widthtype pixel --width 200 --heighttype pixel --height 26 \
    --SetDockType false --SetPartialStrut false >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool search --class trayer >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --class trayer >/dev/null 2>&1 || fail "trayer did not start"
icon_x=12
icon_y=$((768 - 13))

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"

start_clock() { start_clock_window; }

wait_hidden() {
    for _ in $(seq 50); do
        xwininfo -id "$window" 2>/dev/null | grep -q "IsUnMapped" && return 0
        sleep 0.1
    done
    fail "the window did not hide into the tray"
}

# The program must be gone within 2 s.
wait_exit() {
    for _ in $(seq 20); do kill -0 "$clock" 2>/dev/null || return 0; sleep 0.1; done
    kill -KILL "$clock" 2>/dev/null
    fail "$1: the program still runs 2 s later"
}

# 1. Tray mode on, shown at start; the minimize button hides the window into the tray; "Unload",
#    the last item of the tray icon's menu, ends the program.
printf '[MainWin]\nLeft=100\nTop=100\nMinimized=0\n[Display]\nTrayIcon=1\n' >"$ini"
start_clock
sleep 0.5
xdotool mousemove --window "$window" 376 16 click 1
wait_hidden
# A right click until the menu is open: the release can land on the menu just opened and close it.
menu_open() {
    local id
    for id in $(xdotool search --onlyvisible --classname chronivo 2>/dev/null); do
        [[ "$(xdotool getwindowgeometry "$id")" =~ Geometry:\ [0-9]+x([0-9]+) ]] && [ "${BASH_REMATCH[1]}" -gt 60 ] && return 0
    done
    return 1
}
for _ in 1 2 3; do
    xdotool mousemove "$icon_x" "$icon_y" click 3
    poll 1 menu_open && break
done
import -window root "$work/menu.png" 2>/dev/null
xdotool key Up Return
wait_exit "Unload"
grep -q '^Minimized=1$' "$ini" || fail "Minimized=1 not saved on Unload: $(cat "$ini")"
grep -q '^Left=100$' "$ini" || fail "the place was not kept: $(cat "$ini")"
echo "Unload while hidden in the tray: ended, Minimized=1 saved"

# 2. Started hidden in the tray ("Minimized" = "1"), SIGTERM ends it.
start_clock
wait_hidden
kill -TERM "$clock"
wait_exit "SIGTERM"
grep -q '^Minimized=1$' "$ini" || fail "Minimized=1 not saved on SIGTERM: $(cat "$ini")"
echo "SIGTERM while hidden in the tray: ended, Minimized=1 saved"

# 3. Another program holds the settings' lock: SIGTERM still ends the program, after its 5 s wait for the
#    lock, saying what was not saved; the file stays as it was.
start_clock
wait_hidden
before=$(cat "$ini")
flock --no-fork "$work/chronivo.ini.lock" sleep 60 &
holder=$!
pids+=("$holder")
sleep 0.3
started=$(date +%s%N)
kill -TERM "$clock"
for _ in $(seq 100); do kill -0 "$clock" 2>/dev/null || break; sleep 0.1; done
took=$((($(date +%s%N) - started) / 1000000))
kill -0 "$clock" 2>/dev/null && { kill -KILL "$clock"; fail "held lock: the program still runs after ${took} ms"; }
[ "$took" -ge 4500 ] && [ "$took" -le 8000 ] || fail "held lock: ended after ${took} ms, not after its 5 s wait"
grep -q "not saved" "$work/out.log" || fail "held lock: no word of what was not saved: $(cat "$work/out.log")"
[ "$(cat "$ini")" = "$before" ] || fail "held lock: the file changed: $(cat "$ini")"
kill "$holder" 2>/dev/null
echo "SIGTERM with the settings' lock held elsewhere: ended after ${took} ms, unsaved settings reported"
echo "PASS"
