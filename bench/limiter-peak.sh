#!/usr/bin/env bash
# Peak and RMS of the mix when four of the game's effects start at once, as the game plays it:
# mixed by OpenAL Soft with the game's settings (output limiter asked for), or with the limiter
# switched off in OpenAL's configuration, and written by SDL's disk output. Needs sox and the
# release build's bench_mix_peak.
#   limiter-peak.sh [BENCH_MIX_PEAK]
set -euo pipefail
tool=${1:-./build-rel/bench/bench_mix_peak}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for limiter in on off; do
    conf=$work/alsoft-$limiter.conf
    printf '[general]\n' >"$conf"
    [ $limiter = off ] && printf 'output-limiter=false\n' >>"$conf"
    ALSOFT_CONF=$conf SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$limiter.raw" "$tool" >/dev/null 2>&1
    sox -t raw -r 48000 -e signed -b 16 -c 2 "$work/$limiter.raw" -n stats 2>&1 | awk -v l=$limiter '
        /Pk lev dB/ { p = $4 } /Pk count/ { c = $3 } /Flat factor/ { f = $3 } /RMS lev dB/ { r = $4 }
        END { printf "limiter %s: peak %s dBFS, reached %s times; flat factor %s (runs of clipped samples); RMS %s dBFS\n", l, p, c, f, r }'
done
