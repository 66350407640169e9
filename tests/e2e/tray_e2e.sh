#!/usr/bin/env bash
# End to end: tray mode of the real program under a virtual X server, with openbox as the window
# manager and trayer as the notification area. The icon appears and the window has no taskbar entry;
# left clicks on the icon hide and show the window, or bring an open calendar to the front with it; a right click opens the menu, whose "Unload"
# ends the program; a close while hidden saves "Minimized" = "1" and the next start hides the window
# into the tray at once; without the area the window waits minimized in the taskbar until it is back.
# Usage: tray_e2e.sh <path of the built chronivo program> [PNG to keep a picture of the open menu in]
set -uo pipefail
program=$1
picture=${2:-}
source "$(dirname "$0")/xvfb_session.sh"
start_window_manager

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"

# await <what> <command...>: up to 10 s for the command to succeed.
await() {
    local what=$1
    shift
    for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
    fail "$what"
}

start_tray() {
    trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
        --transparent false --tint 0x303030 >/dev/null 2>&1 &
    tray=$!
    pids+=($tray)
    await "trayer did not start" eval 'panel=$(xdotool search --classname "^panel$" 2>/dev/null | head -n 1); [ -n "$panel" ]'
}

# The program's icon docked and shown in the tray: sets iconx, icony (its centre on the screen).
find_icon() {
    local line
    line=$(xwininfo -tree -id "$panel" 2>/dev/null | grep '("chronivo"' | head -n 1)
    [[ "$line" =~ (0x[0-9a-f]+).*\ ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+\ +\+(-?[0-9]+)\+(-?[0-9]+) ]] || return 1
    local x=$((BASH_REMATCH[4] + BASH_REMATCH[2] / 2)) y=$((BASH_REMATCH[5] + BASH_REMATCH[3] / 2))
    xwininfo -id "${BASH_REMATCH[1]}" 2>/dev/null | grep -q IsViewable || return 1
    # trayer lays its panel out again just after it appears: the icon's place counts once it holds
    # still between two looks.
    [ "$x,$y" = "${icon_seen:-}" ] || { icon_seen="$x,$y"; return 1; }
    iconx=$x icony=$y
}

start_clock_without_icon() {
    run_program "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    pids+=($clock)
    await "no clock window" eval \
        'window=$(xdotool search --name "^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  " 2>/dev/null | head -n 1); [ -n "$window" ]'
}
start_clock() {
    start_clock_without_icon
    await "no icon in the tray" find_icon
}

mapped() { xwininfo -id "$window" 2>/dev/null | grep -q "IsViewable"; }
unmapped() { xwininfo -id "$window" 2>/dev/null | grep -q "IsUnMapped"; }
iconic() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q "Iconic"; }
no_taskbar_entry() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
taskbar_entry() { ! no_taskbar_entry; }
hidden() { unmapped && ! iconic; }
ended() { ! kill -0 "$clock" 2>/dev/null; }

# The open pop-up menu: sets menux, menuy, menuw, menuh.
find_menu() {
    local id geometry
    for id in $(xdotool search --onlyvisible --classname chronivo 2>/dev/null); do
        [ "$id" = "$window" ] && continue
        geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null)
        [[ "$geometry" =~ Position:\ (-?[0-9]+),(-?[0-9]+).*Geometry:\ ([0-9]+)x([0-9]+) ]] || continue
        [ "${BASH_REMATCH[3]}" -gt 60 ] && [ "${BASH_REMATCH[4]}" -gt 60 ] || continue
        menux=${BASH_REMATCH[1]} menuy=${BASH_REMATCH[2]} menuw=${BASH_REMATCH[3]} menuh=${BASH_REMATCH[4]}
        return 0
    done
    return 1
}

click_icon() { xdotool mousemove "$iconx" "$icony" click "$1"; }
# A right click on the icon until the menu is open (the release of a click can land on the menu
# just opened under the cursor and close it again).
open_menu() {
    for _ in 1 2 3; do
        click_icon 3
        for _ in $(seq 20); do find_menu && return 0; sleep 0.1; done
    done
    fail "the menu did not open"
}
# "Unload", the menu's last entry.
unload() {
    open_menu
    xdotool mousemove $((menux + menuw / 2)) $((menuy + menuh - 12)) click 1
}

# 1. No area yet: a window saved as hidden waits minimized in the taskbar, never shown first; when the
#    area appears, the icon comes and the window goes into it.
printf '[MainWin]\nLeft=580\nTop=480\nMinimized=1\n[Display]\nTrayIcon=1\n' > "$ini"
panel=""
start_clock_without_icon
never_shown_normal
await "without an area the window did not go to the taskbar" iconic
taskbar_entry || fail "without an area the window has no taskbar entry"
start_tray
await "no icon in the tray that appeared" find_icon
await "the window did not go into the tray that appeared" hidden

# 2. The icon's left clicks show and hide the window; shown, it has no taskbar entry.
click_icon 1
await "a left click did not show the window" mapped
await "the shown window is in the taskbar" no_taskbar_entry
click_icon 1
await "a second left click did not hide the window" hidden
click_icon 1
await "a third left click did not show the window" mapped

# 2b. Hidden in the tray, the menu's "Show Calendar" opens the calendar; minimized, it comes straight
#     back, and a left click on the icon brings it to the front with the window.
click_icon 1
await "a left click did not hide the window" hidden
open_menu
xdotool key Down Down Down Return
await "Show Calendar opened no calendar" eval 'calendar=$(xdotool search --onlyvisible --name "^Chronivo - Calendar$" 2>/dev/null | head -n 1); [ -n "$calendar" ]'
xprop -id "$calendar" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$window")" || fail "the calendar is not transient for the window"
xdotool windowminimize "$calendar"
sleep 0.5
await "the minimized calendar did not come back" eval '! xprop -id "$calendar" WM_STATE | grep -q Iconic && xwininfo -id "$calendar" | grep -q IsViewable'
click_icon 1
await "a left click with the calendar open did not show the window" mapped
await "a left click with the calendar open did not bring it to the front" eval '[ "$(xdotool getactivewindow)" = "$calendar" ]'
xdotool key Escape
await "Escape did not close the calendar" eval '! xdotool search --onlyvisible --name "^Chronivo - Calendar$" >/dev/null 2>&1'

# 3. A right click opens the menu at the cursor; "Unload" ends the program and saves the place.
open_menu
echo "menu: ${menuw}x${menuh} at $menux,$menuy; icon at $iconx,$icony"
[ "$menux" -le $((iconx + 2)) ] && [ $((menux + menuw)) -ge $((iconx - 2)) ] &&
    [ "$menuy" -le $((icony + 2)) ] && [ $((menuy + menuh)) -ge $((icony - 2)) ] || fail "the menu is not at the cursor"
xdotool key Escape
await "Escape did not close the menu" eval '! find_menu'
if [ -n "$picture" ]; then
    # The window beside the tray on a blue desktop, the menu opened from the icon's corner so that
    # the icon stays in sight.
    convert -size 1024x768 xc:'#3a6ea5' "$work/desktop.png" && display -window root "$work/desktop.png" &
    pids+=($!)
    sleep 1
    xdotool mousemove $((iconx - 8)) $((icony - 8)) click 3
    await "the menu did not open" find_menu
    import -window root -crop 454x298+570+470 "$picture" 2>/dev/null || fail "no picture of the menu"
    xdotool key Escape
fi
await "Escape did not close the menu" eval '! find_menu'
unload
await "Unload did not end the program" ended
grep -q '^Minimized=0$' "$ini" || fail "not saved as shown: $(cat "$ini")"
grep -q '^Left=580$' "$ini" || fail "place lost: $(cat "$ini")"

# 4. Closing while hidden saves "Minimized" = "1" and keeps the old place.
printf '[MainWin]\nLeft=30\nTop=40\n[Display]\nTrayIcon=1\n' > "$ini"
start_clock
xdotool mousemove 300 300
click_icon 1
await "a left click did not hide the window" hidden
unload
await "closing while hidden did not save Minimized=1: $(cat "$ini")" grep -q '^Minimized=1$' "$ini"
grep -q '^Left=30$' "$ini" || fail "the old place was not kept: $(cat "$ini")"
await "the program did not end after a close while hidden" ended

# 5. The next start shows the icon and keeps the window hidden in the tray: it is never mapped, not
#    even for a moment (sampled every 50 ms for the first 3 s).
start_clock_without_icon
for _ in $(seq 60); do
    xwininfo -id "$window" 2>/dev/null | grep -q IsViewable && fail "the window hidden in the tray was shown at start: $(cat $work/out.log)"
    sleep 0.05
done
await "no icon in the tray" find_icon
await "the saved minimized state did not hide the window in the tray" hidden

# 6. The area goes away: the window waits minimized in the taskbar, and goes back when it returns.
kill "$tray"
await "without an area the window did not go to the taskbar" iconic
await "without an area the window has no taskbar entry" taskbar_entry
start_tray
await "the icon did not come back" find_icon
await "the window did not go back into the tray" hidden
click_icon 1
await "the icon that came back does not show the window" mapped
await "the window shown again is in the taskbar" no_taskbar_entry
unload
await "Unload did not end the program" ended
echo "1 passed, 0 failed"
