#!/usr/bin/env bash
# End to end: the window stays live while a clock update waits on a slow server. A Time server on
# 127.0.0.1:37 sends three bytes and closes, so each query lasts its whole 4 s read time-out and more.
# During the automatic update (at second 30; the program is started at second 27 of a faked clock)
# and during one started by the "Set Clock" button, the window's title must change at least four
# times; the button's message box comes after the answer. Asked to end during a query, the program
# ends cleanly when the query is over.
# Usage: clock_live_e2e.sh <path of the built chronivo program>. Exit status 77 means skipped.
set -uo pipefail
program=$1
for tool in python3 xdotool; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
# The faked clock is loaded into the program itself, so that signals and exit status are its own.
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n 1)
[ -n "$faketime_lib" ] || { echo "SKIP: faketime is not installed"; exit 77; }
if (exec 3<>/dev/tcp/127.0.0.1/37) 2>/dev/null; then
    echo "SKIP: something already listens on 127.0.0.1:37"
    exit 77
fi
source "$(dirname "$0")/xvfb_session.sh"

# The server notes the time of each connection and of its close, in seconds since the epoch.
cat >"$work/server.py" <<'PY'
import socket, sys, time
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", 37))
listener.listen(4)
print("ready", flush=True)
while True:
    connection, _ = listener.accept()
    print("open %.3f" % time.time(), flush=True)
    connection.sendall(b"\xc0\x29\xeb")
    connection.close()
PY
python3 "$work/server.py" >"$work/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q ready "$work/server.log" && break; sleep 0.1; done
grep -q ready "$work/server.log" || { echo "SKIP: cannot listen on 127.0.0.1:37: $(cat "$work/server.log")"; exit 77; }

cp "$program" "$work/chronivo"
ini="$work/chronivo.ini"
printf '[MainWin]\nLeft=0\nTop=0\n[Clock]\nTime server=127.0.0.1\nUpdate type=2\nLast update=0\n' >"$ini"
# start_at SECOND: the program, its clock starting at 12:00:SECOND today.
start_at() {
    run_program env LD_PRELOAD="$faketime_lib" FAKETIME="@$(date +%F) 12:00:$1" FAKETIME_DONT_FAKE_MONOTONIC=1 \
        "$work/chronivo" >"$work/out.log" 2>&1 &
    clock=$!
    pids+=($clock)
}
start_at 27

# Samples the title every 0.1 s until the settings file holds a log line other than $1; prints the
# number of different titles seen.
titles_until_logged() {
    local before=$1 seen=() title log
    for _ in $(seq 150); do
        title=$(xdotool search --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' getwindowname 2>/dev/null | head -n 1)
        [ -n "$title" ] && [[ " ${seen[*]-} " != *" ${title%%  *} "* ]] && seen+=("${title%%  *}")
        log=$(sed -n 's/^Log=//p' "$ini")
        [ -n "$log" ] && [ "$log" != "$before" ] && break
        sleep 0.1
    done
    [ -n "$log" ] && [ "$log" != "$before" ] || fail "no new log line after 15 s"
    echo "${#seen[@]}"
}

# 1. The automatic update: wait for its connection, then watch the title until its log line.
for _ in $(seq 100); do grep -q open "$work/server.log" && break; sleep 0.1; done
grep -q open "$work/server.log" || fail "no automatic update within 10 s: $(cat "$work/out.log")"
changes=$(titles_until_logged "") || exit 1
log=$(sed -n 's/^Log=//p' "$ini")
echo "automatic update: $changes titles during the query; Log=$log"
[ "$changes" -ge 5 ] || fail "the title changed only $((changes - 1)) times during the automatic update"
[[ "$log" == *"  Unable to access server 127.0.0.1" ]] || fail "log: $log"

# 2. The "Set Clock" button of the window at the top left corner. The attempt's last write ("Last
#    update", after "Log") must be in before the log is marked, or that write could undo the mark.
window=$(xdotool search --name '^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]  ' | head -n 1)
poll 5 grep -q '^Last update=[1-9]' "$ini" || fail "no Last update after the automatic update: $(cat "$ini")"
sed -i 's/^Log=.*/Log=before/' "$ini"
xdotool mousemove --window "$window" 387 57 click 1
changes=$(titles_until_logged "before") || exit 1
echo "Set Clock: $changes titles during the query"
[ "$changes" -ge 5 ] || fail "the title changed only $((changes - 1)) times during the Set Clock update"
[ "$(grep -c open "$work/server.log")" = 2 ] || fail "Set Clock did not ask the server"
shown_window 3 '^Veltrix Chronivo$' >/dev/null || fail "Set Clock showed no message box after the answer"
kill -TERM "$clock"
wait "$clock" 2>/dev/null

# 3. Asked to end while a query runs, the program ends cleanly once the query is over (it is
#    bounded at about 5.2 s here), and saves its place.
sed -i '/^Minimized=/d' "$ini"
sed -i 's/^Last update=.*/Last update=0/' "$ini"
start_at 28
for _ in $(seq 100); do [ "$(grep -c open "$work/server.log")" = 3 ] && break; sleep 0.1; done
[ "$(grep -c open "$work/server.log")" = 3 ] || fail "no third query"
kill -TERM "$clock"
ended=""
for _ in $(seq 80); do kill -0 "$clock" 2>/dev/null || { ended=yes; break; }; sleep 0.1; done
[ -n "$ended" ] || fail "the program still ran 8 s after SIGTERM during a query"
wait "$clock"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status during a query: $(cat "$work/out.log")"
grep -q '^Minimized=0$' "$ini" || fail "the place was not saved: $(cat "$ini")"
echo "SIGTERM during a query: ended cleanly"
echo "PASS"
