#!/usr/bin/env bash
# Renders the program's controls offscreen, each in a few states, into PNG sheets under
# BUILD_DIR/screenshots/ for people to look at: the icon buttons (also three times enlarged, to
# see their frame lines), the play-time slider, the space gauge with its tooltip, the link
# state icon and the frames of the wait animation.
# Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "screenshots: $build is not configured; run 'make configure' (or cmake) first." >&2
    exit 1
fi
cmake --build "$build" --target controls-gallery -j "$(nproc)"
out="$build/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/bin/controls-gallery" "$out"
