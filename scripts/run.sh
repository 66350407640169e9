#!/usr/bin/env bash
# Installs what is missing, builds Chronivo and starts the clock on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Chronivo is built, but it needs a graphical display to show its window and none is set (DISPLAY is empty)."
    exit 1
fi
# The program keeps chronivo.ini beside itself.
exec build/src/app/chronivo
