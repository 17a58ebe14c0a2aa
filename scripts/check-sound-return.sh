#!/usr/bin/env bash
# The game's sound on the sound servers desktops run, as an ordinary user has them: PulseAudio,
# and PipeWire with WirePlumber and pipewire-pulse on a private D-Bus session bus. Each server gets
# null sinks that stand for a laptop's speakers ("speakers") and a headset ("headset"). For each
# server, one game:
#   - starts 8 s before the server: music within 3 s of the server starting;
#   - a headset is plugged in and becomes the default output: music on it within 1 s;
#   - the headset is pulled out: music back on the speakers within 3 s;
#   - the server restarts: music within 3 s;
#   - the sink goes away while the game is reopening: music within 3 s of a sink coming back;
# and it says each change in one stderr line. A time is the server's own view, from the event to
# the game's stream playing into the sink, polled every 30 ms or so; the sink's monitor is then
# recorded and measured with sox to prove the music is heard there. Then the bad inputs: a server
# that never answers, an ALSOFT_CONF naming a missing file, ALSOFT_DRIVERS and SDL_AUDIODRIVER
# naming nothing: the game keeps running, plays or says in one line why it is silent, and still
# closes at once. Run as root, the checks run as an unprivileged user of their own. Without its
# tools the check is skipped (exit code 77), which fails under CI=true.
#   check-sound-return.sh [KESTRUNE_BINARY]
set -uo pipefail
source "${KESTRUNE_LIB:-$(dirname "$0")/lib.sh}"
game=${1:-./build/kestrune}
kestrune_need Xvfb sox pactl parec pulseaudio pipewire wireplumber pipewire-pulse dbus-run-session
[ -x "$game" ] || kestrune_skip "needs the game at $game"
kestrune_as_user "$0" "$game"

work=$(mktemp -d)
export HOME=$work
kestrune_sound_home "$work"
kestrune_start_xvfb || kestrune_skip "Xvfb did not start"
game_pid=
rec=
failed=0
cleanup() {
    [ -n "$rec" ] && kill $rec 2>/dev/null
    [ -n "$game_pid" ] && kill -9 $game_pid 2>/dev/null
    kestrune_stop_server
    kestrune_stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
now() { date +%s.%N; }
# A failure is said where it happens and again, with everything failed, at the end, where a
# truncated log still shows it.
fail() {
    echo "FAIL $1"
    echo "FAIL $1" >>"$work/failures"
    failed=1
}
# What the server and the game were doing, in one line for a failure's message.
snapshot() {
    echo "sinks: $(pactl list short sinks 2>&1 | awk '{ printf "%s %s; ", $2, $NF }')" \
        "streams on sinks: $(pactl list short sink-inputs 2>&1 | awk '{ printf "%s ", $2 }')" \
        "game: $(kill -0 "$game_pid" 2>/dev/null && echo running || echo gone)," \
        "said: $(tr '\n' ' ' <"$work/game.err" | tail -c 300)" \
        "server's last words: $(grep -v 'D-Bus\|system bus' "$kestrune_server_log" 2>/dev/null | tail -3 | tr '\n' ' ' | tail -c 300)"
}

start_game() {  # with extra environment; otherwise as players have it
    env -u ALSOFT_DRIVERS -u SDL_AUDIODRIVER USERPROFILE=$work "$@" "$game" >/dev/null 2>"$work/game.err" &
    game_pid=$!
    [ -n "$(kestrune_wait_window $game_pid)" ] || fail "the game's window did not open within 30 s ($*); $(snapshot)"
}
# Seconds from time $1 until the game's stream plays into sink $2, polled for at most $3 seconds;
# "none" when it never does.
arrival() {
    local idx
    while awk -v a="$(now)" -v b="$1" -v l="$3" 'BEGIN { exit !(a - b < l) }'; do
        idx=$(pactl list short sinks 2>/dev/null | awk -v n="$2" '$2 == n { print $1 }')
        if [ -n "$idx" ] && pactl list short sink-inputs 2>/dev/null |
            awk -v i="$idx" '$2 == i { f = 1 } END { exit !f }'; then
            awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.2f", a - b }'
            return
        fi
        sleep 0.02
    done
    echo none
}
# Seconds into 1.5 s of sink $1's monitor to the first 20 ms with music in it, or "none". A
# PulseAudio null sink that was just made may take seconds to deliver its first frames, so the
# recording waits up to 5 s for the 1.5 s it measures.
music_on() {
    parec -d "$1.monitor" --format=s16le --rate=48000 --channels=2 --latency-msec=10 >"$work/$1.raw" 2>/dev/null &
    rec=$!
    for _ in $(seq 1 50); do
        [ "$(stat -c %s "$work/$1.raw")" -ge 288000 ] && break
        sleep 0.1
    done
    # parec can miss its SIGTERM while it waits on the server.
    kill $rec 2>/dev/null
    sleep 0.1
    kill -9 $rec 2>/dev/null
    wait $rec 2>/dev/null
    rec=
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$work/$1.raw" -t dat - 2>/dev/null | awk '
        /^;/ { next }
        { sum += $2 * $2; n++
          if (n == 960) { if (sqrt(sum / n) > 0.003) { printf "%.2f\n", t; found = 1; exit } t += 0.02; sum = 0; n = 0 } }
        END { if (!found) print "none" }'
}
# The game's stream reaches sink $3 within $4 seconds of an event at time $2, and music is heard
# on it.
expect_music() {  # name, event time, sink, limit
    local at heard
    at=$(arrival "$2" "$3" "$(($4 + 2))")
    heard=$(music_on "$3")
    if [ "$at" = none ] || [ "$heard" = none ] || awk -v a="$at" -v l="$4" 'BEGIN { exit !(a > l) }'; then
        fail "$kestrune_server: $1: the stream on $3 after $at s, music heard: $heard in $(($(stat -c %s "$work/$3.raw") / 192)) ms recorded (allowed $4 s); $(snapshot)"
    else
        echo "ok   $kestrune_server: $1: music on $3 after $at s (allowed $4 s)"
    fi
}
said() { grep -c "$1" "$work/game.err"; }
expect_said() {  # what, how many times
    [ "$(said "$1")" -eq "$2" ] || fail "$kestrune_server: \"$1\" said $(said "$1") times on stderr, not $2"
}

one_server() {
    echo "-- $kestrune_server"
    start_game
    sleep 8  # past the loading screen: the title music is under way, unheard
    t=$(now)
    kestrune_start_server
    expect_music "a server that starts 8 s after the game" "$t" speakers 3

    pactl load-module module-null-sink sink_name=headset >/dev/null
    sleep 0.5
    t=$(now)
    pactl set-default-sink headset
    expect_music "a headset plugged in becomes the default" "$t" headset 1

    t=$(now)
    kestrune_remove_sink headset
    expect_music "the headset pulled out" "$t" speakers 3

    kestrune_stop_server
    sleep 1
    t=$(now)
    kestrune_start_server
    expect_music "the sound server restarted" "$t" speakers 3

    kestrune_stop_server
    kestrune_start_server
    sleep 0.3
    kestrune_remove_sink speakers  # while the game is finding the new server
    sleep 1
    t=$(now)
    kestrune_add_sink speakers
    expect_music "the sink gone while the game reopens, then back" "$t" speakers 3

    kill $game_pid
    wait $game_pid 2>/dev/null
    game_pid=
    expect_said "No sound output yet" 1
    expect_said "Sound output found" 1
    [ "$(said 'Sound output lost')" -ge 2 ] || fail "$kestrune_server: the losses were not said"
    [ "$(said 'Sound output lost')" -eq "$(said 'Sound output is back')" ] ||
        fail "$kestrune_server: not every loss was followed by one line saying the sound is back"
    echo "     the game said: $(sort "$work/game.err" | uniq -c | tr -s ' \n' ' ')"
    kestrune_stop_server
}

# A bad environment, with a PulseAudio server running: the game keeps running past the loading
# screen, plays the music or says in one line why it is silent, and still closes at once.
bad_input() {  # name, "music" or "silent", then the environment
    local name=$1 expect=$2 lines heard at took t0
    shift 2
    start_game "$@"
    sleep 8
    if ! kill -0 $game_pid 2>/dev/null; then
        fail "$name: the game ended ($(tr '\n' ' ' <"$work/game.err"))"
        game_pid=
        return
    fi
    heard=none at=none
    if timeout 2 pactl info >/dev/null 2>&1; then
        at=$(arrival "$(now)" speakers 3)
        heard=$(music_on speakers)
    fi
    t0=$(now)
    kill $game_pid
    wait $game_pid 2>/dev/null
    game_pid=
    took=$(awk -v a="$(now)" -v b="$t0" 'BEGIN { printf "%.2f", a - b }')
    lines=$(grep -ci "sound" "$work/game.err")
    if { [ "$expect" = music ] && { [ "$heard" = none ] || [ "$lines" -ne 0 ]; }; } ||
        { [ "$expect" = silent ] && { [ "$heard" != none ] || [ "$lines" -ne 1 ]; }; }; then
        fail "$name: the stream on speakers: $at, music heard at $heard in $(($(stat -c %s "$work/speakers.raw" 2>/dev/null || echo 0) / 192)) ms recorded, $lines lines about the sound: $(tr '\n' ' ' <"$work/game.err")"
    elif awk -v t="$took" 'BEGIN { exit !(t > 1) }'; then
        fail "$name: closing took $took s"
    else
        echo "ok   $name: $expect, closed in $took s; $(tr '\n' ' ' <"$work/game.err" | head -c 160)"
    fi
}

kestrune_server=pulseaudio
one_server
# PipeWire and WirePlumber talk over the session bus: a private one, for the game too.
export -f one_server kestrune_start_server kestrune_stop_server kestrune_add_sink kestrune_remove_sink \
    kestrune_wait_window start_game arrival music_on expect_music said expect_said now fail snapshot
export game work kestrune_server_log
kestrune_server=pipewire dbus-run-session -- bash -c 'kestrune_server_pids=(); failed=0; one_server; exit $failed' ||
    failed=1

echo "-- bad input"
kestrune_server=pulseaudio
kestrune_start_server
bad_input "ALSOFT_CONF naming a missing file" music ALSOFT_CONF=$work/no-such.conf
bad_input "ALSOFT_DRIVERS naming nothing" music ALSOFT_DRIVERS=kestrune-nothing
bad_input "SDL_AUDIODRIVER naming nothing" silent SDL_AUDIODRIVER=kestrune-nothing
kill -STOP "${kestrune_server_pids[0]}"
bad_input "a sound server that never answers" silent
kill -CONT "${kestrune_server_pids[0]}"
kestrune_stop_server
if [ -s "$work/failures" ]; then
    echo "-- $(wc -l <"$work/failures") failed:"
    cat "$work/failures"
fi
exit $failed
