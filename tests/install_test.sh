#!/usr/bin/env bash
# `cmake --install` puts the executable, its plugins, the desktop entry and
# the icons where a Linux desktop looks for them, and the desktop entry is valid.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/viridio"
# The chart's and the event update's plugins, where the program looks for them.
test -f "$prefix/lib/viridio/viridio_historychart.so"
test -f "$prefix/lib/viridio/viridio_eventsocket.so"
desktop-file-validate "$prefix/share/applications/viridio.desktop"
grep -qx 'Exec=viridio' "$prefix/share/applications/viridio.desktop"
grep -qx 'Icon=viridio' "$prefix/share/applications/viridio.desktop"
for size in 16 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/viridio.png"
    file "$icon" | grep -q "PNG image data, $size x $size" || { echo "bad icon $icon"; exit 1; }
done
echo "1 passed, 0 failed"
