#!/usr/bin/env bash
# Peak and RMS of the mix when four of the game's effects start at once, recorded through OpenAL
# Soft's wave-file back-end with the game's settings (output limiter asked for) and with the
# limiter switched off in OpenAL's configuration. Needs sox and the release build's bench_mix_peak.
#   limiter-peak.sh [BENCH_MIX_PEAK]
set -euo pipefail
tool=${1:-./build-rel/bench/bench_mix_peak}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for limiter in on off; do
    conf=$work/alsoft-$limiter.conf
    printf '[general]\ndrivers=wave\n' >"$conf"
    [ $limiter = off ] && printf 'output-limiter=false\n' >>"$conf"
    printf '[wave]\nfile=%s\n' "$work/$limiter.wav" >>"$conf"
    ALSOFT_CONF=$conf ALSOFT_DRIVERS=wave "$tool" >/dev/null
    sox "$work/$limiter.wav" -n stats 2>&1 | awk -v l=$limiter '
        /Pk lev dB/ { p = $4 } /Pk count/ { c = $3 } /Flat factor/ { f = $3 } /RMS lev dB/ { r = $4 }
        END { printf "limiter %s: peak %s dBFS, reached %s times; flat factor %s (runs of clipped samples); RMS %s dBFS\n", l, p, c, f, r }'
done
