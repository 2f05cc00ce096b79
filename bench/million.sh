#!/usr/bin/env bash
# The million-entry figures: bench/million.sh [TREE]
# Without TREE, makes the tree of 1,000,000 entries eight levels deep in a temporary folder (a few minutes).
# Times, in one run and each against find over the same tree (warm cache): a whole walk saved, the saved
# listing opened and saved again (byte-identical), and the listing compared with itself; with each its peak
# memory. Uses the optimised build of bench/run.sh (build-bench/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-bench}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BUILD_TESTS=OFF \
    -DVELLUMARK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target vellumark >/dev/null
program=$(find "$build" -name vellumark -type f -perm -u+x | head -1)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=${1:-}
if [ -z "$tree" ]; then
    tree=$scratch/tree
    python3 "$here/bench/make_tree.py" "$tree" 1000000 4,3,3,3,3,2,2,2
fi

# seconds and peak kB of one command
measure() { /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" >/dev/null 2>"$scratch/err" || true; cat "$scratch/time"; }
find "$tree" -printf '%p\t%s\t%B@\n' >/dev/null
read -r find_s _ < <(measure find "$tree" -printf '%p\t%s\t%B@\n')
read -r save_s save_kb < <(measure "$program" -q --depth all --limit none --save "$scratch/L" "$tree")
read -r open_s open_kb < <(measure "$program" -q --limit none --open "$scratch/L" --save "$scratch/L2")
read -r compare_s compare_kb < <(measure "$program" -q --limit none --compare "$scratch/L" --open "$scratch/L")
entries=$(($(wc -l <"$scratch/L") - 1))
same=$(cmp -s "$scratch/L" "$scratch/L2" && echo byte-identical || echo DIFFERENT)
ratio() { awk -v a="$1" -v b="$find_s" 'BEGIN { printf "%.2f", a / b }'; }
echo "tree: $tree, $entries entries; find ${find_s} s"
echo "--depth all --limit none --save:   ${save_s} s = $(ratio "$save_s")x find, peak $((save_kb / 1024)) MB"
echo "--limit none --open L --save L2:   ${open_s} s = $(ratio "$open_s")x find, peak $((open_kb / 1024)) MB, $same"
echo "--limit none --compare L --open L: ${compare_s} s = $(ratio "$compare_s")x find, peak $((compare_kb / 1024)) MB"
