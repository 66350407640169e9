#!/usr/bin/env bash
# Without a usable TLS library (here an empty file where the loader first looks for it) an NTS query
# fails with the reason named, before any connection is tried: no crash, no silent success.
# Usage: nts_nolibrary.sh TIMEPROBE
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/libgnutls.so.30"
status=0
line=$(LD_LIBRARY_PATH="$work" "$1" nts 127.0.0.1 1 1 1) || status=$?
expected="refused: NTS key exchange failed: the TLS library could not be opened ($work/libgnutls.so.30: "
if [ "$status" -ne 1 ] || [ "${line#"$expected"}" = "$line" ]; then
    echo "FAIL: exit status $status, line: $line"
    exit 1
fi
echo "PASS: $line"
