#!/usr/bin/env bash
# Configures and builds Chronivo in build/. Warnings are errors under CI.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHRONIVO_WERROR=$werror -DCHRONIVO_BUILD_TESTS=ON \
    -DCHRONIVO_BUILD_BENCH=ON -DCHRONIVO_BUILD_TOOLS=ON >/dev/null
cmake --build build -j "$(nproc)"
