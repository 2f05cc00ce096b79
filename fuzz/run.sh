#!/usr/bin/env bash
# Builds the listing file reader's fuzz target with clang in its own build folder and fuzzes it for under a
# minute on a copy of the seed corpus. Exits non-zero on a crash, a hang, a leak or a sanitizer report.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${VELLUMARK_FUZZ_BUILD:-$here/../build-fuzz}"
seconds="${VELLUMARK_FUZZ_SECONDS:-50}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DVELLUMARK_FUZZ=ON
cmake --build "$build" -j1

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
fuzzer="$build/fuzz_listingfilereader"
mkdir -p "$build/artifacts"

# A file over the listing limit is too large to be worth mutating; run it once as it is.
python3 -c 'import sys; sys.stdout.write("\"/top\"\r\n" + "a,,\n" * 32001)' > "$build/over-the-limit"
"$fuzzer" "$build/over-the-limit"

# The fuzzer adds what it finds to its first corpus folder; keep the repository's seeds untouched.
work="$build/corpus"
rm -rf "$work"
mkdir -p "$work"
cp "$here"/corpus/* "$work"/
timeout -k 5 58 "$fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=8192 \
    -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$work"
