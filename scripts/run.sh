#!/usr/bin/env bash
# Installs what running needs, builds the program alone (no tests, benchmarks or tools) and starts
# the clock on the current display. Its settings go to ~/.config/chronivo/ as an installed copy's do.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHRONIVO_BUILD_TESTS=OFF -DCHRONIVO_BUILD_BENCH=OFF \
    -DCHRONIVO_BUILD_TOOLS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target chronivo
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Chronivo is built, but it needs a graphical display to show its window and none is set (DISPLAY is empty)."
    exit 1
fi
exec build/src/app/chronivo
