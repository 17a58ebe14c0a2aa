#!/usr/bin/env bash
# Screenshots of played stages as a player sees them: the game runs under a virtual X server at
# 1024 x 768, starts a new game on each stage in turn ("Stage Start" in a private settings file)
# and is shot once the curtains have opened, the hero has walked in and the enemies are out.
# Needs a built game (bash scripts/play.sh builds ./build/kestrune), Xvfb, xdotool and
# ImageMagick: apt-get install xvfb xdotool imagemagick.
#   stage-shots.sh [OUT_DIR] [GAME] [STAGE...]    (default /tmp/kestrune-stages, build/kestrune,
#                                                 stages 0 1 2 3)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
out=${1:-/tmp/kestrune-stages}
game_bin=${2:-build/kestrune}
shift $(($# < 2 ? $# : 2))
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(0 1 2 3)
for tool in Xvfb xdotool import; do
    command -v $tool >/dev/null || { echo "needs $tool: apt-get install xvfb xdotool imagemagick"; exit 1; }
done
[ -x "$game_bin" ] || { echo "needs $game_bin: run bash scripts/play.sh first"; exit 1; }
mkdir -p "$out"
profile=$(mktemp -d)
kestrune_start_xvfb 1280x1024 77
game=
trap 'kestrune_end "$game"; kestrune_stop_xvfb; rm -rf "$profile"' EXIT
for stage in "${stages[@]}"; do
    kestrune_write_settings "$profile/gem_config.ini" "Stage Start=$stage"
    USERPROFILE=$profile SDL_AUDIODRIVER=dummy "$game_bin" 2>/dev/null &
    game=$!
    # No window manager: the keyboard goes to the window under the pointer.
    window=$(kestrune_wait_window $game)
    sleep 0.5
    xdotool mousemove 640 512 key space
    sleep 1.5
    xdotool key Return
    sleep 1.5
    xdotool key space
    sleep 3  # curtains, walk-in, the enemies' clouds
    import -window "$window" "$out/stage-$stage.png"
    kestrune_end $game
    game=
done
echo "screenshots in $out/: $(ls "$out" | tr '\n' ' ')"
