#!/usr/bin/env bash
# Checks how the game ends when it has no display: without DISPLAY (and no SDL_VIDEODRIVER), with
# SDL_VIDEODRIVER=x11 and no DISPLAY, and when the X server goes away under a running game. Each
# must end promptly with one clear message and a non-zero exit code.
#   check-display-failures.sh [KESTRUNE_BINARY] [SECONDS_ALLOWED]
set -uo pipefail
game=${1:-./build/kestrune}
allowed=${2:-1}
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
failed=0

expect_failure() {  # name, then the environment changes for env(1)
    local name=$1
    shift
    local start end code
    start=$(date +%s.%N)
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER USERPROFILE="$profile" ALSOFT_DRIVERS=null \
        "$@" timeout 30 "$game" >"$profile/out" 2>"$profile/err"
    code=$?
    end=$(date +%s.%N)
    local said
    said=$(grep -c "cannot open its window" "$profile/err")
    if [ "$code" -eq 0 ] || [ "$code" -eq 124 ] || [ "$said" -ne 1 ] ||
        grep -q "Programmer error" "$profile/err" ||
        awk "BEGIN { exit !($end - $start > $allowed) }"; then
        echo "FAIL $name: exit $code after $(awk "BEGIN { print $end - $start }") s, stderr:"
        cat "$profile/err"
        failed=1
    else
        echo "ok   $name: exit $code after $(awk "BEGIN { print $end - $start }") s: $(grep "cannot open" "$profile/err")"
    fi
}

expect_failure "no display"
expect_failure "x11 asked for, no display" SDL_VIDEODRIVER=x11

# The X server dies under the game: it must end on its own within a few seconds.
if command -v Xvfb >/dev/null; then
    n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    sleep 1
    env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:$n USERPROFILE="$profile" ALSOFT_DRIVERS=null \
        "$game" >/dev/null 2>"$profile/err" &
    game_pid=$!
    sleep 3
    kill $xvfb
    wait $xvfb 2>/dev/null
    for _ in $(seq 1 50); do
        kill -0 $game_pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $game_pid 2>/dev/null; then
        echo "FAIL lost X connection: the game still runs 5 s after its X server went"
        kill -9 $game_pid
        failed=1
    else
        wait $game_pid
        echo "ok   lost X connection: the game ended (exit $?)"
    fi
else
    echo "skip lost X connection: no Xvfb"
fi
exit $failed
