#!/usr/bin/env bash
# Builds the benchmarks in release mode, makes the 32000-entry tree and runs every benchmark on it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-bench}
tree=${TREE:-/tmp/vellumark-bench-tree}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
[ -d "$tree" ] || python3 "$here/bench/make_tree.py" "$tree"
for bench in "$build"/bench/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] && "$bench" "$tree"
done
