#!/usr/bin/env bash
# Renders the program for people to look at, as PNG files under BUILD_DIR/screenshots/:
# - the controls offscreen, each in a few states (the icon buttons, also three times enlarged to
#   see their frame lines, the play-time slider, the space gauge with its tooltip, the link state
#   icon and the frames of the wait animation);
# - the windows under Xvfb: the main window with the picture panel and with the melody panel,
#   the wait window in the middle of a download, the about box and the port dialog, in Chinese
#   and, under BUILD_DIR/screenshots/en/, in English.
# Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "screenshots: $build is not configured; run 'make configure' (or cmake) first." >&2
    exit 1
fi
cmake --build "$build" --target controls-gallery zemlo-screens -j "$(nproc)"
out="$build/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/bin/controls-gallery" "$out"
if command -v xvfb-run >/dev/null 2>&1; then
    ZEMLO_LANG=zh xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/zemlo-screens" "$out"
    ZEMLO_LANG=en xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/zemlo-screens" "$out/en"
else
    echo "screenshots: xvfb-run not found; the windows are rendered offscreen instead." >&2
    ZEMLO_LANG=zh QT_QPA_PLATFORM=offscreen "$build/bin/zemlo-screens" "$out"
    ZEMLO_LANG=en QT_QPA_PLATFORM=offscreen "$build/bin/zemlo-screens" "$out/en"
fi
