#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan in build-fuzz/ and runs each for SECONDS
# (default 30) from its committed seed corpus, with new finds kept in build-fuzz/corpus/. Fails on
# any crash, leak, sanitizer report or broken invariant; the input is left in build-fuzz/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build-fuzz
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
        -DCHRONIVO_BUILD_FUZZ=ON -DCHRONIVO_BUILD_UI=OFF -DCHRONIVO_BUILD_TESTS=OFF \
        -DCHRONIVO_BUILD_BENCH=OFF -DCHRONIVO_BUILD_TOOLS=OFF >/dev/null
fi
targets=(settings cities bmp skinregion timeclient ntpreply)
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target for ${seconds}s"
    if ! (cd "$build" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
            -timeout=10 -rss_limit_mb=2048 "corpus/$target" "../fuzz/corpus/$target") \
            >"$build/fuzz_$target.log" 2>&1; then
        echo "FAIL: fuzz_$target (see $build/fuzz_$target.log)"
        tail -n 40 "$build/fuzz_$target.log"
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$target.log" | tr '\n' ' '
    echo "corpus: $(ls "$corpus" | wc -l) found, $(ls "fuzz/corpus/$target" | wc -l) seeds"
done
exit $status
