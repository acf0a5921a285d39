#!/usr/bin/env bash
# The main job against the handset emulator. Filled in when the emulator exists.
set -euo pipefail
build=${1:-build}
if [ ! -x "$build/bin/handsim" ]; then
    echo "make demo: the handset emulator (handsim) is not built yet; nothing to run against." >&2
    exit 1
fi
