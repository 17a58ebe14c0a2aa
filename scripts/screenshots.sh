#!/usr/bin/env bash
# Runs the game under a virtual X server at 1024 x 768 and takes screenshots as a player would
# see it: the loading screen after one second, again a little later (the stripes flicker), and
# the screen after the loading screen is skipped with Space. Needs a built ./build/kestrune
# (bash scripts/play.sh builds it), xvfb, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-shots}
mkdir -p "$out"
profile=$(mktemp -d)
display=:77
Xvfb $display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=
# The game closes its window first (SIGTERM arrives as a close request), then the server goes.
trap '[ -n "$game" ] && kill $game 2>/dev/null && wait $game 2>/dev/null; kill $xvfb 2>/dev/null || true; rm -rf "$profile"' EXIT
sleep 1
DISPLAY=$display USERPROFILE=$profile ALSOFT_DRIVERS=null ./build/kestrune &
game=$!
sleep 1.5
DISPLAY=$display import -window root "$out/loading-1.png"
sleep 0.7
DISPLAY=$display import -window root "$out/loading-2.png"
# No window manager: the keyboard goes to the window under the pointer.
DISPLAY=$display xdotool mousemove 512 384 key space || true
sleep 0.5
DISPLAY=$display import -window root "$out/after-skip.png"
DISPLAY=$display xwininfo -name Kestrune | grep -E 'Width|Height' || true
echo "screenshots in $out/"
