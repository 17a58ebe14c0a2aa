#!/usr/bin/env bash
# CPU of the game on the title screen over 10 s visible, then over 10 s minimised, in one run:
# a minimised game draws nothing and rests. Runs under Xvfb with openbox when it is installed (the
# window manager minimises the window), else the window is unmapped, which the game sees the same
# way. Needs Xvfb and xdotool.
#   hidden-cpu.sh [KESTRUNE_BINARY] [SECONDS]
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
game=${1:-./build-rel/kestrune}
seconds=${2:-10}
profile=$(mktemp -d)
kestrune_start_xvfb 1920x1080 130
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; kestrune_stop_xvfb; rm -rf "$profile"' EXIT
wm=none
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    pids+=($!)
    wm=openbox
    sleep 1
fi
USERPROFILE=$profile SDL_AUDIODRIVER=dummy "$game" >/dev/null 2>&1 &
game_pid=$!
pids+=($game_pid)
window=$(kestrune_wait_window $game_pid)
sleep 2

cpu_ticks() { awk '{ print $14 + $15 }' /proc/$game_pid/stat; }
measure() {  # percent of one core over the given seconds
    local before after
    before=$(cpu_ticks)
    sleep "$seconds"
    after=$(cpu_ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
        'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

visible=$(measure)
if [ $wm = openbox ]; then xdotool windowminimize "$window"; else xdotool windowunmap "$window"; fi
sleep 1
hidden=$(measure)
echo "window manager: $wm; CPU over $seconds s on the title screen, one core = 100%"
echo "visible:   $visible%"
echo "minimised: $hidden%"
awk -v v="$visible" -v h="$hidden" 'BEGIN { if (h > 0) printf "visible / minimised: %.0f x\n", v / h }'
