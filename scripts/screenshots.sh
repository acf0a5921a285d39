#!/usr/bin/env bash
# Renders the program for people to look at, as PNG files under BUILD_DIR/screenshots/:
# - the controls offscreen, each in a few states (the icon buttons, also three times enlarged to
#   see their frame lines, the play-time slider, the space gauge with its tooltip, the link state
#   icon and the frames of the wait animation);
# - the windows under Xvfb (with the openbox window manager when it is installed, so that the
#   title bars show): the main window with the picture panel and with the melody panel, the wait
#   window in the middle of a download, the about box, the port dialog and the message boxes, in
#   Chinese and, under .../en/, in English; on a 1280 x 1024 screen at scale 1 (under
#   BUILD_DIR/screenshots/) and on a 1024 x 600 one at scale 1.5 (under .../1024x600/).
# Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "screenshots: $build is not configured; run 'make configure' (or cmake) first." >&2
    exit 1
fi
build=$(cd "$build" && pwd)  # openbox runs the tour from its own folder
cmake --build "$build" --target controls-gallery zemlo-screens -j "$(nproc)"
out="$build/screenshots"
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$build/bin/controls-gallery" "$out"
# tour SCREEN SCALE OUTPUT_DIR: the windows on a virtual screen, under openbox when there is one
# (it runs the tour once it manages the screen, and ends with it).
tour() {
    local screen=$1 scale=$2 dir=$3 lang
    for lang in zh en; do
        local target=$dir
        [ "$lang" = en ] && target=$dir/en
        if command -v openbox >/dev/null 2>&1; then
            ZEMLO_LANG=$lang QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen}x24" \
                openbox --startup "sh -c '\"$build/bin/zemlo-screens\" \"$target\"; openbox --exit'"
        else
            ZEMLO_LANG=$lang QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 ${screen}x24" \
                "$build/bin/zemlo-screens" "$target"
        fi
    done
}
if command -v xvfb-run >/dev/null 2>&1; then
    tour 1280x1024 1 "$out"
    tour 1024x600 1.5 "$out/1024x600"
else
    echo "screenshots: xvfb-run not found; the windows are rendered offscreen instead." >&2
    ZEMLO_LANG=zh QT_QPA_PLATFORM=offscreen "$build/bin/zemlo-screens" "$out"
    ZEMLO_LANG=en QT_QPA_PLATFORM=offscreen "$build/bin/zemlo-screens" "$out/en"
fi
