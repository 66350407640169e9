#!/usr/bin/env bash
# Installs the Debian 12 packages Chronivo needs to build, run and test, skipping those already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation fonts-dejavu-core
    xvfb xdotool x11-utils imagemagick openbox
    xinetd rdate
    trayer faketime python3
    at-spi2-core python3-pyatspi dbus-x11
    desktop-file-utils appstream
    clang libclang-rt-14-dev
    libgnutls28-dev nettle-dev openssl
    libgweather-4-dev
)

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
