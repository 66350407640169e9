#!/usr/bin/env bash
# The part of chrony_e2e.sh that runs inside the new network namespace, where only loopback exists.
# Usage: chrony_e2e_inner.sh WORK CHRONYD
set -euo pipefail
work=$1
chronyd=$2
cd "$work"
ip link set lo up

cat >chrony.conf <<CONF
local stratum 1
bindaddress 127.0.0.1
allow 127.0.0.1
port 123
cmdport 0
user root
pidfile $work/chronyd.pid
CONF
"$chronyd" -x -d -f "$work/chrony.conf" >chronyd.log 2>&1 &
chronyd_pid=$!
proxy_pid=""
cleanup() {
    [ -n "$proxy_pid" ] && kill "$proxy_pid" 2>/dev/null || true
    kill "$chronyd_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
# chronyd answers once it has set itself up as the local reference.
for _ in $(seq 50); do
    ./timeprobe ntp 127.0.0.1 123 1 >/dev/null 2>&1 && break
    sleep 0.2
done

status=0
# offsets: 20 lines "offset_ms delay_ms"; all within 5 ms; median and worst reported.
check_offsets() {
    local name=$1 file=$2
    if [ "$(grep -c '^-\?[0-9]' "$file")" -ne 20 ]; then
        echo "FAIL: $name: not 20 answers"; cat "$file"; status=1; return
    fi
    sort -g -k1,1 <(awk '{ print ($1 < 0 ? -$1 : $1) }' "$file") >"$file.abs"
    local median worst
    median=$(sed -n 10p "$file.abs")
    worst=$(tail -n 1 "$file.abs")
    echo "$name: |offset| median ${median} ms, worst ${worst} ms over 20 queries"
    if ! awk -v w="$worst" 'BEGIN { exit !(w < 5) }'; then
        echo "FAIL: $name: an offset of $worst ms"; status=1
    fi
}

./timeprobe ntp 127.0.0.1 123 20 >ntp.txt || true
check_offsets NTP ntp.txt

# Each attack on the path must end in a refusal that names it, never in a time.
attack() {
    local mode=$1 expected=$2
    python3 ntp_attack_proxy.py "$mode" 1123 123 &
    proxy_pid=$!
    sleep 0.3
    local line
    line=$(./timeprobe ntp 127.0.0.1 1123 1 || true)
    kill "$proxy_pid" 2>/dev/null || true
    wait "$proxy_pid" 2>/dev/null || true
    proxy_pid=""
    if [[ "$line" == "refused: $expected"* ]]; then
        echo "NTP $mode: $line"
    else
        echo "FAIL: NTP $mode: '$line', expected 'refused: $expected'"; status=1
    fi
}
attack blind "reply refused: does not answer this request"
attack replay "reply refused: does not answer this request"
attack truncate "reply refused: malformed or truncated"
attack otherport "reply refused: from another address or port"
attack kiss "kiss-o'-death RATE"
exit $status
