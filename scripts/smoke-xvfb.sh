#!/usr/bin/env bash
# Starts the real program under Xvfb and checks that its main window appears.
set -euo pipefail
binary=${1:-build/src/app/vellumark}
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $program $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$binary" &
program=$!
for _ in $(seq 1 30); do
    if DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Vellumark"'; then
        echo "smoke: the main window \"Vellumark\" is up"
        exit 0
    fi
    kill -0 $program 2>/dev/null || { echo "smoke: the program exited early" >&2; exit 1; }
    sleep 1
done
echo "smoke: no main window after 30 s" >&2
exit 1
