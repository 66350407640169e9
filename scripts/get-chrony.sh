#!/usr/bin/env bash
# Puts chronyd from Debian's chrony package into DIR (DIR/usr/sbin/chronyd) without installing the
# package: no service is started and nothing on this machine is configured. The end-to-end tests use
# it as a time server on loopback inside a network namespace of their own.
# Usage: scripts/get-chrony.sh DIR
set -euo pipefail
dir=$1
[ -x "$dir/usr/sbin/chronyd" ] && exit 0
mkdir -p "$dir"
download=$(mktemp -d)
trap 'rm -rf "$download"' EXIT
# apt's download user must be able to write where the package goes.
chmod 0777 "$download"
(cd "$download" && apt-get download -qq chrony)
dpkg -x "$download"/chrony_*.deb "$dir"
[ -x "$dir/usr/sbin/chronyd" ]
