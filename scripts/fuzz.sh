#!/usr/bin/env bash
# scripts/fuzz.sh SECONDS: builds every fuzz target with clang, libFuzzer, ASan and UBSan, and runs
# each for SECONDS on its seed corpus. New crashing inputs land in fuzz/work/<target>/; copy them to
# fuzz/regressions/<target>/ so that `make test` replays them.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
root=$(pwd)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DZEMLO_FUZZ=ON -DZEMLO_SANITIZE=address \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target $(cd build-fuzz && cmake --build . --target help | awk '/fuzz_/{print $2}' | tr '\n' ' ') >/dev/null
status=0
for bin in build-fuzz/bin/fuzz_*; do
    name=$(basename "$bin"); name=${name#fuzz_}
    work="$root/fuzz/work/$name"; mkdir -p "$work/corpus" "$work/crashes"
    seeds=()
    [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
    [ -d "$root/fuzz/regressions/$name" ] && seeds+=("$root/fuzz/regressions/$name")
    echo "== $name: ${seconds}s"
    if ! "$bin" -max_total_time="$seconds" -artifact_prefix="$work/crashes/" -print_final_stats=1 \
        "$work/corpus" "${seeds[@]}" >"$work/log.txt" 2>&1; then
        echo "   CRASH: see $work/log.txt and $work/crashes/"
        status=1
    fi
    grep -E 'stat::number_of_executed_units|stat::new_units_added' "$work/log.txt" | sed 's/^/   /' || true
done
exit $status
