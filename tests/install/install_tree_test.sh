#!/usr/bin/env bash
# The install tree: `cmake --install` into a fresh prefix lays out the program, its menu entry, its
# icons in the hicolor theme, its AppStream metadata and its help; both freedesktop validators pass.
# Usage: install_tree_test.sh BUILD_DIR. Exit status 77 means skipped.
set -uo pipefail
build=$1
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
id=example.veltrix.Chronivo
[ -x "$prefix/bin/chronivo" ] || fail "no bin/chronivo"
desktop="$prefix/share/applications/$id.desktop"
desktop-file-validate "$desktop" || fail "the menu entry is not valid"
grep -q '^Categories=.*Utility;.*Clock;' "$desktop" || fail "not in Utility/Clock: $(grep Categories "$desktop")"
grep -q "^Icon=$id$" "$desktop" || fail "the menu entry names another icon"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "the AppStream metadata is not valid"
grep -q '<image>.*screenshot.png</image>' "$prefix/share/metainfo/$id.metainfo.xml" || fail "no screenshot"
grep -q "^StartupWMClass=$id$" "$desktop" || fail "the menu entry does not name the window's class"
# One version everywhere: the program's answer (no display needed) is the AppStream release.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/chronivo" --version) || fail "--version failed"
grep -q "<release version=\"${version#chronivo }\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "AppStream names another release than $version"
man -l "$prefix/share/man/man1/chronivo.1" 2>/dev/null | grep -q -- '--version' || fail "no man page"

icons="$prefix/share/icons/hicolor"
grep -q '<svg' "$icons/scalable/apps/$id.svg" || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || fail "no ${size} px icon"
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is $(identify -format '%wx%h' "$png")"
done
grep -qi 'cities.dat' "$prefix/share/doc/chronivo/help/index.html" || fail "no help"
# The built-in pictures stay inside the program.
[ -z "$(find "$prefix" -name '*.bmp')" ] || fail "loose pictures: $(find "$prefix" -name '*.bmp')"
echo "install tree: all present and valid"
