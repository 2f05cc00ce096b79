#!/usr/bin/env bash
# The tooling checks: clang-format over every source file, clang-tidy over src/ with the build's compile
# commands (configure and build first, so that the generated headers exist). Usage: scripts/lint.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

echo "== clang-format"
git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
    | xargs clang-format --dry-run --Werror

echo "== clang-tidy"
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json; build first" >&2; exit 1; }
git ls-files -- 'src/*.cpp' | sed "s|^|$PWD/|" \
    | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --warnings-as-errors='*' 2>/dev/null
