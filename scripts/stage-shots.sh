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
n=77
while [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
# Room for the 1024 x 768 window and a title bar's allowance, so it opens at 4x.
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game=
trap '[ -n "$game" ] && kill $game 2>/dev/null && wait $game 2>/dev/null; kill $xvfb 2>/dev/null || true; rm -rf "$profile"' EXIT
export DISPLAY=:$n
sleep 1
for stage in "${stages[@]}"; do
    # The file is read line by line in this order.
    printf '%s\r\n' Music=2 Sound=1 ScanLines=1 Fullscreen=1 "Keys Left=65" "Keys Right=68" \
        "Keys Action=32" "Keys Pause=27" "Joy Action=0" "Joy Pause=7" "Player Lives=3" \
        "Stage Start=$stage" "Stage Final=4" "Stage Time=25" >"$profile/gem_config.ini"
    USERPROFILE=$profile ALSOFT_DRIVERS=null "$game_bin" 2>/dev/null &
    game=$!
    sleep 2
    # No window manager: the keyboard goes to the window under the pointer.
    window=$(xdotool search --sync --onlyvisible --pid $game | head -1)
    xdotool mousemove 640 512 key space
    sleep 1.5
    xdotool key Return
    sleep 1.5
    xdotool key space
    sleep 3  # curtains, walk-in, the enemies' clouds
    import -window "$window" "$out/stage-$stage.png"
    kill $game
    wait $game 2>/dev/null || true
    game=
done
echo "screenshots in $out/: $(ls "$out" | tr '\n' ' ')"
