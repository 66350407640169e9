#!/usr/bin/env bash
# End to end: the main window as a screen reader and a keyboard user meet it, over AT-SPI inside a
# session bus of its own, with a window manager. Every control has a name of its own (its caption,
# else its hint); the read-out's time label reads the minute; the map holds one label per city
# ("London 12:00") that follows the minute. Tab walks the buttons in order, Return, Space and the
# shortcuts named in the hints press them. The clock is faked to start at 12:00:48 today.
# Usage: accessible_mainwindow_e2e.sh PROGRAM. Exit status 77: skipped.
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${CHRONIVO_IN_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
    [ -x /usr/libexec/at-spi-bus-launcher ] || { echo "SKIP: at-spi2-core is not installed"; exit 77; }
    CHRONIVO_IN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
[ -n "$faketime_lib" ] || { echo "SKIP: faketime is not installed"; exit 77; }
source "$here/xvfb_session.sh"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
start_window_manager

# The desktop's opener, as the help and the home page reach it: it notes what it was asked to open.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$@" >> "%s/opened"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

cp "$program" "$work/chronivo"
cp -r "$(dirname "$program")/help" "$work/help"
# Nothing listens on 127.0.0.1:37, so Set Clock says at once that the server cannot be reached.
printf '[MainWin]\nLeft=10\nTop=10\n[Clock]\nUpdate type=1\nTime server=127.0.0.1\n[World Cities]\nCity 1=London, England\nCity 2=Tokyo, Japan\n' \
    > "$work/chronivo.ini"
PATH="$work/bin:$PATH" LD_PRELOAD="$faketime_lib" FAKETIME="@$(date +%F) 12:00:48" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/chronivo" >"$work/out.log" 2>&1 &
clock=$!
pids+=($clock)
wait_clock_window "$work/out.log"

title='[0-9]{2}:[0-9]{2}:[0-9]{2}  .*'
read_names() { timeout 10 /usr/bin/python3 "$helpers/accessible_names.py" "$title" >"$work/names" 2>/dev/null; }
poll 10 read_names || fail "the main window is not on the accessibility bus"
cat "$work/names"

# 1. Names: every control, the minute of the read-out, the cities of the map with their times.
for name in Minimize Close "Set Clock" "Show Calendar" Settings Help "Open Veltrix home page"; do
    grep -qxP "push button\t$name" "$work/names" || fail "no button named '$name'"
done
grep -qxP "filler\tMap" "$work/names" || fail "the map has no name"
unnamed=$(awk -F'\t' '$2 == ""' "$work/names")
[ -z "$unnamed" ] || fail "controls without a name: $unnamed"
dupes=$(awk -F'\t' '$1 == "push button"' "$work/names" | sort | uniq -d)
[ -z "$dupes" ] || fail "buttons a screen reader cannot tell apart: $dupes"
grep -qxP 'label\t12:00' "$work/names" || fail "the time label does not read its minute"
grep -qP '^label\t.*[0-9]{4}' "$work/names" || fail "the date label does not read its date"
grep -qxP 'label\tLondon 12:00' "$work/names" || fail "the map does not read London's time"
grep -qxP 'label\tTokyo 21:00' "$work/names" || fail "the map does not read Tokyo's time"
next_minute() { read_names && grep -qxP 'label\tLondon 12:01' "$work/names"; }
poll 25 next_minute || fail "London's time did not follow the minute: $(grep London "$work/names")"
grep -qxP 'label\t12:01' "$work/names" || fail "the time label did not follow the minute"

# 2. The focus starts on Set Clock; Tab walks the buttons in order, wrapping round; each hint names its shortcut.
focused() { timeout 10 /usr/bin/python3 "$helpers/accessible_names.py" "$title" --focused 2>/dev/null; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
expected=("Show Calendar	Show Calendar (Ctrl+D)" "Settings	Settings (Ctrl+,)"
          "Help	Help (F1)" "Open Veltrix home page	Open Veltrix home page" "Minimize	Minimize (Ctrl+M)"
          "Close	Close (Ctrl+Q)" "Set Clock	Set Clock (Ctrl+T)")
[ "$(focused)" = "Set Clock	Set Clock (Ctrl+T)" ] || fail "the window opens with the focus on '$(focused)'"
for want in "${expected[@]}"; do
    xdotool key Tab
    got=""
    for _ in $(seq 20); do got=$(focused) && [ "$got" = "$want" ] && break; sleep 0.1; done
    [ "$got" = "$want" ] || fail "Tab reached '$got', not '$want'"
done
picture=${CHRONIVO_FOCUS_PICTURE:-}
[ -z "$picture" ] || import -window "$window" "$picture" 2>/dev/null

# 3. Each button pressed from the keyboard: Return on Set Clock, Space on Settings, the shortcuts
#    for the others.
# Tab until the named button has the focus.
tab_to() {
    for _ in $(seq 8); do [ "$(focused | cut -f1)" = "$1" ] && return 0; xdotool key Tab; sleep 0.2; done
    fail "Tab never reached $1"
}
await_window() { poll 10 eval "xdotool search --onlyvisible --name '$1' >/dev/null 2>&1"; }
gone_window() { poll 10 eval "! xdotool search --onlyvisible --name '$1' >/dev/null 2>&1"; }
xdotool key Return
await_window '^Veltrix Chronivo$' || fail "Return on Set Clock showed no message box"
xdotool key Return
gone_window '^Veltrix Chronivo$' || fail "Return did not close the message box"
xdotool windowactivate --sync "$window" 2>/dev/null
tab_to Settings
xdotool key space
await_window '^Veltrix Chronivo Settings$' || fail "Space on Settings opened no settings dialog"
xdotool key Escape
gone_window '^Veltrix Chronivo Settings$' || fail "Escape did not close the settings dialog"
xdotool windowactivate --sync "$window" 2>/dev/null; xdotool key ctrl+d
await_window '^Chronivo - Calendar$' || fail "Ctrl+D opened no calendar"
xdotool key Escape
gone_window '^Chronivo - Calendar$' || fail "Escape did not close the calendar"
xdotool windowactivate --sync "$window" 2>/dev/null; xdotool key F1
poll 10 grep -q help "$work/opened" 2>/dev/null || fail "F1 opened no help"
tab_to "Open Veltrix home page"
xdotool key Return
poll 10 grep -q '^http' "$work/opened" 2>/dev/null || fail "Return on the logo opened no home page: $(cat "$work/opened")"
iconic() { xprop -id "$window" WM_STATE | grep -q Iconic; }
xdotool key ctrl+m
poll 10 iconic || fail "Ctrl+M did not minimize the window"
restored() { xdotool windowactivate "$window" 2>/dev/null; sleep 0.2; ! iconic; }
poll 10 restored || fail "the window did not come back"
xdotool windowactivate --sync "$window" 2>/dev/null; xdotool key ctrl+q
poll 10 eval '! kill -0 $clock 2>/dev/null' || fail "Ctrl+Q did not close the window"
echo "1 passed, 0 failed"
