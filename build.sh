#!/usr/bin/env bash
# Vellumark's one entry point on a fresh Debian 12 machine:
#   ./build.sh run    installs what is missing, builds, and starts the program
#   ./build.sh test   installs what is missing, builds, and runs every test
set -euo pipefail
cd "$(dirname "$0")"
build=${BUILD_DIR:-build}

install_missing() {
    local missing=()
    while read -r package; do
        [[ -z "$package" || "$package" == \#* ]] && continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done < scripts/packages.txt
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" -j2
}

case "${1:-}" in
deps) install_missing ;;
run)
    install_missing
    build
    exec "$build/bin/vellumark"
    ;;
test)
    install_missing
    build
    ctest --test-dir "$build" --output-on-failure -j2
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
