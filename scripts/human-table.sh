#!/usr/bin/env bash
# How hard the four played stages are for a person: builds the release tools, then prints the
# solver's best route on each stage, a row of the human-model player's table for each of its three
# presets (quick, typical, slow) and stage (first-attempt win rate with its 95% interval, countdown
# used by the wins, losses within 3 s of the walk-in's end, the three commonest causes of loss),
# and for each preset a row of whole games (the default stages in order with the default lives:
# the share that reached the ending, the lives left there, the stage the others ended on).
#   human-table.sh [RUNS] [JOBS] [SEED]    (default 100 runs a row on seeds 1-100, 2 processes;
#                                         about 45 minutes on 2 cores)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-100}
jobs=${2:-2}
seed=${3:-1}
presets=(quick typical slow)
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# The stage file first: the tools embed it, and one build would embed the old one.
cmake --build build-rel --target stages >/dev/null
cmake --build build-rel --target solver human >/dev/null
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
human=./build-rel/tools/solver/human
for stage in 0 1 2 3; do
    echo "stage $stage, solver: $(./build-rel/tools/solver/solver $stage 2>/dev/null | tail -1)"
done
echo
echo "Seeds $seed-$((seed + runs - 1)):"
echo
echo "| player | stage | runs | won at the first attempt (95% interval) | countdown used by the wins | lost in the first 3 s | commonest losses |"
echo "|---|---|---|---|---|---|---|"
for preset in "${presets[@]}"; do
    for stage in 0 1 2 3; do
        "$human" $stage --preset "$preset" --runs "$runs" --seed "$seed" --jobs "$jobs" --row \
            2>/dev/null
    done
done
echo
echo "| player | games | reached the ending (95% interval) | games by lives left there | game over on stage |"
echo "|---|---|---|---|---|"
for preset in "${presets[@]}"; do
    "$human" --game --preset "$preset" --runs "$runs" --seed "$seed" --jobs "$jobs" --row \
        2>/dev/null
done
