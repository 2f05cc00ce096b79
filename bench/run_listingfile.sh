#!/usr/bin/env bash
# Builds the listing file benchmark optimised, makes the standard 32000-entry tree in a temporary folder and
# prints opening and saving its listing file as ratios of find's time over the same tree.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${VELLUMARK_BENCH_BUILD:-$here/../build-bench}"
cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BUILD_TESTS=OFF \
    -DVELLUMARK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j1 --target bench_listingfile

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
python3 "$here/make_tree.py" "$scratch/tree" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/bench_listingfile" "$scratch/tree" "${1:-15}"
