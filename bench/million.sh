#!/usr/bin/env bash
# The million-entry figures: bench/million.sh [TREE]
# Without TREE, makes the tree of 1,000,000 entries eight levels deep in a temporary folder (a few minutes).
# Times, in one run and each against find over the same tree (warm cache): the system's floor for a walk
# (bench_barewalk: directory reads and statx alone, on two threads), a whole walk saved, the saved
# listing opened and saved again (byte-identical), the listing compared with itself, and Create List in the
# window (offscreen, bench_createlist); with each its peak memory, and the CPU time (user + system) beside the
# wall clock's, which a busy machine bends. Each is the median of ROUNDS rounds (3). Uses the optimised build of
# bench/run.sh (build-bench/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-bench}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMARK_BUILD_TESTS=OFF \
    -DVELLUMARK_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target vellumark bench_createlist bench_barewalk >/dev/null
program=$(find "$build" -name vellumark -type f -perm -u+x | head -1)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=${1:-}
if [ -z "$tree" ]; then
    tree=$scratch/tree
    python3 "$here/bench/make_tree.py" "$tree" 1000000 4,3,3,3,3,2,2,2
fi

# seconds, peak kB and CPU seconds (user + system) of one command
measure() {
    /usr/bin/time -f '%e %M %U %S' -o "$scratch/time" "$@" >/dev/null 2>"$scratch/err" || true
    awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$scratch/time"
}
find "$tree" -printf '%p\t%s\t%B@\n' >/dev/null
# Every command runs once a round, in turn, and each figure is the median of its rounds: this VM's speed drifts
# from minute to minute, find's time with it, and one round's ratio moves by a tenth.
rounds=${ROUNDS:-3}
: >"$scratch/rounds"
for _ in $(seq "$rounds"); do
    rm -f "$scratch/L" "$scratch/L2"
    echo "find $(measure find "$tree" -printf '%p\t%s\t%B@\n')" >>"$scratch/rounds"
    echo "bare $(measure "$build/bench/bench_barewalk" "$tree" 2)" >>"$scratch/rounds"
    echo "save $(measure "$program" -q --depth all --limit none --save "$scratch/L" "$tree")" >>"$scratch/rounds"
    echo "open $(measure "$program" -q --limit none --open "$scratch/L" --save "$scratch/L2")" >>"$scratch/rounds"
    echo "compare $(measure "$program" -q --limit none --compare "$scratch/L" --open "$scratch/L")" >>"$scratch/rounds"
done
# seconds, peak kB and CPU seconds of a command, each the median of its rounds
medians() {
    for field in 2 3 4; do
        awk -v name="$1" -v field="$field" '$1 == name { print $field }' "$scratch/rounds" | sort -g \
            | awk '{ v[NR] = $1 } END { printf "%s ", v[int((NR + 1) / 2)] }'
    done
    echo
}
read -r find_s _ find_cpu < <(medians find)
read -r bare_s _ bare_cpu < <(medians bare)
read -r save_s save_kb save_cpu < <(medians save)
read -r open_s open_kb open_cpu < <(medians open)
read -r compare_s compare_kb compare_cpu < <(medians compare)
entries=$(($(wc -l <"$scratch/L") - 1))
same=$(cmp -s "$scratch/L" "$scratch/L2" && echo byte-identical || echo DIFFERENT)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
figures() { echo "$1 s = $(ratio "$1" "$find_s")x find, CPU $3 s = $(ratio "$3" "$find_cpu")x, peak $(($2 / 1024)) MB"; }
echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
echo "tree: $tree, $entries entries; medians of $rounds rounds; find ${find_s} s, CPU ${find_cpu} s"
echo "find in each round: $(awk '$1 == "find" { printf "%s s  ", $2 }' "$scratch/rounds")"
echo "floor, getdents64 + statx alone on 2 threads: ${bare_s} s = $(ratio "$bare_s" "$find_s")x find, CPU ${bare_cpu} s"
echo "--depth all --limit none --save:   $(figures "$save_s" "$save_kb" "$save_cpu") (targets 0.45x, 64 MB)"
echo "--limit none --open L --save L2:   $(figures "$open_s" "$open_kb" "$open_cpu"), $same (target 0.2x)"
echo "--limit none --compare L --open L: $(figures "$compare_s" "$compare_kb" "$compare_cpu") (targets 0.5x, 128 MB)"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_createlist" "$tree" all | sed 's/$/ (targets 1.0x, 64 bytes)/'
