#!/usr/bin/env bash
# End to end: one clock per settings folder. A clock hidden in the notification area comes back to
# the screen when the program is started again, and the second start ends with status 0; two starts
# at once give one window; a clock killed with -9 leaves nothing that stops the next start.
# Usage: single_instance_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
source "$(dirname "$0")/xvfb_session.sh"
start_window_manager
trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true >/dev/null 2>&1 &
pids+=($!)
cp "$program" "$work/chronivo"
printf '[MainWin]\nLeft=100\nTop=100\nMinimized=1\n[Display]\nTrayIcon=1\n' >"$work/chronivo.ini"

windows() { xdotool search --onlyvisible --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' 2>/dev/null | wc -l; }
shown() { [ "$(windows)" = 1 ]; }
hidden() { [ "$(windows)" = 0 ]; }
start_clock() {
    run_program "$work/chronivo" >>"$work/out.log" 2>&1 &
    pids+=($!)
    clock=$!
}

# 1. Hidden in the tray at its first tick; a second start shows it and ends with 0.
start_clock
first=$clock
wait_clock_window "$work/out.log"
poll 10 hidden || fail "not hidden in the tray"
sleep 1
hidden || fail "shown again by itself"
start_clock
wait "$clock"
status=$?
[ "$status" = 0 ] || fail "the second start ended with $status: $(cat "$work/out.log")"
poll 5 shown || fail "the running clock did not come back: $(windows) windows"
kill -0 "$first" || fail "the first clock ended"

# 2. Killed with -9, the first leaves a lock and a socket behind; two starts at once give one window.
kill -9 "$first"
wait "$first" 2>/dev/null
poll 5 hidden || fail "the killed clock's window stayed"
printf '[MainWin]\nLeft=100\nTop=100\nMinimized=0\n' >"$work/chronivo.ini"
start_clock
a=$clock
start_clock
b=$clock
poll 10 shown || fail "no clock after the killed one: $(cat "$work/out.log")"
sleep 2
[ "$(windows)" = 1 ] || fail "$(windows) windows from two starts"
ended=0
for pid in "$a" "$b"; do kill -0 "$pid" 2>/dev/null || ended=$((ended + 1)); done
[ "$ended" = 1 ] || fail "$ended of the two starts ended"
echo "1 passed, 0 failed"
