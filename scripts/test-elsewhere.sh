#!/usr/bin/env bash
# Runs every unit test program again (not the end-to-end tests) where zone and date differ from the
# fixed ones CTest gives: in a zone whose daylight saving moves the clock by half an hour, at that
# zone's change-over, and on 29 February. A test that reads the machine's zone or date instead of
# its fakes fails here.
set -uo pipefail
cd "$(dirname "$0")/.."
list=build/unit-tests.txt
[ -s "$list" ] || { echo "no $list: build first"; exit 1; }
mapfile -t programs <"$list"

# libfaketime's library, in a process that cannot open its wrapper's shared semaphore (the clock-setter
# test's probe runs as nobody), makes one of its own named after the process and never removes it; a
# later wrapper given the same process number then cannot start ("sem_open: File exists"). Those of
# processes gone are removed before each faked program.
clear_stale_faketime() {
    local object
    for object in /dev/shm/faketime_shm_* /dev/shm/sem.faketime_sem_*; do
        [ -e "$object" ] && [ ! -d "/proc/${object##*_}" ] && rm -f "$object"
    done
    return 0
}

# run LABEL ZONE [MOMENT]: each program in ZONE; with MOMENT (a date(1) text), its clock is faked
# to start one second before it. The faked clock is an offset from the real one, so that children
# the tests start (servers, probes) read the same time.
failed=0
run() {
    local label=$1 zone=$2 moment=${3:-} fake=()
    echo "== unit tests $label"
    for program in "${programs[@]}"; do
        # The kill test reads no date, and its SIGKILLs can land while a writer holds libfaketime's
        # lock shared between processes, which then never opens: it runs in the zone, never faked.
        if [ -n "$moment" ] && [ "$(basename "$program")" = settingsfile_crash_test ]; then
            continue
        fi
        if [ -n "$moment" ]; then
            clear_stale_faketime
            fake=(FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -m -f "+$(($(date -d "$moment" +%s) - 1 - $(date +%s)))")
        fi
        local attempt status output
        for attempt in 1 2; do
            output=$(env LANG=C.UTF-8 LC_ALL=C.UTF-8 TZ="$zone" "${fake[@]}" timeout 300 "$program" 2>&1)
            status=$?
            [ "$status" -eq 0 ] && break
            # A failed test names itself and fails the run. A program that ends without one (a signal: the
            # faked clock's library has been seen to end a threaded program now and then) shows its last
            # words and runs once more; a second such end fails the run too.
            if echo "$output" | grep -qE '^\[  FAILED'; then
                echo "$output" | grep -E '^\[  FAILED|Failure' -A4 | head -40
                break
            fi
            echo "$(basename "$program") $label ended with status $status and no failed test:"
            echo "$output" | tail -n 15
        done
        if [ "$status" -ne 0 ]; then
            echo "FAILED: $(basename "$program") $label (exit status $status)"
            failed=1
        fi
    done
}

# Lord Howe Island keeps UTC+10:30, and UTC+11 in daylight time, which ends at 02:00 on the first
# Sunday of April (the clock goes back to 01:30).
run "in Australia/Lord_Howe" Australia/Lord_Howe
run "in Australia/Lord_Howe as daylight time ends" Australia/Lord_Howe "2027-04-04 02:00:00 +1100"
run "on 29 February" Europe/London "2028-02-29 12:00:00 UTC"
exit $failed
