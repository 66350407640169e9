#!/bin/bash
# End to end: the program, started as an unprivileged user under a virtual X server with
# "Update type" 2 and no update yet ("Last update" 0), asks the Time server on 127.0.0.1:37 (xinetd's
# built-in one) at the first second 30 and writes its log line and a fresh "Last update" to the
# chronivo.ini beside it. Unprivileged, it cannot set the clock: the log says so.
# Usage: clock_update_e2e.sh PROGRAM. Exit status 77 means skipped.
set -u

program=$1
skip() { echo "SKIP: $*"; exit 77; }

for tool in Xvfb xinetd; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null 2>&1 || skip "setpriv is not installed: no way to run the program unprivileged"
    drop=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all)
else
    drop=()
fi

# The program runs as another user when this script is root: the display lets any user in.
xvfb_options=(-ac)
source "$(dirname "$0")/xvfb_session.sh"
display=${DISPLAY#:}

# The Time server, on the port the program always asks.
if (exec 3<>/dev/tcp/127.0.0.1/37) 2>/dev/null; then
    skip "something already listens on 127.0.0.1:37"
fi
cat >"$work/xinetd.conf" <<CONF
defaults
{
}
service time
{
    type        = INTERNAL UNLISTED
    id          = time-stream
    socket_type = stream
    protocol    = tcp
    wait        = no
    user        = $(id -un)
    bind        = 127.0.0.1
    port        = 37
}
CONF
xinetd -f "$work/xinetd.conf" -pidfile "$work/xinetd.pid" -dontfork >"$work/xinetd.log" 2>&1 &
pids+=($!)
listening() { (exec 3<>/dev/tcp/127.0.0.1/37) 2>/dev/null; }
poll 5 listening || skip "the Time server cannot listen on 127.0.0.1:37: $(cat "$work/xinetd.log")"

# The program in a folder of its own, with its settings file, owned by the user it runs as.
app="$work/app"
mkdir -p "$app/run"
cp "$program" "$app/chronivo"
cat >"$app/chronivo.ini" <<INI
[Clock]
Time server=127.0.0.1
Update type=2
Last update=0
INI
chmod 755 "$work"
chmod 700 "$app/run"
[ ${#drop[@]} -gt 0 ] && chown -R nobody:nogroup "$app"

# The clock must be out of the program's reach before it can ask anything.
capabilities=$("${drop[@]}" grep CapEff /proc/self/status | awk '{print $2}')
(( (0x$capabilities >> 25) & 1 )) && fail "the program would run with CAP_SYS_TIME ($capabilities)"

# Start outside seconds 25-31, so that the check of the running program comes before its query.
second=$((10#$(date +%S)))
if [ "$second" -ge 25 ] && [ "$second" -lt 32 ]; then
    sleep $((32 - second))
fi
"${drop[@]}" env -i PATH=/usr/bin:/bin HOME="$app" XDG_RUNTIME_DIR="$app/run" DISPLAY=":$display" \
    TZ=Europe/London LANG=en_GB.UTF-8 "$app/chronivo" >"$work/program.log" 2>&1 &
program_pid=$!
pids=("$program_pid" "${pids[@]}")
started() { [ "$(readlink "/proc/$program_pid/exe" 2>/dev/null)" = "$app/chronivo" ]; }
poll 5 started || fail "the program did not start: $(cat "$work/program.log")"
running=$(awk '/^CapEff:/ {print $2}' "/proc/$program_pid/status" 2>/dev/null) || fail "the program did not start"
(( (0x$running >> 25) & 1 )) && fail "the running program holds CAP_SYS_TIME"

# The first second 30 comes within a minute; the query takes about 1.2 s more.
log=""
for _ in $(seq 150); do
    log=$(sed -n 's/^Log=//p' "$app/chronivo.ini" | tr -d '\r')
    [ -n "$log" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended early: $(cat "$work/program.log")"
    sleep 0.5
done
[ -n "$log" ] || fail "no log line after 75 s"
# "Last update" is written just after the log line.
recorded() { [ -n "$(sed -n 's/^Last update=\(.*[1-9].*\)/\1/p' "$app/chronivo.ini")" ]; }
poll 5 recorded || fail "no Last update after the log line"
last=$(sed -n 's/^Last update=//p' "$app/chronivo.ini" | tr -d '\r')
echo "Log=$log"
echo "Last update=$last"

case "$log" in
*"  Unable to update system clock") ;;
*"  Clock updated using 127.0.0.1  (Correction: "*" seconds)") ;;
*) fail "unexpected log line: $log" ;;
esac

# "Last update" is the local time after the query: now, at seconds 30 to 34 of a minute.
now_epoch=$(date +%s)
offset=$(TZ=Europe/London date +%z)
awk -v last="$last" -v now="$now_epoch" -v off="$offset" 'BEGIN {
    sign = substr(off, 1, 1) == "-" ? -1 : 1
    zone = sign * (substr(off, 2, 2) * 3600 + substr(off, 4, 2) * 60)
    local_now = (now + zone) / 86400 + 25569
    if (last !~ /^[0-9]+(\.[0-9]+)?$/) { print "FAIL: Last update is not a number"; exit 1 }
    if (last - local_now > 5 / 86400 || local_now - last > 90 / 86400) { print "FAIL: Last update is not fresh"; exit 1 }
    second = (last * 86400) % 60
    if (second < 30 || second >= 34) { printf "FAIL: the update came at second %.1f, not 30\n", second; exit 1 }
}' || exit 1

# "Set Clock" asks again at once and shows the outcome in a message box.
if command -v xdotool >/dev/null 2>&1; then
    export DISPLAY=":$display"
    xdotool mousemove 387 57 click 1 # the Set Clock button of the window at the top left corner
    # The attempt takes over a second before its message box shows; a loaded machine takes longer.
    box=$(shown_window 15 '^Veltrix Chronivo$') || fail "Set Clock showed no message box titled Veltrix Chronivo"
    again=$(sed -n 's/^Last update=//p' "$app/chronivo.ini" | tr -d '\r')
    [ "$again" != "$last" ] || fail "Set Clock did not record a new attempt"
    xdotool key --window "$box" Return
    echo "Set Clock: message box shown, Last update=$again"
fi

echo "PASS"
