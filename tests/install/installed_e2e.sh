#!/usr/bin/env bash
# End to end: the installed program, started from a prefix the user owns (as ~/.local is) by a user
# with a fresh home, keeps its settings in "$XDG_CONFIG_HOME/chronivo/chronivo.ini" and comes back at
# its place after a restart; nothing is written beside it, and nothing is left in the runtime folder.
# Its first start shows the eight cities; its Help picture hands the installed HTML help to the
# desktop's opener. Usage: installed_e2e.sh BUILD_DIR. Exit status 77: skipped.
set -uo pipefail
build=$1
skip() { echo "SKIP: $*"; exit 77; }
if [ "$(id -u)" = 0 ]; then
    # The program runs as a user who owns the prefix, as one who installed into ~/.local.
    command -v setpriv >/dev/null 2>&1 || skip "setpriv is not installed: no way to run the program unprivileged"
    drop=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    drop=()
fi
xvfb_options=(-ac)
source "$(dirname "$0")/../e2e/xvfb_session.sh"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
poll 5 managed || fail "the window manager did not start"

chmod 755 "$work"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
home="$work/home"
mkdir -p "$home/run"
chmod 700 "$home/run"
[ ${#drop[@]} -gt 0 ] && chown -R nobody:nogroup "$home" "$prefix"
ini="$home/.config/chronivo/chronivo.ini"
# The desktop's opener, standing in for the user's browser: it notes what it was asked to open.
mkdir -p "$work/opener"
printf '#!/bin/sh\necho "$@" >>%s/opened\n' "$home" >"$work/opener/xdg-open"
chmod 755 "$work/opener" "$work/opener/xdg-open"

start_clock() {
    "${drop[@]}" env -i PATH="$work/opener:/usr/bin:/bin" HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" DISPLAY="$DISPLAY" \
        LANG=C.UTF-8 "$prefix/bin/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    pids+=($clock)
    wait_clock_window "$work/out.log"
}
wait_exit() {
    for _ in $(seq 100); do kill -0 "$clock" 2>/dev/null || return 0; sleep 0.1; done
    fail "the program did not end"
}

start_clock
xdotool windowmove "$window" 150 90
placed() { xdotool getwindowgeometry "$window" | grep -q "Position: 150,90"; }
poll 5 placed || fail "the window did not move: $(xdotool getwindowgeometry "$window")"
xdotool mousemove --window "$window" 387 129 click 1
opened() { grep -q "share/doc/chronivo/help/index.html" "$home/opened" 2>/dev/null; }
poll 5 opened || fail "the help did not open: $(cat "$home/opened" 2>/dev/null)"
xdotool mousemove --window "$window" 389 28 click 1
wait_exit
[ -f "$ini" ] || fail "no settings in the user's folder: $(find "$home" "$prefix" -name '*.ini')"
grep -q '^Left=150' "$ini" && grep -q '^Top=90' "$ini" || fail "place not saved: $(cat "$ini")"
[ -z "$(find "$prefix" -name '*.ini*')" ] || fail "written beside the program"
grep -q '^City 8=Rio de Janeiro, Brazil' "$ini" || fail "the first start had no cities: $(cat "$ini")"

start_clock
poll 5 placed || fail "not back at its place: $(xdotool getwindowgeometry "$window")"
kill -TERM "$clock"
wait_exit
[ -z "$(ls "$home/run" | grep chronivo)" ] || fail "left in the runtime folder: $(ls "$home/run")"
echo "1 passed, 0 failed"
