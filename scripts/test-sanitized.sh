#!/usr/bin/env bash
# Builds the core and its unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (the windows are left out: Qt under ASan reports its own leaks) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 $sanitizers" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCHRONIVO_BUILD_UI=OFF -DCHRONIVO_BUILD_BENCH=OFF \
        -DCHRONIVO_BUILD_TOOLS=OFF >/dev/null
fi
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure --timeout 300 -j 2
