#!/usr/bin/env bash
# The tooling checks: clang-format over every source file, clang-tidy over src/ with the build's compile
# commands (configure and build first, so that the generated headers exist). Fails on any finding and prints it.
# Usage: scripts/lint.sh [BUILD_DIR] [FILE...]   (files default to every tracked src/*.cpp)
# LINT_JOBS sets how many clang-tidy processes run at once (default 2, the CI machine's cores).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

echo "== clang-format"
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
    | xargs -0 clang-format --dry-run --Werror

echo "== clang-tidy"
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json; build first" >&2; exit 1; }
build=$(cd "$build" && pwd)
if [ $# -eq 0 ]; then
    mapfile -t files < <(git ls-files -- 'src/*.cpp')
else
    files=("$@")
fi

# One file per process, its output kept back unless it fails, so that a clean run prints nothing and a
# failing one shows whole, unmixed reports. xargs exits non-zero if any file failed.
tidy_one() {
    local out
    if ! out=$(clang-tidy -p "$1" --quiet --warnings-as-errors='*' --extra-arg=-Wno-unknown-warning-option \
        "$2" 2>&1); then
        printf 'lint: clang-tidy failed on %s\n%s\n' "$2" "$out" >&2
        return 1
    fi
}
export -f tidy_one
start=$SECONDS
if ! printf '%s\0' "${files[@]/#/$PWD/}" | xargs -0 -P "${LINT_JOBS:-2}" -n 1 bash -c 'tidy_one "$@"' _ "$build"; then
    echo "lint: clang-tidy found problems (above)" >&2
    exit 1
fi
echo "clang-tidy: ${#files[@]} files clean in $((SECONDS - start)) s"
