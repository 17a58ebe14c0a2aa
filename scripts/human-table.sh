#!/usr/bin/env bash
# How hard the four played stages are for a person: builds the release tools, then for each stage
# prints the solver's best route and a row of the human-model player's table (first-attempt win
# rate with its 95% interval, countdown used by the wins, losses within 3 s of the walk-in's end,
# the three commonest causes of loss).
#   human-table.sh [RUNS] [JOBS]    (default 100 runs a stage, 2 processes; about 10 minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100}
jobs=${2:-2}
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# The stage file first: the tools embed it, and one build would embed the old one.
cmake --build build-rel --target stages >/dev/null
cmake --build build-rel --target solver human >/dev/null
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
for stage in 0 1 2 3; do
    echo "stage $stage, solver: $(./build-rel/tools/solver/solver $stage 2>/dev/null | tail -1)"
done
echo
echo "| stage | runs | won at the first attempt (95% interval) | countdown used by the wins | lost in the first 3 s | commonest losses |"
echo "|---|---|---|---|---|---|"
for stage in 0 1 2 3; do
    ./build-rel/tools/solver/human $stage --runs "$runs" --jobs "$jobs" --row 2>/dev/null
done
