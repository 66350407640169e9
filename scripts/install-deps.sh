#!/usr/bin/env bash
# Installs the Debian 12 packages Chronivo needs, skipping those already there.
#   install-deps.sh run    to build the program and run it (scripts/run.sh)
#   install-deps.sh        also to build and run every test and benchmark (scripts/test.sh)
set -euo pipefail

# Building the program, and what it needs at run time: Qt's X11 and Wayland platforms, the fonts
# of its read-out and map.
run_packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev libxcb1-dev qt6-wayland
    fonts-liberation fonts-dejavu-core
)
# Tests and benchmarks: virtual displays and a window manager, a Wayland compositor, a notification
# area, a Time server, accessibility, the freedesktop validators and the sanitizers' compiler; GnuTLS
# and Nettle for NTS (headers to build it; the program opens libgnutls30 and libnettle8 when it asks).
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev valgrind
    xvfb xdotool x11-utils imagemagick openbox weston
    xinetd rdate
    trayer faketime python3
    at-spi2-core python3-pyatspi dbus-x11
    desktop-file-utils appstream man-db
    clang libclang-rt-14-dev
    libgnutls28-dev nettle-dev libgnutls30 libnettle8 openssl
    libgweather-4-dev
)

packages=("${run_packages[@]}")
[ "${1:-}" = run ] || packages+=("${test_packages[@]}")

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
