#!/usr/bin/env bash
# End to end: the main window as a screen reader sees it over AT-SPI, inside a session bus of its own.
# Every control has a name of its own (its caption, else its hint), and the read-out's labels carry
# the time and the date they show. Usage: accessible_mainwindow_e2e.sh PROGRAM. Exit status 77: skipped.
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${CHRONIVO_IN_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
    [ -x /usr/libexec/at-spi-bus-launcher ] || { echo "SKIP: at-spi2-core is not installed"; exit 77; }
    CHRONIVO_IN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$here/xvfb_session.sh"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)

cp "$program" "$work/chronivo"
printf '[MainWin]\nLeft=10\nTop=10\n[Clock]\nUpdate type=1\n' > "$work/chronivo.ini"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/chronivo" >"$work/out.log" 2>&1 &
pids+=($!)
wait_clock_window "$work/out.log"

title='[0-9]{2}:[0-9]{2}:[0-9]{2}  .*'
read_names() { timeout 10 /usr/bin/python3 "$helpers/accessible_names.py" "$title" >"$work/names" 2>/dev/null; }
poll 10 read_names || fail "the main window is not on the accessibility bus"
cat "$work/names"

for name in Minimize Close "Set Clock" "Show Calendar" Settings Help "Open Veltrix home page"; do
    grep -qxP "push button\t$name" "$work/names" || fail "no button named '$name'"
done
grep -qxP "filler\tMap" "$work/names" || fail "the map has no name"
unnamed=$(awk -F'\t' '$2 == ""' "$work/names")
[ -z "$unnamed" ] || fail "controls without a name: $unnamed"
dupes=$(awk -F'\t' '$1 == "push button"' "$work/names" | sort | uniq -d)
[ -z "$dupes" ] || fail "buttons a screen reader cannot tell apart: $dupes"
grep -qP '^label\t[0-9]{2}:[0-9]{2}:[0-9]{2}$' "$work/names" || fail "the time label does not read its time"
grep -qP '^label\t.*[0-9]{4}' "$work/names" || fail "the date label does not read its date"
echo "1 passed, 0 failed"
