#!/usr/bin/env bash
# End to end: a window manager that starts after the program. The window, saved as minimized, is
# shown before any manager runs; when openbox comes up and takes it over, it must still end up
# minimized in the taskbar, not shown as if the user had restored it.
# Usage: late_wm_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
source "$(dirname "$0")/xvfb_session.sh"

cp "$program" "$work/chronivo"
printf '[MainWin]\nLeft=100\nTop=100\nMinimized=1\n' > "$work/chronivo.ini"
"$work/chronivo" >"$work/out.log" 2>&1 &
pids+=($!)
window=""
poll 10 eval 'window=$(xdotool search --name "^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  " 2>/dev/null | head -n 1); [ -n "$window" ]' ||
    fail "no clock window"

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
managed() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q "window state"; }
iconic() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q "Iconic"; }
poll 10 managed || fail "openbox did not take the window over"
poll 5 iconic || fail "the window taken over is not minimized: $(xprop -id "$window" WM_STATE)"
# Still minimized a moment later: nothing shows it again.
sleep 1
iconic || fail "the window came back by itself"
echo "1 passed, 0 failed"
