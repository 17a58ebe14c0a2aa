#!/usr/bin/env bash
# Runs the game under a virtual X server at 1024 x 768 and takes the README's screenshots as a
# player would see them: the title menu, the ready screen of a new game, and the first stage in
# play. They are saved at half size with nearest-neighbour scaling, so the pixels stay sharp.
# Needs a built ./build/kestrune (bash scripts/play.sh builds it) and Xvfb (the dependency
# script installs it), xdotool and ImageMagick: apt-get install xdotool imagemagick.
#   screenshots.sh [OUT_DIR]     (default docs/)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
out=${1:-docs}
for tool in Xvfb xdotool import convert; do
    command -v $tool >/dev/null || { echo "needs $tool: apt-get install xvfb xdotool imagemagick"; exit 1; }
done
[ -x build/kestrune ] || { echo "needs build/kestrune: run bash scripts/play.sh first"; exit 1; }
mkdir -p "$out"
profile=$(mktemp -d)
shots=$(mktemp -d)
kestrune_start_xvfb 1280x1024 77
game=
# The game closes its window first (SIGTERM arrives as a close request), then the server goes.
trap 'kestrune_end "$game"; kestrune_stop_xvfb; rm -rf "$profile" "$shots"' EXIT
USERPROFILE=$profile SDL_AUDIODRIVER=dummy ./build/kestrune &
game=$!
# No window manager: the keyboard goes to the window under the pointer.
window=$(kestrune_wait_window $game)
sleep 0.5
xdotool mousemove 640 512 key space
sleep 4.6  # the title spider lowers itself on its thread
import -window "$window" "$shots/title.png"
xdotool key Return
sleep 1.2
import -window "$window" "$shots/ready.png"
xdotool key space
sleep 2.6  # curtains, walk-in, the enemies' clouds
import -window "$window" "$shots/stage.png"
for s in title ready stage; do
    convert "$shots/$s.png" -filter point -resize 50% -strip "$out/$s.png"
done
echo "screenshots in $out/: $(ls "$out" | tr '\n' ' ')"
