#!/usr/bin/env bash
# Builds the core and its Windows platform layer with MinGW-w64 (in build-windows/) and runs the core's
# tests under Wine, as an unprivileged user that cannot set the clock. Installs what is missing
# (MinGW-w64, Wine, GoogleTest's sources) with apt-get when run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-windows"
test_user=chronivo-wine

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev)
command -v wine >/dev/null || need+=(wine wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing: ${need[*]} (run as root to install them)" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The tests run as a user who may not set the clock: never as root. That user may not be able to enter
# the clone (under /root, say), so as root the sources are copied into a folder of the user's and built
# there; the copy keeps the files' times, so a second run builds only what changed.
if [ "$(id -u)" -eq 0 ]; then
    id "$test_user" >/dev/null 2>&1 || useradd --create-home --shell /usr/sbin/nologin "$test_user"
    run_as=(runuser -u "$test_user" --)
    home=$(getent passwd "$test_user" | cut -d: -f6)
    stage="$home/chronivo"
    rm -rf "$stage/source"
    mkdir -p "$stage/source"
    tar -C "$root" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$stage/source" -xf -
    root="$stage/source"
    build="$stage/build-windows"
else
    run_as=()
    home=$HOME
fi
gtest="$build/googletest"

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
# GoogleTest for Windows, built once from Debian's sources.
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
    cmake --build "$gtest/build" -j 2 >/dev/null
    cmake --install "$gtest/build" >/dev/null
fi

prefix="$home/.wine-chronivo"
wine_env=(env HOME="$home" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
          CHRONIVO_UNPRIVILEGED=1)

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCHRONIVO_BUILD_UI=OFF -DCHRONIVO_BUILD_BENCH=OFF -DCHRONIVO_BUILD_TOOLS=OFF -DCHRONIVO_WERROR=ON \
      -DGTest_DIR="$gtest/install/lib/cmake/GTest" -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build "$build" -j 2

# The tests are listed and run by the test user, who writes their lists and logs in the build folder.
[ ${#run_as[@]} -eq 0 ] || chown -R "$test_user" "$stage"
[ -d "$prefix" ] || "${run_as[@]}" "${wine_env[@]}" wineboot --init >/dev/null 2>&1
"${run_as[@]}" "${wine_env[@]}" ctest --test-dir "$build" --output-on-failure --timeout 300 -j 2
