#!/usr/bin/env bash
# End to end: the year calendar of the real program under a virtual X server with a window manager
# and an accessibility bus. The calendar picture opens the calendar at the current year; its arrows
# page by one year; forward and back gives the same picture; Escape closes it; reopened, it shows
# the current year again.
# Usage: calendar_e2e.sh <path of the built chronivo program>
set -uo pipefail
program=$1
here=$(dirname "$0")
source "$here/xvfb_session.sh"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

# The session and accessibility buses belong to the user the program runs as.
eval "$(${as_user[@]+"${as_user[@]}"} dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
${as_user[@]+"${as_user[@]}"} /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
# The window manager must be up before the program maps its window.
start_window_manager

cp "$program" "$work/chronivo"
printf '[MainWin]\nLeft=10\nTop=10\n' > "$work/chronivo.ini"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 run_program "$work/chronivo" >"$work/out.log" 2>&1 &
pids+=($!)

find_window() { # name pattern → id, waiting up to 20 s
    for _ in $(seq 200); do
        id=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
main=$(find_window '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ') ||
    fail "no clock window: $(cat "$work/out.log"); windows: $(xdotool search --name . getwindowname %@ 2>&1 | tr '\n' '|')"

# The year the calendar's labels give to assistive technology (the year and its shadow agree).
shown_year() {
    timeout 10 ${as_user[@]+"${as_user[@]}"} "$python" "$helpers/accessible_names.py" "Chronivo - Calendar" 2>/dev/null |
        awk -F'\t' '$1 == "label" && $2 ~ /^[0-9]+$/ { print $2 }' | sort -u | tr '\n' ' ' | sed 's/ $//'
}
# Waits until the calendar shows year; fails otherwise.
expect_year() {
    for _ in $(seq 50); do
        [ "$(shown_year)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the calendar shows '$(shown_year)', not $1"
}
# Clicks at (x, y) in window, then moves the pointer off it before any hint can appear.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1 mousemove 1000 760
}
picture() { sleep 0.3; import -window "$calendar" "$work/$1.png" 2>/dev/null || fail "no screenshot of the calendar"; }
differing_pixels() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1; }

open_calendar() {
    click "$main" 387 81
    calendar=$(find_window '^Chronivo - Calendar$') || fail "the calendar picture opened no calendar"
}

year=$(date +%Y)
year=$((10#$year))

# 1. The calendar picture opens a 576 × 405 calendar at the current year, with the names assistive
#    technology needs.
open_calendar
geometry=$(xdotool getwindowgeometry "$calendar")
echo "$geometry" | grep -q "Geometry: 576x405" || fail "size: $geometry"
expect_year "$year"
names=$(timeout 10 ${as_user[@]+"${as_user[@]}"} "$python" "$helpers/accessible_names.py" "Chronivo - Calendar")
for name in January December "Previous year" "Next year"; do
    echo "$names" | grep -q $'\t'"$name\$" || fail "no control named $name: $names"
done
picture now
aqua=$(convert "$work/now.png" -crop 110x30+238+0 -fx 'r<0.3 && g>0.8 && b>0.8 ? 1 : 0' -format '%[fx:mean*w*h]' info:)
days=$(convert "$work/now.png" -crop 560x350+8+48 -fx 'r+g+b<0.3 ? 1 : 0' -format '%[fx:mean*w*h]' info:)
echo "year: ${aqua%.*} aqua pixels; months: ${days%.*} dark pixels"
[ "${aqua%.*}" -gt 150 ] || fail "no aqua year"
[ "${days%.*}" -gt 1000 ] || fail "no days drawn"

# 2. The arrows page by one year; forward and back gives the same picture.
click "$calendar" 368 16
expect_year $((year + 1))
picture next
[ "$(differing_pixels now next)" -gt 500 ] || fail "the next year looks like this one"
click "$calendar" 224 16
expect_year "$year"
picture back
[ "$(differing_pixels now back)" = 0 ] || fail "forward and back changed $(differing_pixels now back) pixels"
click "$calendar" 224 16
expect_year $((year - 1))

# 3. Escape closes it; opened again, it shows the current year and the same picture.
xdotool windowfocus --sync "$calendar" key Escape
for _ in $(seq 50); do xdotool search --name '^Chronivo - Calendar$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --name '^Chronivo - Calendar$' >/dev/null 2>&1 && fail "Escape did not close the calendar"
open_calendar
expect_year "$year"
picture again
[ "$(differing_pixels now again)" = 0 ] || fail "the reopened calendar differs in $(differing_pixels now again) pixels"
# 4. Each month is a table of its days for a screen reader: February 2028 has five weeks under
#    seven weekday headers and 29 days; today's cell says so. At years 1 and 9999 the arrow that
#    would leave them is disabled.
names_of() { timeout 20 ${as_user[@]+"${as_user[@]}"} "$python" "$helpers/accessible_names.py" "Chronivo - Calendar" "$@" 2>/dev/null; }
this_month=$(names_of --table "$(date +%B) $year") || fail "no table of this month: $(names_of)"
grep -qx "cell	$(date +%-d) (today)" <<<"$this_month" || fail "today is not marked: $(tr '\n' ' ' <<<"$this_month")"
xdotool windowfocus --sync "$calendar"
steps=$((2028 - year))
if [ "$steps" -gt 0 ]; then xdotool key --repeat "$steps" --delay 20 Right; elif [ "$steps" -lt 0 ]; then xdotool key --repeat $((-steps)) --delay 20 Left; fi
expect_year 2028
february=$(names_of --table "February 2028") || fail "no table of February 2028: $(names_of)"
grep -qx "size	5	7" <<<"$february" || fail "February 2028: $(head -n 1 <<<"$february")"
[ "$(grep -cE '^cell	[0-9]+( \(today\))?$' <<<"$february")" = 29 ] || fail "February 2028 does not read 29 days: $february"
grep -qx "cell	29" <<<"$february" || fail "no 29 February 2028"
grep -qx "column	Sun" <<<"$february" && grep -qx "row	Week 5" <<<"$february" || fail "headers: $february"
xdotool key --repeat 2100 --delay 0 Left
expect_year 1
[ "$(names_of --insensitive)" = "Previous year" ] || fail "at year 1 the disabled controls are '$(names_of --insensitive)'"
picture first
xdotool key --repeat 9998 --delay 0 Right
expect_year 9999
[ "$(names_of --insensitive)" = "Next year" ] || fail "at year 9999 the disabled controls are '$(names_of --insensitive)'"
echo "1 passed, 0 failed"
