#!/usr/bin/env bash
# The program's NTP client against chronyd on loopback, inside a network namespace this test makes,
# with chronyd unable to touch the clock (-x): 20 queries within 5 ms of a zero offset (server and
# client share one clock), then an attacker between them whose every trick is refused, by name.
# Needs root (for the namespace) and chrony from Debian's package registry (scripts/get-chrony.sh);
# skipped (77) without them.
# Usage: chrony_e2e.sh TIMEPROBE CHRONY_DIR
set -euo pipefail
probe=$1
chrony_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)

if [ "$(id -u)" -ne 0 ] || ! unshare -n true 2>/dev/null; then
    echo "SKIP: a network namespace needs root"
    exit 77
fi
if ! bash "$repo/scripts/get-chrony.sh" "$chrony_dir"; then
    echo "SKIP: chrony could not be fetched from the package registry"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$probe" "$work/timeprobe"
cp "$here/ntp_attack_proxy.py" "$here/chrony_e2e_inner.sh" "$work/"
unshare -n bash "$work/chrony_e2e_inner.sh" "$work" "$chrony_dir/usr/sbin/chronyd"
