#!/usr/bin/env bash
# A short session against the handset emulator: handsim plays a handset with a few sample files,
# and handsim-demo connects to it through libhandlink.so, lists its folders and disconnects.
# Usage: scripts/demo.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
bin="$build/bin"
for f in handsim handsim-demo libhandlink.so; do
    if [ ! -e "$bin/$f" ]; then
        echo "demo: $bin/$f is missing; run 'make demo' (or build the tree) first." >&2
        exit 1
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zemlo-demo.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

link="$work/handset"
"$bin/handsim" --link "$link" --store "$work/store" --seed --trace "$work/trace.txt" \
    2>"$work/handsim.log" &
sim_pid=$!

# Wait (at most 5 s) for the emulator to publish its line.
for _ in $(seq 50); do
    [ -L "$link" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "demo: handsim did not start:" >&2
        cat "$work/handsim.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -L "$link" ]; then
    echo "demo: handsim did not publish $link in time" >&2
    exit 1
fi

echo "== handsim is serving the handset on $link"
status=0
timeout 60 "$bin/handsim-demo" "$link" || status=$?

echo "== what the handset saw"
sed 's/^/   /' "$work/handsim.log"
echo "== $(wc -l <"$work/trace.txt") lines of protocol trace"
exit "$status"
