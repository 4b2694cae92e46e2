#!/usr/bin/env bash
# Draws the pictures of every screen and control in each of its states into docs/screenshots/,
# on a virtual X display of 1280x1024 at 24 bits (the display the windows are made for), with the
# real fonts. Look at every picture after a change to a window.
#
# Usage: scripts/screenshots.sh
# Environment (optional): MAPVALE_SCREENSHOTS_BUILD_DIR build folder (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${MAPVALE_SCREENSHOTS_BUILD_DIR:-build/release}
jobs=$(nproc 2>/dev/null || echo 2)
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target mapvale-gallery -j "$jobs"

out=docs/screenshots
rm -rf "$out/skin" "$out/shell" "$out/web" "$out/signin" "$out/wizard" "$out/tray" "$out/main" "$out/extras"
mkdir -p "$out"
# xcb on the virtual display, whatever the caller's session prefers; without the session's bus the
# tray icon goes into the tray host on that display.
env -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/mapvale-gallery" "$out" 2> >(grep -v 'propagateSizeHints' >&2)
echo "pictures in $out/"
