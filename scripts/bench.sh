#!/usr/bin/env bash
# Runs every benchmark program of the build (build/bin/bench_*). Each prints its own ratios.
set -euo pipefail
build=${1:-build}
found=0
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    "$b"
    # The window's start also on a display, against a bare window on the same one.
    if [ "$(basename "$b")" = bench_window_start ] && command -v xvfb-run >/dev/null 2>&1; then
        echo "== $(basename "$b") --xcb"
        xvfb-run -a -s "-screen 0 1280x1024x24" "$b" --xcb
    fi
done
[ $found -eq 1 ] || echo "no benchmarks built"
