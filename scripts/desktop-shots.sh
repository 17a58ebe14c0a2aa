#!/usr/bin/env bash
# Screenshots of the game's window on a desktop with a window manager and a 30 px panel, for
# several screen sizes: at start, maximised, dragged to another size and made full screen by the
# window manager. Needs Xvfb, openbox, tint2, xdotool, wmctrl and ImageMagick.
#   desktop-shots.sh [OUT_DIR] [GAME] [WxH...]   (default /tmp/kestrune-desktop, build/kestrune,
#                                                 1280x800 1366x768 1920x1080 3840x2160)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
out=${1:-/tmp/kestrune-desktop}
game_bin=${2:-build/kestrune}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1280x800 1366x768 1920x1080 3840x2160)
for tool in Xvfb openbox tint2 xdotool wmctrl import; do
    command -v $tool >/dev/null || { echo "needs $tool"; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
# A panel 30 px high along the bottom, as many desktops have.
cat >"$work/tint2rc" <<'RC'
panel_position = bottom center horizontal
panel_size = 100% 30
panel_items = T
strut_policy = follow_size
RC
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
for size in "${sizes[@]}"; do
    kestrune_start_xvfb "$size" 140
    pids=($kestrune_xvfb $kestrune_bus)
    openbox >/dev/null 2>&1 &
    pids+=($!)
    tint2 -c "$work/tint2rc" >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    USERPROFILE=$work SDL_AUDIODRIVER=dummy "$game_bin" >/dev/null 2>&1 &
    game=$!
    pids+=($game)
    window=$(kestrune_wait_window $game)
    sleep 2
    import -window root "$out/$size-start.png"
    wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
    sleep 1.5
    import -window root "$out/$size-maximised.png"
    wmctrl -i -r "$window" -b remove,maximized_vert,maximized_horz
    sleep 1
    xdotool windowsize "$window" 700 620
    sleep 1.5
    import -window root "$out/$size-dragged.png"
    wmctrl -i -r "$window" -b add,fullscreen
    sleep 1.5
    import -window root "$out/$size-fullscreen.png"
    kestrune_end $game
    kill "${pids[@]}" 2>/dev/null || true
    kestrune_stop_xvfb
    wait 2>/dev/null || true
    echo "$size: $(ls "$out" | grep -c "^$size-") screenshots"
done
echo "screenshots in $out/"
