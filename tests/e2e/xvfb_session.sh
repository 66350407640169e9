# Sourced by the end-to-end tests: a work folder and a virtual X server of their own, both removed
# when the test ends. Gives $work, $pids (add what you start), fail() and DISPLAY.
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A display number of our own, told by the server itself.
exec 5> >(cat > "$work/display")
# -noreset: the server must not restart when its last client leaves, or a program that connects
# just then (the program checks the display before Qt connects) finds no server.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
exec 5>&-
export DISPLAY=":$(cat "$work/display")"
