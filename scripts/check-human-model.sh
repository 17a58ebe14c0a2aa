#!/usr/bin/env bash
# The human-model player works and is deterministic: a few runs of a small test room with a fixed
# seed, played once in one process and once shared between two, must print the same runs and
# figures; then two whole games over four copies of the room, the same way. The room is built from
# its design, so the check does not move with the real stages.
#   check-human-model.sh HUMAN_EXE STAGE_BUILDER_EXE ROOM_DESIGN_DIR [RUNS] [BEAM]
set -euo pipefail
human=$1
builder=$2
designs=$3
runs=${4:-4}
beam=${5:-12}
stage=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$builder" "$designs" "$work/stage.dat"
# The game plays stages 0 to 3: the room four times over.
mkdir "$work/game"
for n in 0 1 2 3; do
    sed "s/^stage 0\$/stage $n/" "$designs/stage00.txt" >"$work/game/stage0$n.txt"
done
"$builder" "$work/game" "$work/game.dat"
# The human tool's listing for the arguments given, run in one process and in two; the check
# fails unless both list the same, for a seed always plays the same however the runs are shared.
# Sets `one` to the listing.
same_in_two_processes() {  # what is compared, then the tool's arguments
    local what=$1 two
    shift
    one=$("$human" "$@" --jobs 1)
    two=$("$human" "$@" --jobs 2)
    echo "$one"
    if [ "$one" != "$two" ]; then
        echo "FAIL: the same $what gave different figures in two processes:"
        diff <(echo "$one") <(echo "$two") || true
        exit 1
    fi
}
same_in_two_processes seed "$stage" --stage-file "$work/stage.dat" --runs "$runs" --seed 1 \
    --beam "$beam" --list
# One line per run (index, won, countdown used, ticks, cell, plans, cause), then the summary.
lines=$(echo "$one" | grep -cE '^[0-9]+ [01] [0-9.]+ [0-9]+ -?[0-9]+ -?[0-9]+ [0-9]+ ?' || true)
if [ "$lines" -ne "$runs" ] || ! echo "$one" | grep -q "^stage $stage, typical: $runs runs (seeds 1-$runs)"; then
    echo "FAIL: expected $runs runs and a summary"
    exit 1
fi
# Every run played: a run that never got past the walk-in has no ticks after it.
if echo "$one" | grep -qE '^[0-9]+ [01] [0-9.]+ 0 '; then
    echo "FAIL: a run never got past the walk-in"
    exit 1
fi
# The room is easy: a model that never wins it, or cannot say what killed it, is broken.
if ! echo "$one" | grep -qE '^[0-9]+ 1 '; then
    echo "FAIL: not one run won the test room"
    exit 1
fi
if echo "$one" | grep -qE '^[0-9]+ 0 .* (unknown)?$'; then
    echo "FAIL: a loss without its cause"
    exit 1
fi
# Two games, each in its own process and both in one: lines of index, reached the ending, stages
# won, lives at the start and at the end, early losses and the stages of the lives lost.
same_in_two_processes games --game --preset slow --stage-file "$work/game.dat" --runs 2 --seed 1 \
    --beam "$beam" --list
# A game reaches the ending with its four stages won and 0 to 3 lives left, or is over with -1
# lives after four lost; its lost lives are listed by stage.
bad=$(echo "$one" | grep -E '^[0-9]+ ' | grep -vE '^[0-9]+ (1 4 3 [0-3]|0 [0-3] 3 -1) [0-9]+ (-|[0-3](,[0-3])*)$' || true)
if [ -n "$bad" ] || ! echo "$one" | grep -q "^game (stages 0-3, 3 lives), slow: 2 games (seeds 1-2)"; then
    echo "FAIL: games that do not add up: $bad"
    exit 1
fi
if ! echo "$one" | grep -qE '^[0-9]+ 1 4 3 '; then
    echo "FAIL: not one game got through four easy rooms"
    exit 1
fi
echo "ok: $runs runs and 2 games, the same in one process and in two"
