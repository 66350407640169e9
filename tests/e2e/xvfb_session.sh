# Sourced by the end-to-end tests: a work folder and a virtual X server of their own, both removed
# when the test ends. Gives $work, $helpers, $pids (add what you start), fail(), poll(), as_user,
# DISPLAY, run_program, wait_clock_window, start_window_manager, start_clock_window and
# never_shown_normal.
# Options in the array xvfb_options, set before sourcing, go to the X server (-ac: clients of any
# user may connect).
work=$(mktemp -d)
pids=()
# The scripts' own helpers, copied into the work folder: the clone may lie in a folder that only root
# can enter (/root is 0700), and the user the program runs as must be able to run them too.
helpers="$work/helpers"
mkdir -p "$helpers"
cp "$(dirname "${BASH_SOURCE[0]}")"/*.py "$helpers/"

# As root, the program runs as an ordinary user would run it: "${as_user[@]}" COMMAND runs a command
# as nobody, with a home and runtime folder of its own in the work folder; the display lets any user in.
as_user=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
    chmod 755 "$work"
    mkdir -p "$work/home/run"
    chmod 700 "$work/home/run"
    chown -R nobody:nogroup "$work/home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all --bounding-set=-all
             env HOME="$work/home" XDG_RUNTIME_DIR="$work/home/run")
    xvfb_options+=(-ac)
fi
# run_program COMMAND...: the program, as that user, in the background of the caller (which gives
# the &); the work folder is made the user's first, as the program's folder is for a user.
run_program() {
    [ ${#as_user[@]} -eq 0 ] || chown -R nobody:nogroup "$work"
    exec ${as_user[@]+"${as_user[@]}"} "$@"
}
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# poll SECONDS COMMAND...: runs the command every 0.1 s until it succeeds; false if it never did in time.
poll() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# A display number of our own, told by the server itself.
exec 5> >(cat > "$work/display")
# -noreset: the server must not restart when its last client leaves, or a program that connects
# just then (the program checks the display before Qt connects) finds no server.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset ${xvfb_options[@]+"${xvfb_options[@]}"} >/dev/null 2>&1 &
pids+=($!)
poll 5 test -s "$work/display"
exec 5>&-
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
# wait_clock_window LOG: sets window to the program's window (titled with its ticking time), or fails
# with the program's output in LOG when none appears within 10 s.
wait_clock_window() {
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        sleep 0.1
    done
    fail "no clock window appeared: $(cat "$1")"
}
# never_shown_normal: the window's WM_STATE, sampled every 50 ms for 2 s, never reads Normal (the
# window manager never showed it); fails otherwise.
never_shown_normal() {
    for _ in $(seq 40); do
        xprop -id "$window" WM_STATE 2>/dev/null | grep -q "state: Normal" && fail "shown before it was minimized"
        sleep 0.05
    done
}
# shown_window SECONDS TITLE: the id of a visible window whose title matches the pattern TITLE, waited
# for up to SECONDS; nothing (and false) when none showed in time.
shown_window() {
    local id
    for _ in $(seq $(($1 * 10))); do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
        [ -n "$id" ] && echo "$id" && return 0
        sleep 0.1
    done
    return 1
}
# start_window_manager: openbox, waited for until it announces itself on the root window.
start_window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    pids+=($!)
    poll 5 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
        fail "the window manager did not start"
}
# start_clock_window: starts "$work/chronivo" as the test user, its output in $work/out.log, and
# waits for its window; sets clock (its process) and window.
start_clock_window() {
    run_program "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    wait_clock_window "$work/out.log"
}
