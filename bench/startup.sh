#!/usr/bin/env bash
# Start-up and memory of the release game beside the least any SDL2 game does, on a virtual X
# server with no window manager and with SDL's silent dummy sound output: exec to window, exec to
# first picture and RSS 5 s into stage 0 (see bench/startup.cpp). Needs Xvfb and xdotool, and the
# release build: cmake --build build-rel --target kestrune bench_startup bench_startup_floor.
#   startup.sh [RUNS]     (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
kestrune_need Xvfb xdotool
for f in build-rel/kestrune build-rel/bench/bench_startup build-rel/bench/bench_startup_floor; do
    [ -x $f ] || { echo "needs $f: cmake --build build-rel --target kestrune bench_startup bench_startup_floor"; exit 1; }
done
profile=$(mktemp -d)
kestrune_start_xvfb 1280x1024
trap 'kestrune_stop_xvfb; rm -rf "$profile"' EXIT
USERPROFILE=$profile SDL_AUDIODRIVER=dummy build-rel/bench/bench_startup build-rel/kestrune \
    build-rel/bench/bench_startup_floor "${1:-5}"
