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
done
[ $found -eq 1 ] || echo "no benchmarks built"
