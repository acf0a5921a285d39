#!/usr/bin/env bash
# The demo: the handset emulator on a pseudo-terminal with a few sample files, and a session
# against it. With a display and the desktop program built, that program is started on the
# emulator's line; otherwise zemlo-cli lists the handset, downloads a picture and a melody that
# the build made, lists again and says where the emulator keeps the picture the handset shows.
# The emulator is stopped at the end. Its store stays in BUILD_DIR/demo to look at.
# Usage: scripts/demo.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
bin="$build/bin"
for f in handsim zemlo-cli zemlo-demo-samples libhandlink.so libpicmill.so libdisplay.so; do
    if [ ! -e "$bin/$f" ]; then
        echo "demo: $bin/$f is missing; run 'make demo' (or build the tree) first." >&2
        exit 1
    fi
done

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/samples" "$demo/config" "$demo/work"
demo=$(cd "$demo" && pwd)
link="$demo/handset"
store="$demo/store"
# The demo neither reads nor changes the user's own profile and work folder.
export XDG_CONFIG_HOME="$demo/config"
export ZEMLO_WORK_DIR="$demo/work"

sim_pid=""
stop_emulator() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    sim_pid=""
}
trap stop_emulator EXIT INT TERM

"$bin/handsim" --link "$link" --store "$store" --seed --trace "$demo/handsim-trace.txt" \
    2>"$demo/handsim.log" &
sim_pid=$!
for _ in $(seq 50); do
    [ -L "$link" ] && break
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "demo: handsim did not start:" >&2
        cat "$demo/handsim.log" >&2
        exit 1
    fi
    sleep 0.1
done
if [ ! -L "$link" ]; then
    echo "demo: handsim did not publish $link in time" >&2
    exit 1
fi
echo "== handsim serves a handset on $link (store: $store)"

# The desktop program, once it exists: COM3 (the default port) is mapped to the emulator.
if [ -x "$bin/zemlo" ] && [ -n "${DISPLAY:-}" ]; then
    echo "== starting the desktop program on COM3 = $link; close its window to end the demo"
    "$bin/zemlo" --port-device "$link" || true
    exit 0
fi

run() {
    echo
    echo "\$ zemlo-cli $*"
    "$bin/zemlo-cli" "$@"
}

"$bin/zemlo-demo-samples" "$demo/samples" >/dev/null
run --device "$link" list
run --device "$link" download "$demo/samples/hills.jpg" --preview
run --device "$link" download "$demo/samples/greeting.mid" --name greeting
run --device "$link" list

echo
png="$store/view/pic/hills.png"
if [ -f "$png" ]; then
    echo "== the handset now shows $png"
else
    echo "demo: the emulator wrote no picture at $png" >&2
    exit 1
fi
stop_emulator
echo "== emulator stopped; what it saw is in $demo/handsim.log"
