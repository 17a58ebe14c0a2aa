#!/usr/bin/env bash
# Checks that the game ends within 200 ms of a close request on every kind of screen (loading,
# title, options, stage ready, stage play, pause) and leaves the settings file as it was. The
# request is SIGTERM, which reaches the game as the window's close request, the same path as the
# window manager's close button. Needs Xvfb and xdotool.
#   check-close.sh [KESTRUNE_BINARY] [MILLISECONDS_ALLOWED]
set -uo pipefail
game=${1:-./build/kestrune}
allowed=${2:-200}
for tool in Xvfb xdotool; do
    command -v $tool >/dev/null || { echo "skip: needs $tool"; exit 0; }
done
profile=$(mktemp -d)
n=120
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$profile"' EXIT
export DISPLAY=:$n
sleep 1
failed=0
printf '%s\r\n' Music=2 Sound=1 ScanLines=1 Fullscreen=1 "Keys Left=65" "Keys Right=68" \
    "Keys Action=32" "Keys Pause=27" "Joy Action=0" "Joy Pause=7" "Player Lives=3" \
    "Stage Start=0" "Stage Final=4" "Stage Time=25" >"$profile/gem_config.ini"
before=$(sha1sum <"$profile/gem_config.ini")

close_on() {  # name, seconds after the window opened, then the keys that lead to the screen
    local name=$1 wait=$2 pid start end ms
    shift 2
    USERPROFILE=$profile ALSOFT_DRIVERS=null "$game" >/dev/null 2>&1 &
    pid=$!
    # Counted from the window's appearance: before it the game is still starting up.
    timeout 30 xdotool search --sync --onlyvisible --pid $pid >/dev/null 2>&1
    sleep "$wait"
    xdotool mousemove 640 512 2>/dev/null
    for key in "$@"; do
        xdotool key "$key"
        sleep 1.2
    done
    start=$(date +%s%N)
    kill -TERM $pid
    while kill -0 $pid 2>/dev/null; do sleep 0.005; done
    end=$(date +%s%N)
    wait $pid 2>/dev/null
    ms=$(((end - start) / 1000000))
    if [ $ms -gt "$allowed" ]; then
        echo "FAIL $name: the game ended $ms ms after the close request"
        failed=1
    else
        echo "ok   $name: ended $ms ms after the close request"
    fi
}

close_on "loading" 0.5
close_on "title" 1.5 space
close_on "stage ready" 1.5 space Return
close_on "stage play" 1.5 space Return space
close_on "pause" 1.5 space Return space Escape
close_on "options" 1.5 space Right Right Return
if [ "$(sha1sum <"$profile/gem_config.ini")" != "$before" ]; then
    echo "FAIL the settings file changed"
    failed=1
fi
exit $failed
