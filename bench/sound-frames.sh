#!/usr/bin/env bash
# The longest frame of the game while its sound output changes, beside a normal frame, on
# PulseAudio and on PipeWire (with WirePlumber and pipewire-pulse), each run as an ordinary user
# with null sinks: the default output changes (a headset plugged in), the output is lost (the
# server stops) and it returns (the server starts again), three times each. Every attempt to open or reopen the
# output runs on a thread of its own, so none of these should show in the frames. Run as root, it
# runs as an unprivileged user of its own.
#   sound-frames.sh [BENCH_SOUND_FRAMES]     (default ./build-rel/bench/bench_sound_frames)
set -uo pipefail
source "${KESTRUNE_LIB:-$(dirname "$0")/../scripts/lib.sh}"
bench=${1:-./build-rel/bench/bench_sound_frames}
kestrune_need pactl pulseaudio pipewire wireplumber pipewire-pulse dbus-run-session
[ -x "$bench" ] || kestrune_skip "needs $bench (cmake --build build-rel --target bench_sound_frames)"
kestrune_as_user "$0" "$bench"

work=$(mktemp -d)
export HOME=$work
kestrune_sound_home "$work"
trap 'kestrune_stop_server; rm -rf "$work"' EXIT

# Three rounds of: 2.5 s quiet, the default output changes, 2.5 s, the output is lost (the server
# stops), 2.5 s, it returns (the server starts again), 2.5 s. Prints the event times as
# "TIME KIND" lines into $work/events.
one_server() {
    local bench_pid round
    kestrune_start_server
    env -u ALSOFT_DRIVERS -u SDL_AUDIODRIVER SDL_VIDEODRIVER=offscreen "$bench" 34 >"$work/frames" 2>/dev/null &
    bench_pid=$!
    sleep 2
    : >"$work/events"
    for round in 1 2 3; do
        echo "$(date +%s.%N) quiet" >>"$work/events"
        sleep 2.5
        echo "$(date +%s.%N) change" >>"$work/events"
        pactl load-module module-null-sink sink_name=headset$round >/dev/null
        pactl set-default-sink headset$round
        sleep 2.5
        echo "$(date +%s.%N) loss" >>"$work/events"
        kestrune_stop_server
        sleep 2.5
        echo "$(date +%s.%N) return" >>"$work/events"
        kestrune_start_server
        sleep 2.5
    done
    wait $bench_pid
    kestrune_stop_server
    # Each event's stretch is the 2.5 s after it; the quiet stretches are the normal frames.
    sort -n "$work/events" "$work/frames" | awk -v s="$kestrune_server" '
        $2 ~ /^[a-z]/ { kind = $2; from = $1; next }
        kind == "" || $1 >= from + 2.5 { next }
        kind == "quiet" { quiet[++q] = $2 }
        $2 > most[kind] { most[kind] = $2 }
        END {
            for (i = 2; i <= q; i++)  # insertion sort: mawk has no asort
                for (j = i; j > 1 && quiet[j - 1] > quiet[j]; j--) { v = quiet[j]; quiet[j] = quiet[j - 1]; quiet[j - 1] = v }
            med = quiet[int((q + 1) / 2)]
            printf "| %s | %.2f | %.2f | %.2f (%+.2f) | %.2f (%+.2f) | %.2f (%+.2f) |\n", s, med,
                   most["quiet"], most["change"], most["change"] - med, most["loss"],
                   most["loss"] - med, most["return"], most["return"] - med
        }'
}

echo "frames in ms, three rounds of each event; in brackets, the longest above a normal frame"
echo "| server | normal frame (median, quiet) | longest, quiet | longest, default change | longest, loss | longest, return |"
echo "|---|---|---|---|---|---|"
kestrune_server=pulseaudio one_server
export -f one_server kestrune_start_server kestrune_stop_server kestrune_add_sink
export bench work kestrune_server_log
kestrune_server=pipewire dbus-run-session -- bash -c 'kestrune_server_pids=(); one_server'
