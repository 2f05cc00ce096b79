#!/usr/bin/env bash
# The one way to run the benchmarks: bench/run.sh [NAME]
# Builds the benchmarks optimised in build-bench/, makes the standard 32000-entry tree afresh in a temporary
# folder, runs every bench_* program built (or only bench_NAME, e.g. `bench/run.sh report`) as
# `bench_NAME TREE`, and removes the tree.
# Each program prints its figures beside the same work done by find over that tree.
# To add a benchmark: add_executable(bench_NAME ...) in bench/CMakeLists.txt, taking the tree as its argument.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-bench}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BUILD_TESTS=OFF \
    -DVELLUMARK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 "$here/bench/make_tree.py" "$scratch/tree"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
name=${1:-*}
name=${name#bench_}
ran=0
for bench in "$build"/bench/bench_$name; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench" "$scratch/tree"
    ran=$((ran + 1))
done
[ "$ran" -gt 0 ] || { echo "no benchmark bench_$name in $build/bench" >&2; exit 1; }
