#!/usr/bin/env bash
# Root saving settings beside a file another user owns and made set-user-ID: the save must refuse,
# say so once, and leave the file the user's, with no set-ID bit gained. Root's own set-ID file is
# saved without the bit. Run as root with the clock capability removed and without a network.
set -euo pipefail
probe="$1"
[ "$(id -u)" -eq 0 ] || { echo "needs root"; exit 77; }
command -v setpriv >/dev/null && command -v unshare >/dev/null || { echo "needs setpriv and unshare"; exit 77; }
unshare -n true 2>/dev/null || { echo "cannot make a network namespace"; exit 77; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 0755 "$dir"
chown 65534:65534 "$dir"
printf '[MainWin]\nTop=5\n' >"$dir/chronivo.ini"
chown 65534:65534 "$dir/chronivo.ini"
chmod 4755 "$dir/chronivo.ini"

run() { unshare -n setpriv --bounding-set=-sys_time "$probe" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

if run "$dir/chronivo.ini" MainWin Top 6 2>"$dir.err"; then fail "the save over the user's file succeeded"; fi
[ "$(grep -c 'not saved' "$dir.err")" -eq 1 ] || fail "the refusal was not said once: $(cat "$dir.err")"
rm -f "$dir.err"
[ "$(stat -c '%u %a' "$dir/chronivo.ini")" = "65534 4755" ] || fail "the file changed: $(stat -c '%u %a' "$dir/chronivo.ini")"
grep -q '^Top=5$' "$dir/chronivo.ini" || fail "the contents changed"
for f in "$dir"/*; do [ -u "$f" ] && [ "$(stat -c %u "$f")" -eq 0 ] && fail "root-owned set-user-ID file $f"; done

chown 0:0 "$dir/chronivo.ini"
chmod 4755 "$dir/chronivo.ini"
run "$dir/chronivo.ini" MainWin Top 6 || fail "root's own file was not saved"
[ "$(stat -c '%u %a' "$dir/chronivo.ini")" = "0 755" ] || fail "set-user-ID kept: $(stat -c '%u %a' "$dir/chronivo.ini")"
grep -q '^Top=6$' "$dir/chronivo.ini" || fail "the contents were not saved"
echo "ok"
