#!/usr/bin/env bash
# End to end under Wayland: the real program on weston's headless compositor. Its window maps with
# its shape (the corners outside the skin show the desktop through), names itself with the desktop
# entry's id, keeps the remembered place (the compositor neither takes nor tells it) through a start
# and a close, and ends on SIGTERM. Usage: wayland_e2e.sh <path of the built chronivo program>.
# Exit status 77: skipped (no weston or no Wayland plugin for Qt).
set -uo pipefail
program=$1
command -v weston >/dev/null 2>&1 && command -v weston-screenshooter >/dev/null 2>&1 ||
    { echo "SKIP: weston is not installed"; exit 77; }
qt_plugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
compgen -G "$qt_plugins/platforms/libqwayland*.so" >/dev/null || { echo "SKIP: no Wayland plugin for Qt"; exit 77; }
source "$(dirname "$0")/xvfb_session.sh"
unset DISPLAY
runtime="$work/run"
mkdir -p "$runtime" "$work/shots"
chmod 700 "$runtime"
if [ ${#as_user[@]} -gt 0 ]; then as_user+=(XDG_RUNTIME_DIR="$runtime"); else export XDG_RUNTIME_DIR="$runtime"; fi
export WAYLAND_DISPLAY=chronivo-test QT_QPA_PLATFORM=wayland

# --debug offers the screenshot protocol; the pixman renderer draws what it shows.
run_program weston --backend=headless-backend.so --use-pixman --debug --socket="$WAYLAND_DISPLAY" \
    --width=1024 --height=768 --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
poll 10 test -S "$runtime/$WAYLAND_DISPLAY" || fail "weston did not start: $(cat "$work/weston.log")"

# shoot NAME: a picture of the screen without weston's panel (its clock ticks) in $work/NAME.png.
shoot() {
    rm -f "$work/shots"/*.png
    (cd "$work/shots" && run_program weston-screenshooter) >/dev/null 2>&1
    local shot
    shot=$(ls "$work/shots"/*.png 2>/dev/null | head -n 1)
    [ -n "$shot" ] && convert "$shot" -crop 1024x728+0+40 +repage "$work/$1.png"
}
# The desktop's background drawn: the picture is not uniform any more, and stays as it is.
drawn() {
    [ -f "$work/desktop.png" ] && mv "$work/desktop.png" "$work/before.png"
    shoot desktop && [ "$(convert "$work/desktop.png" -format '%[fx:standard_deviation>0.01]' info:)" = 1 ] &&
        [ -f "$work/before.png" ] && [ "$(compare -metric AE "$work/before.png" "$work/desktop.png" null: 2>&1)" = 0 ]
}
poll 15 drawn || fail "no steady picture of the desktop"

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"
printf '[MainWin]\nLeft=120\nTop=80\nMinimized=0\n' >"$ini"
WAYLAND_DEBUG=client run_program "$work/chronivo" >"$work/out.log" 2>&1 &
clock=$!
pids+=($clock)

# What differs from the bare desktop: the window, trimmed to its bounding box.
window_diff() {
    convert "$work/desktop.png" "$work/now.png" -compose difference -composite -threshold 3% "$work/diff.png"
}
mapped() {
    shoot now && window_diff &&
        [ "$(convert "$work/diff.png" -format '%[fx:mean*w*h>30000]' info:)" = 1 ]
}
poll 15 mapped || fail "the window did not map: $(grep -v '^\[' "$work/out.log" | tail -n 5)"
grep -q 'set_app_id("example.veltrix.Chronivo")' "$work/out.log" || fail "the app id is not the desktop entry's id"
box=$(convert "$work/diff.png" -format '%@' info:)
echo "window on screen: $box"
[[ "$box" =~ ^(40[0-9])x(22[0-5])\+([0-9]+)\+([0-9]+)$ ]] || fail "the window's outline is $box, not 409 × 225"
left=${BASH_REMATCH[3]} top=${BASH_REMATCH[4]}
# The skin's top-left corner lies outside its outline, its middle inside.
at() { convert "$work/diff.png" -format "%[fx:p{$(($1 + left)),$(($2 + top))}.r]" info:; }
[ "$(at 2 2)" = 0 ] || fail "the corner outside the skin is drawn: the window has no shape"
[ "$(at 200 110)" = 1 ] || fail "the middle of the window is not drawn"

kill -TERM "$clock"
for _ in $(seq 50); do kill -0 "$clock" 2>/dev/null || break; sleep 0.1; done
kill -0 "$clock" 2>/dev/null && fail "the program did not end on SIGTERM"
wait "$clock"
status=$?
[ "$status" = 0 ] || fail "the program ended with $status"
grep -q '^Left=120$' "$ini" && grep -q '^Top=80$' "$ini" || fail "the remembered place was overwritten: $(cat "$ini")"
echo "1 passed, 0 failed"
