#!/usr/bin/env bash
# Sound that survives its output going away, on a real sound server: a PulseAudio server with a
# null sink, the game playing its title music into it through OpenAL Soft's pulse back-end, and
# the sink's monitor recorded and measured with sox. The sink is unloaded for 5 s and loaded back,
# then the server is stopped and started again, then a new game is started with no server and one
# appears 5 s later; each time the music must be heard again within 3 s (the last is a known limit
# of the OpenAL library, see below). Needs pulseaudio,
# pulseaudio-utils, sox, Xvfb and the game.
#   check-sound-return.sh [KESTRUNE_BINARY]
set -uo pipefail
game=${1:-./build/kestrune}
for tool in pulseaudio pactl parec sox Xvfb; do
    command -v $tool >/dev/null || { echo "skip: needs $tool"; exit 0; }
done
work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run HOME=$work PULSE_RUNTIME_PATH=$work/run/pulse
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
n=170
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game_pid=
rec=
cleanup() {
    [ -n "$rec" ] && kill $rec 2>/dev/null
    [ -n "$game_pid" ] && kill $game_pid 2>/dev/null
    pulseaudio --kill 2>/dev/null
    kill $xvfb 2>/dev/null
    [ -n "${KEEP_RECORDINGS:-}" ] && cp "$work"/*.raw "$work"/game.err "$KEEP_RECORDINGS"/ 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=:$n
failed=0

start_server() {
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load="module-native-protocol-unix" \
        --load="module-null-sink sink_name=game" --log-target=file:$work/pulse.log 2>/dev/null
    for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
}
start_game() {
    # OpenAL's own choice of back-end, as players have it: pulse when the server is up at start,
    # else ALSA, whose default device reaches the server once it is there.
    env -u ALSOFT_DRIVERS USERPROFILE=$work "$game" >/dev/null 2>"$work/game.err" &
    game_pid=$!
}
record() {  # into $work/$1.raw from the sink's monitor, until stop_recording
    for _ in $(seq 1 50); do pactl list short sources 2>/dev/null | grep -q game.monitor && break; sleep 0.1; done
    parec -d game.monitor --format=s16le --rate=44100 --channels=2 >"$work/$1.raw" 2>/dev/null &
    rec=$!
}
stop_recording() {
    kill $rec 2>/dev/null
    wait $rec 2>/dev/null
    rec=
}
# Seconds from the start of a recording to the first tenth of a second with sound in it.
onset() {
    local file=$work/$1.raw seconds
    seconds=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$file" -n stat 2>&1 | awk '/Length/ { print $3 }')
    for i in $(seq 0 $(awk -v s="$seconds" 'BEGIN { print int(s * 10) - 1 }')); do
        rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$file" -n trim "$(awk -v i=$i 'BEGIN { print i / 10 }')" 0.1 stat 2>&1 |
            awk '/RMS     amplitude/ { print $3 }')
        if awk -v r="$rms" 'BEGIN { exit !(r > 0.005) }'; then
            awk -v i=$i 'BEGIN { print i / 10 }'
            return
        fi
    done
    echo none
}
expect_sound_within() {  # name, recording, seconds allowed, and "limit" when a miss is known
    local at
    at=$(onset "$2")
    if [ "$at" = none ] || awk -v a="$at" -v s="$3" 'BEGIN { exit !(a > s) }'; then
        if [ "${4:-}" = limit ]; then
            echo "LIMIT $1: no music within $3 s (first sound: $at)"
        else
            echo "FAIL $1: no music within $3 s (first sound: $at)"
            failed=1
        fi
    else
        echo "ok   $1: music heard again after $at s"
    fi
}

start_server
start_game
sleep 5
record first
sleep 2
stop_recording
expect_sound_within "the title music plays" first 2

pactl unload-module module-null-sink
sleep 5
pactl load-module module-null-sink sink_name=game >/dev/null
record sink-back
sleep 4
stop_recording
expect_sound_within "the sink unloaded for 5 s and loaded back" sink-back 3

pulseaudio --kill
sleep 2
start_server
record server-back
sleep 4
stop_recording
expect_sound_within "the sound server restarted" server-back 3

kill $game_pid
wait $game_pid 2>/dev/null
pulseaudio --kill
sleep 1
start_game
sleep 5
start_server
record late-server
sleep 4
stop_recording
# Debian 12's OpenAL Soft (1.19) sets its back-ends up once per process and drops one whose
# server it could not reach then, so a game started before its sound server keeps retrying in
# vain unless ALSA's default device leads to the server. Reported, not failed.
expect_sound_within "a server that appears 5 s after the game" late-server 3 limit
echo "the last game said: $(tr '\n' ' ' <"$work/game.err")"
exit $failed
