#!/usr/bin/env bash
# Starts the real program under Xvfb and checks that its main window appears.
set -euo pipefail
binary=${1:-build/bin/vellumark}
xvfb=""
program=""

# Xvfb picks a free display itself and writes its number once it accepts clients.
number_file=$(mktemp)
trap 'kill $program $xvfb 2>/dev/null || true; rm -f "$number_file"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
    [ -s "$number_file" ] && break
    kill -0 "$xvfb" 2>/dev/null || { echo "smoke: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
[ -s "$number_file" ] || { echo "smoke: Xvfb gave no display" >&2; exit 1; }
display=:$(head -n 1 "$number_file")

DISPLAY=$display QT_QPA_PLATFORM=xcb "$binary" &
program=$!
for _ in $(seq 1 30); do
    if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Vellumark"'; then
        echo "smoke: the main window \"Vellumark\" is up on $display"
        exit 0
    fi
    kill -0 "$program" 2>/dev/null || { echo "smoke: the program exited early" >&2; exit 1; }
    sleep 1
done
echo "smoke: no main window after 30 s" >&2
exit 1
